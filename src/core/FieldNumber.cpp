#include "core/FieldNumber.h"

#include <charconv>
#include <cmath>
#include <string>

namespace tesmaro {

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

std::optional<double> parseFieldNumber(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    std::string_view t = text.substr(b, e - b);
    if (t.empty())
        return std::nullopt;

    std::string normal;
    normal.reserve(t.size() + 1);
    std::size_t i = 0;
    bool negative = false;
    if (t[0] == '+' || t[0] == '-') {
        negative = t[0] == '-';
        i = 1;
    }
    int digits = 0;
    bool separator = false;
    bool wholeNonZero = false; // a non-zero digit before the separator: the value is at least 1
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            normal.push_back(c);
            ++digits;
            wholeNonZero = wholeNonZero || (c != '0' && !separator);
        } else if ((c == '.' || c == ',') && !separator) {
            separator = true;
            normal.push_back('.');
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (normal.front() == '.')
        normal.insert(normal.begin(), '0');
    double value = 0;
    const auto res = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large is not a number; too small is a valid number too close to 0 to tell apart.
        if (wholeNonZero)
            return std::nullopt;
        return 0.0;
    }
    if (res.ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

double roundHalfEven(double v) {
    if (!std::isfinite(v))
        return v;
    const double f = std::floor(v);
    const double diff = v - f;
    if (diff < 0.5)
        return f;
    if (diff > 0.5)
        return f + 1.0;
    return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

std::optional<std::int16_t> roundToInt16(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = roundHalfEven(v);
    if (r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::optional<std::int32_t> roundToInt32(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = roundHalfEven(v);
    if (r < -2147483648.0 || r > 2147483647.0)
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::optional<float> fieldToSingle(std::string_view text) {
    // Values from the largest float up to (not including) the midpoint to the next power of two
    // still round to the largest float; from the midpoint on they would become infinite.
    static const double kFloatOverflow = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
    const auto v = parseFieldNumber(text);
    if (!v || std::fabs(*v) >= kFloatOverflow)
        return std::nullopt;
    return static_cast<float>(*v);
}

std::optional<std::int16_t> fieldToInt16(std::string_view text) {
    const auto v = parseFieldNumber(text);
    return v ? roundToInt16(*v) : std::nullopt;
}

std::optional<std::int32_t> fieldToInt32(std::string_view text) {
    const auto v = parseFieldNumber(text);
    return v ? roundToInt32(*v) : std::nullopt;
}

} // namespace tesmaro
