// The field-number parser on any text: a number is finite, blanks around it and the choice of
// separator change nothing, and the integer and float conversions agree with the number.
#include "core/FieldNumber.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace tesmaro;

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto value = parseFieldNumber(text);
    if (value)
        require(std::isfinite(*value));

    // The same text between blanks, and with the other separator.
    const std::string padded = " \t" + std::string(text) + "\t ";
    const auto paddedValue = parseFieldNumber(padded);
    require(paddedValue.has_value() == value.has_value() && (!value || *paddedValue == *value));
    std::string swapped(text);
    for (char& c : swapped)
        c = c == ',' ? '.' : (c == '.' ? ',' : c);
    const auto swappedValue = parseFieldNumber(swapped);
    require(swappedValue.has_value() == value.has_value() && (!value || *swappedValue == *value));

    const auto i16 = fieldToInt16(text);
    const auto i32 = fieldToInt32(text);
    const auto single = fieldToSingle(text);
    if (!value) {
        require(!i16 && !i32 && !single);
        return 0;
    }
    // Integers are the nearest, halves to even: never more than half away from the number.
    if (i32)
        require(std::fabs(*value - *i32) <= 0.5);
    else
        require(std::fabs(*value) >= 2147483647.5);
    if (i16)
        require(i32 && *i16 == *i32);
    else
        require(!i32 || *i32 < -32768 || *i32 > 32767);
    // Below half the smallest float, the nearest float is 0 (at exactly half, 0 is the even one).
    if (single)
        require(std::isfinite(*single) && (*single == 0.0f) == (std::fabs(*value) <= std::ldexp(1.0, -150)));
    const double r = roundHalfEven(*value);
    require(r == std::floor(r) && std::fabs(r - *value) <= 0.5);
    return 0;
}
