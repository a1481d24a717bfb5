#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The toolkit's numeric test and number conversions. Floating values become
// integers by rounding to nearest, ties to even (12.5 -> 12, 75.5 -> 76).
namespace convert {

// True when the text, outer blanks aside, reads as a number: sign, digits,
// one decimal point, exponent. Empty text is not numeric.
bool IsNumeric(std::string_view text);

// Raises type mismatch for a non-number and overflow outside the 32-bit range.
int32_t TextToInt32(std::string_view text);

// Raises overflow when the rounded value leaves the 32-bit range.
int32_t RoundToInt32(double value);

std::string ToText(int32_t value);

}  // namespace convert
