#include "dialog/DelayText.h"

#include "startup/NumberText.h"

#include <QLocale>
#include <cstdint>
#include <optional>

namespace quillory {

namespace {
constexpr int kDelayStep = 10;
constexpr int kLargestDelay = 32767;
const QString kReplacement = QStringLiteral("10");
}  // namespace

QString DelayText(float seconds)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    // Round to seven significant digits first, then write it out in full.
    const double rounded = QString::number(static_cast<double>(seconds), 'g', 7).toDouble();
    return locale.toString(rounded, 'f', QLocale::FloatingPointShortest);
}

QString NormalisedDelayText(const QString& text)
{
    const std::optional<std::int16_t> n = ToInt16(text);
    if (!n)
        return kReplacement;
    const int r = *n % kDelayStep;  // truncated division: r has the sign of n
    if (r <= 0)
        return text;
    const int roundedUp = (*n / kDelayStep) * kDelayStep + kDelayStep;
    if (roundedUp > kLargestDelay)
        return kReplacement;
    return QString::number(roundedUp);
}

}  // namespace quillory
