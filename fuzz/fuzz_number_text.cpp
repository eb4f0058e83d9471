// Fuzzes the rule for numbers typed by people: IsNumeric and ToInt16.
//
// Input: the first byte picks the floating-point rounding mode in force when
// the rule runs (bits 0-1) and how the rest is decoded (bit 2: UTF-16 code
// units, else UTF-8); the rest is the text.

#include "Check.h"
#include "startup/NumberText.h"

#include <QString>
#include <cfenv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

using quillory::IsNumeric;
using quillory::ToInt16;

namespace {

const int kRoundingModes[] = {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO};

QString Decode(const std::uint8_t* data, std::size_t size, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString text(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, (size / 2) * 2);
    return text;
}

// Text of the plainest form, "  -123.4500  ": blanks, a sign, digits, and
// perhaps a point and more digits. Its exact value is known from the digits.
struct PlainDecimal {
    bool negative = false;
    QString whole;     // without leading zeros
    QString fraction;  // without trailing zeros
};

std::optional<PlainDecimal> ReadPlainDecimal(const QString& text)
{
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && text.at(i) == QLatin1Char(' '))
        ++i;
    while (end > i && text.at(end - 1) == QLatin1Char(' '))
        --end;
    PlainDecimal number;
    if (i < end && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        number.negative = text.at(i++) == QLatin1Char('-');
    auto digits = [&](QString& out) {
        const qsizetype from = i;
        while (i < end && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'))
            out += text.at(i++);
        return i > from;
    };
    if (!digits(number.whole))
        return std::nullopt;
    if (i < end && text.at(i) == QLatin1Char('.')) {
        ++i;
        if (!digits(number.fraction))
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;
    qsizetype zeros = 0;
    while (zeros < number.whole.size() && number.whole.at(zeros) == QLatin1Char('0'))
        ++zeros;
    number.whole.remove(0, zeros);
    while (number.fraction.endsWith(QLatin1Char('0')))
        number.fraction.chop(1);
    return number;
}

void CheckPlainDecimal(const PlainDecimal& number, bool numeric, std::optional<std::int16_t> converted)
{
    // Anything a double holds is a number: 1e300 and 1e-300 still fit, while
    // 1e309 and 1e-400 overflow and underflow and are not numbers.
    qsizetype zerosAfterPoint = 0;
    while (zerosAfterPoint < number.fraction.size() && number.fraction.at(zerosAfterPoint) == QLatin1Char('0'))
        ++zerosAfterPoint;
    const bool fits = number.whole.size() <= 300 && (!number.whole.isEmpty() || zerosAfterPoint <= 300);
    if (fits)
        FUZZ_CHECK(numeric);
    if (number.whole.size() > 5) {
        FUZZ_CHECK(!converted);
        return;
    }
    const int whole = number.whole.isEmpty() ? 0 : number.whole.toInt();
    const int sign = number.negative ? -1 : 1;
    if (converted) {
        // Whatever the rounding, the result is one of the two neighbours.
        const int magnitude = sign * int(*converted);
        FUZZ_CHECK(magnitude == whole || (magnitude == whole + 1 && !number.fraction.isEmpty()));
    }
    // With few decimals the text's value lies clearly on one side of a half,
    // or exactly on it, even after reading it as a double: the result must
    // then be the round-half-even value, or nothing outside 16 bits.
    if (number.fraction.size() > 10)
        return;
    int rounded = whole;
    if (!number.fraction.isEmpty()) {
        const QChar first = number.fraction.at(0);
        const bool half = number.fraction == QLatin1String("5");
        if (first > QLatin1Char('5') || (first == QLatin1Char('5') && !half) || (half && whole % 2 == 1))
            ++rounded;
    }
    rounded *= sign;
    if (rounded < -32768 || rounded > 32767) {
        FUZZ_CHECK(!converted);
    } else {
        FUZZ_CHECK(converted);
        FUZZ_CHECK(int(*converted) == rounded);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The plain-decimal check assumes the C locale's point and signs.
    setenv("LC_ALL", "C.UTF-8", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int mode = kRoundingModes[data[0] & 3];
    const QString text = Decode(data + 1, size - 1, (data[0] & 4) != 0);

    std::fesetround(mode);
    const bool numeric = IsNumeric(text);
    const std::optional<std::int16_t> converted = ToInt16(text);
    // The rule leaves the caller's rounding mode as it found it.
    FUZZ_CHECK(std::fegetround() == mode);
    std::fesetround(FE_TONEAREST);

    // Only numeric text converts, and the same way whatever mode was in force.
    if (converted)
        FUZZ_CHECK(numeric);
    FUZZ_CHECK(ToInt16(text) == converted);
    // Blanks around the text change nothing.
    const QString padded = QLatin1String("  ") + text + QLatin1Char(' ');
    FUZZ_CHECK(IsNumeric(padded) == numeric);
    FUZZ_CHECK(ToInt16(padded) == converted);

    if (const std::optional<PlainDecimal> number = ReadPlainDecimal(text))
        CheckPlainDecimal(*number, numeric, converted);
    return 0;
}
