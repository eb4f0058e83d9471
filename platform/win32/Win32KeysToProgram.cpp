#include "platform/KeysToProgram.h"

namespace quillory {

// On Windows the keys go to the focused window; the program's own windows
// pass on what reaches them.
void SendEveryKeyTo(quint64)
{
}

}  // namespace quillory
