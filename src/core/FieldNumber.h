#pragma once
// Conversion of the text of a numeric field. A number is: optional blanks, an optional sign,
// digits with at most one decimal separator written as "." or ",", optional blanks, with at
// least one digit. Anything else, the empty text included, is not a number.
// Integers are taken to the nearest integer with halves to even, then range-checked.
// A number too large for a double is not a number; one too small for it counts as 0.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tesmaro {

std::optional<double> parseFieldNumber(std::string_view text);

// As a 32-bit float, rounded to nearest; a value that would round to infinity is not a number.
std::optional<float> fieldToSingle(std::string_view text);
std::optional<std::int16_t> fieldToInt16(std::string_view text);
std::optional<std::int32_t> fieldToInt32(std::string_view text);

// Nearest integer, halves to even (independent of the floating-point environment).
double roundHalfEven(double v);
std::optional<std::int16_t> roundToInt16(double v);
std::optional<std::int32_t> roundToInt32(double v);

} // namespace tesmaro
