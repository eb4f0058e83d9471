#pragma once
// The delay box's text: how a delay is written into it, and how its text is
// put right when the box is left.

#include <QString>

namespace quillory {

// Plain decimal with at most seven significant digits: no exponent, no group
// separators, no leading blank, no decimal point for a whole number.
QString DelayText(float seconds);

// Numeric text is rounded up to the next multiple of 10 (1 gives 10, 15 gives
// 20); a multiple of 10, or a negative number, stays as it is. Anything else
// becomes "10": text that is not numeric, a number beyond the 16-bit range,
// and one whose rounding would pass 32767 alike.
QString NormalisedDelayText(const QString& text);

}  // namespace quillory
