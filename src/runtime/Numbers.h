#pragma once

// Numbers as program text, and the two ways a real becomes an integer.

#include "runtime/Text.h"

#include <cstdint>
#include <string_view>

namespace quorvo::numbers {

// The leading decimal integer of `text`: optional leading ASCII spaces, an
// optional sign, then digits (full-width digits A3 B0..A3 B9 count as digits).
// Anything else, or no digits at all, gives 0. Saturates at the int64 range.
int64_t toInteger(std::string_view text);

Text fromInteger(int64_t value);

// Six decimals, then trailing zeros and a trailing "." stripped: 2.5 -> "2.5",
// 3.0 -> "3", 1e-7 -> "0". NaN gives "0"; infinities saturate like integers would not,
// so they are written as "inf"/"-inf".
Text fromReal(double value);

// Toward zero: 3.9 -> 3, -3.9 -> -3. Saturates; NaN gives 0.
int64_t truncateToInteger(double value);

// Half up at `decimals` places: floor(x * 10^n + 0.5) / 10^n.
double roundHalfUp(double value, int decimals = 0);

}  // namespace quorvo::numbers
