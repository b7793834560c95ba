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

constexpr bool isRasterOpCode(std::int32_t code) {
    return code == SRCCOPY || code == SRCAND || code == SRCERASE || code == SRCINVERT || code == SRCPAINT;
}

// The operations as function objects (D, S) -> new pixel, alpha byte not set.
struct RasterCopy {
    constexpr std::uint32_t operator()(std::uint32_t, std::uint32_t s) const { return s; }
};
struct RasterAnd {
    constexpr std::uint32_t operator()(std::uint32_t d, std::uint32_t s) const { return d & s; }
};
struct RasterErase {
    constexpr std::uint32_t operator()(std::uint32_t d, std::uint32_t s) const { return s & ~d; }
};
struct RasterInvert {
    constexpr std::uint32_t operator()(std::uint32_t d, std::uint32_t s) const { return d ^ s; }
};
struct RasterPaint {
    constexpr std::uint32_t operator()(std::uint32_t d, std::uint32_t s) const { return d | s; }
};

// The one place a code becomes its operation: calls body with the operation's function object,
// chosen once, so a row loop over it runs with the operation inlined. Any other code behaves as
// SRCCOPY.
template <typename Body> constexpr decltype(auto) withRasterOp(std::int32_t code, Body&& body) {
    switch (code) {
    case SRCAND:
        return body(RasterAnd{});
    case SRCERASE:
        return body(RasterErase{});
    case SRCINVERT:
        return body(RasterInvert{});
    case SRCPAINT:
        return body(RasterPaint{});
    default:
        return body(RasterCopy{});
    }
}

// One pixel; the result is always opaque.
constexpr std::uint32_t applyRasterOp(std::int32_t code, std::uint32_t d, std::uint32_t s) {
    return withRasterOp(code, [&](auto op) { return op(d, s); }) | 0xFF000000u;
}

} // namespace tesmaro
