#pragma once
// Booleans as the program stores them: true is all bits set.

#include <cstdint>

namespace quillory {

using Boolean = std::int16_t;
constexpr Boolean True = -1;
constexpr Boolean False = 0;

}  // namespace quillory
