#include "startup/NumberText.h"

#include <QLocale>
#include <cfenv>
#include <cmath>

namespace quillory {

namespace {

std::optional<double> ReadNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::system().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

double RoundHalfEven(double value)
{
    // nearbyint rounds by the current mode, which is to-nearest-even unless
    // someone changed it; set it explicitly rather than trust that.
    const int previousMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previousMode);
    return rounded;
}

bool IsNumeric(const QString& text)
{
    return ReadNumber(text).has_value();
}

std::optional<std::int16_t> ToInt16(const QString& text)
{
    const std::optional<double> value = ReadNumber(text);
    if (!value)
        return std::nullopt;
    const double rounded = RoundHalfEven(*value);
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

}  // namespace quillory
