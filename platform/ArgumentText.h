#pragma once
// The argument text of the command line: what follows the program's own name.

#include <QString>

namespace quillory {

// The longest argument text the program takes; the rest is dropped. Windows
// never passes more, and the command-line scanner counts positions in 16 bits.
constexpr int MaxArgumentTextLength = 32766;

// The program's arguments after its own name, joined with single blanks, so a
// shortcut that splits "URL , 60" into separate words gives the same text as
// one that passes it whole.
QString JoinArguments(int argc, const char* const* argv);

// Removes every "pass:" field's password from the process's own argument
// memory, which other accounts can read (/proc/PID/cmdline, ps). A field that
// the blanks of separate words continue is blanked up to its comma too.
// Call once the argument text has been kept.
void BlankPasswordsInArguments(int argc, char** argv);

// Kept by main() before anything else runs; read by start-up.
void SetArgumentText(const QString& text);
const QString& ArgumentText();

}  // namespace quillory
