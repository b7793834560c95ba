#pragma once
// The five raster combinations of a copy, as the standard ternary raster-operation codes.
// Each works bitwise on the 24-bit colour, so on every channel alike; D is the destination
// pixel, S the source pixel that lands on it.

#include <cstdint>

namespace tesmaro {

enum RasterCode : std::int32_t {
    SRCCOPY = 0xCC0020,   // S
    SRCAND = 0x8800C6,    // D AND S
    SRCERASE = 0x440328,  // S AND (NOT D)
    SRCINVERT = 0x660046, // D XOR S
    SRCPAINT = 0xEE0086,  // D OR S
};

// Any other code behaves as SRCCOPY. The result is always opaque.
constexpr std::uint32_t applyRasterOp(std::int32_t code, std::uint32_t d, std::uint32_t s) {
    switch (code) {
    case SRCAND:
        return (d & s) | 0xFF000000u;
    case SRCERASE:
        return (s & ~d) | 0xFF000000u;
    case SRCINVERT:
        return (d ^ s) | 0xFF000000u;
    case SRCPAINT:
        return (d | s) | 0xFF000000u;
    default:
        return s | 0xFF000000u;
    }
}

} // namespace tesmaro
