#pragma once
// Numbers typed by people: the command line's delay field and the settings
// dialog's delay box both go through these.

#include <QString>
#include <cstdint>
#include <optional>

namespace quillory {

// True when the text, blanks around it aside, reads as a number under the
// system locale's rules (sign, digits, decimal and group separators,
// exponent). The empty text and blanks alone are not numeric.
bool IsNumeric(const QString& text);

// The whole number nearest to value, a half going to the even neighbour.
double RoundHalfEven(double value);

// The numeric text rounded to the nearest whole number, a half going to the
// even neighbour; empty when the text is not numeric or the result lies
// outside -32768..32767.
std::optional<std::int16_t> ToInt16(const QString& text);

}  // namespace quillory
