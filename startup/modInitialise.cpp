#include "startup/modInitialise.h"

#include "startup/NumberText.h"

#include <QLocale>

namespace quillory::modInitialise {

PresentationSettingsRecord PresentationSettings;
QString CommandLine;
std::int16_t ArgPosition = 0;

namespace {

constexpr int kOptionFields = 4;
constexpr int kShortestDelay = 10;
// Rounding a delay up to a multiple of 10 must stay within 16 bits.
constexpr int kLongestDelay = 32760;

// The delay field as whole seconds, a multiple of 10; empty when the field
// cannot be used and the settings dialog must ask.
std::optional<int> DelayFromField(const std::optional<QString>& field)
{
    if (!field)
        return std::nullopt;
    const std::optional<std::int16_t> n = ToInt16(*field);
    if (!n || *n < kShortestDelay || *n > kLongestDelay)
        return std::nullopt;
    if (*n % 10 == 0)
        return *n;
    return (*n / 10) * 10 + 10;
}

void ReadOption(const QString& field)
{
    const QString l = QLocale::system().toLower(field);
    if (l == QLatin1String("allownewwindows"))
        PresentationSettings.AllowNewWindows = True;
    if (l == QLatin1String("workoffline"))
        PresentationSettings.WorkOffline = True;
    if (l == QLatin1String("closeopenwindows"))
        PresentationSettings.CloseOpenWindows = True;
    // The limits count the characters of the field as given: 1 to 7 after
    // the colon. Lower-casing may lengthen the kept password (a capital I with
    // a dot becomes an i and a combining dot); the exit prompt compares its
    // entry lower-cased the same way, so such a password still works.
    if (l.left(5) == QLatin1String("pass:") && field.length() > 5 && field.length() < 13)
        PresentationSettings.Password = l.mid(5);
}

}  // namespace

std::optional<QString> NextArgument()
{
    if (ArgPosition < 1)
        return std::nullopt;
    const int start = ArgPosition;
    // QString positions are 0-based; the scanner's are 1-based.
    const int p = CommandLine.indexOf(QLatin1Char(','), start - 1) + 1;
    ArgPosition = static_cast<std::int16_t>(p);
    if (p > 0) {
        ArgPosition = static_cast<std::int16_t>(p + 1);
        return CommandLine.mid(start - 1, p - start);
    }
    if (CommandLine.isEmpty())
        return std::nullopt;
    QString rest = CommandLine.mid(start - 1);
    // Only the space character is trimmed, not tabs or other white space.
    int first = 0;
    int last = rest.length();
    while (first < last && rest.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && rest.at(last - 1) == QLatin1Char(' '))
        --last;
    return rest.mid(first, last - first);
}

bool ReadCommandLine()
{
    bool showDialog = false;
    ArgPosition = 1;

    PresentationSettings.HomepageURL = NextArgument().value_or(QString());
    if (PresentationSettings.HomepageURL.isEmpty())
        showDialog = true;

    const std::optional<int> delay = DelayFromField(NextArgument());
    if (delay) {
        PresentationSettings.MinDelay = static_cast<float>(*delay);
    } else {
        PresentationSettings.MinDelay = kShortestDelay;
        showDialog = true;
    }

    for (int i = 0; i < kOptionFields; ++i)
        ReadOption(NextArgument().value_or(QString()));
    return showDialog;
}

}  // namespace quillory::modInitialise
