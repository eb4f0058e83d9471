// Fuzzes start-up from the program's arguments to the settings record:
// JoinArguments, SetArgumentText, the cap Main puts on the text, the scanner
// NextArgument and ReadCommandLine.
//
// Input: the program's arguments after its name, separated by NUL bytes (as
// the system hands them over, no argument can hold a NUL).

#include "Check.h"
#include "platform/ArgumentText.h"
#include "startup/NumberText.h"
#include "startup/modInitialise.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace quillory;
using namespace quillory::modInitialise;

namespace {

// Scans CommandLine field by field, checking that every field is the text
// between two commas, that positions stay inside the text and that the scan
// ends with position 0.
QStringList ScanFields()
{
    const qsizetype length = CommandLine.size();
    const qsizetype commas = CommandLine.count(QLatin1Char(','));
    QStringList fields;
    ArgPosition = 1;
    for (;;) {
        FUZZ_CHECK(ArgPosition >= 0 && ArgPosition <= length + 1);
        const int start = ArgPosition;
        const std::optional<QString> field = NextArgument();
        if (!field)
            break;
        FUZZ_CHECK(start >= 1);
        FUZZ_CHECK(!field->contains(QLatin1Char(',')));
        if (ArgPosition > 0) {
            // A field that a comma ends: exactly the text up to that comma.
            FUZZ_CHECK(start - 1 + field->size() < length);
            FUZZ_CHECK(CommandLine.at(start - 1 + field->size()) == QLatin1Char(','));
            FUZZ_CHECK(QStringView(CommandLine).mid(start - 1, field->size()) == *field);
            FUZZ_CHECK(ArgPosition == start + field->size() + 1);
        } else {
            // The last field: the rest of the text without blanks around it.
            qsizetype first = start - 1;
            qsizetype last = length;
            while (first < last && CommandLine.at(first) == QLatin1Char(' '))
                ++first;
            while (last > first && CommandLine.at(last - 1) == QLatin1Char(' '))
                --last;
            FUZZ_CHECK(*field == QStringView(CommandLine).mid(first, last - first));
        }
        fields << *field;
        FUZZ_CHECK(fields.size() <= commas + 1);
    }
    FUZZ_CHECK(ArgPosition == 0);
    FUZZ_CHECK(!NextArgument());
    FUZZ_CHECK(ArgPosition == 0);
    FUZZ_CHECK(fields.size() == (length == 0 ? 0 : commas + 1));
    return fields;
}

bool IsBoolean(Boolean value)
{
    return value == True || value == False;
}

// Whether one of the option fields (the third to the sixth) reads as `word`.
bool OptionGiven(const QStringList& fields, const QString& word)
{
    for (qsizetype i = 2; i < 6 && i < fields.size(); ++i) {
        if (QLocale::system().toLower(fields[i]) == word)
            return true;
    }
    return false;
}

// The flag is set exactly when its keyword is one of the option fields.
void CheckFlag(Boolean flag, const QStringList& fields, const char* keyword)
{
    FUZZ_CHECK(IsBoolean(flag));
    FUZZ_CHECK((flag == True) == OptionGiven(fields, QString::fromLatin1(keyword)));
}

void CheckSettings(bool dialog, const QStringList& fields)
{
    const PresentationSettingsRecord& s = PresentationSettings;

    // The delay: a whole number of seconds, a multiple of 10, in 16 bits.
    const float delay = s.MinDelay;
    FUZZ_CHECK(delay >= 10.0f && delay <= 32760.0f);
    FUZZ_CHECK(delay == float(int(delay)) && int(delay) % 10 == 0);

    // The URL is the first field, and a run without the dialog has one.
    FUZZ_CHECK(s.HomepageURL == (fields.isEmpty() ? QString() : fields[0]));
    if (!dialog)
        FUZZ_CHECK(!s.HomepageURL.isEmpty());

    // The delay field's number, rounded up to 10, or else 10 and the dialog.
    std::optional<std::int16_t> n;
    if (fields.size() > 1)
        n = ToInt16(fields[1]);
    const bool delayUsable = n && *n >= 10 && *n <= 32760;
    FUZZ_CHECK(dialog == (s.HomepageURL.isEmpty() || !delayUsable));
    if (delayUsable)
        FUZZ_CHECK(int(delay) == (*n + 9) / 10 * 10);
    else
        FUZZ_CHECK(delay == 10.0f);

    CheckFlag(s.AllowNewWindows, fields, "allownewwindows");
    CheckFlag(s.WorkOffline, fields, "workoffline");
    CheckFlag(s.CloseOpenWindows, fields, "closeopenwindows");

    // The exit password: none, or taken in lower case from a "pass:" option
    // field of 6 to 12 characters as given (lower-casing may lengthen it).
    const QString& password = s.Password;
    if (!password.isEmpty()) {
        FUZZ_CHECK(QLocale::system().toLower(password) == password);
        bool fromAField = false;
        for (qsizetype i = 2; i < 6 && i < fields.size(); ++i) {
            const QString& field = fields[i];
            if (field.size() > 5 && field.size() < 13 &&
                QLocale::system().toLower(field) == QLatin1String("pass:") + password)
                fromAField = true;
        }
        FUZZ_CHECK(fromAField);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The same locale on every run, so that a finding reproduces; the
    // argument bytes read as UTF-8.
    setenv("LC_ALL", "C.UTF-8", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // argv as the system builds it: the program's name, the words, a null.
    // No bytes are no arguments; a NUL at the end leaves an empty last word.
    std::vector<std::string> words{"quillory"};
    const char* const text = reinterpret_cast<const char*>(data);
    for (std::size_t from = 0; size > 0;) {
        const void* nul = std::memchr(text + from, 0, size - from);
        const std::size_t to = nul ? static_cast<const char*>(nul) - text : size;
        words.emplace_back(text + from, to - from);
        if (!nul)
            break;
        from = to + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    argv.push_back(nullptr);

    // The argument text: the words after the program's name with one blank
    // between them, cut at the cap.
    QStringList decoded;
    for (std::size_t i = 1; i < words.size(); ++i)
        decoded << QString::fromUtf8(words[i].data(), static_cast<qsizetype>(words[i].size()));
    const QString joined = JoinArguments(static_cast<int>(words.size()), argv.data());
    FUZZ_CHECK(joined.size() <= MaxArgumentTextLength);
    FUZZ_CHECK(joined == decoded.join(QLatin1Char(' ')).left(MaxArgumentTextLength));
    SetArgumentText(joined);
    FUZZ_CHECK(ArgumentText() == joined);

    // As Main does, on a fresh settings record as in a new process.
    PresentationSettings = PresentationSettingsRecord{};
    CommandLine = ArgumentText().left(MaxArgumentTextLength);
    const bool dialog = ReadCommandLine();
    FUZZ_CHECK(CommandLine == joined);

    CheckSettings(dialog, ScanFields());
    return 0;
}
