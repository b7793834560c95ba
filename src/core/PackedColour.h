#pragma once
// Packed colour: a signed 32-bit R + 256*G + 65536*B (red in the low byte), the value the
// program's fields, colour pick and pixel reads use. -1 is "no colour" (a read outside a picture).

#include <cstdint>
#include <optional>

namespace tesmaro {

constexpr std::int32_t kNoColour = -1;

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
};

// B = C / 65536 and G = (C - 65536*B) / 256, both truncated toward zero, R = the rest;
// a negative R is taken as 0. So -1 splits to black.
constexpr Rgb splitPacked(std::int32_t c) {
    const std::int32_t b = c / 65536;
    const std::int32_t g = (c - 65536 * b) / 256;
    std::int32_t r = c - 65536 * b - 256 * g;
    if (r < 0)
        r = 0;
    return Rgb{r, g, b};
}

// r + 256*g + 65536*b with each channel above 255 taken as 255; a negative channel is a failure.
constexpr std::optional<std::int32_t> composeRgb(int r, int g, int b) {
    if (r < 0 || g < 0 || b < 0)
        return std::nullopt;
    if (r > 255)
        r = 255;
    if (g > 255)
        g = 255;
    if (b > 255)
        b = 255;
    return r + 256 * g + 65536 * b;
}

constexpr std::int32_t packedFromPixel(std::uint32_t px) {
    return static_cast<std::int32_t>(((px >> 16) & 0xFF) | (px & 0xFF00) | ((px & 0xFF) << 16));
}

// Channels outside 0..255 (from a split of an out-of-range value) are clamped.
constexpr std::uint32_t pixelFromPacked(std::int32_t c) {
    const Rgb v = splitPacked(c);
    auto clamp = [](int x) { return static_cast<std::uint32_t>(x < 0 ? 0 : (x > 255 ? 255 : x)); };
    return 0xFF000000u | (clamp(v.r) << 16) | (clamp(v.g) << 8) | clamp(v.b);
}

} // namespace tesmaro
