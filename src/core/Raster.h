#pragma once
// A view over 32-bit pixels owned elsewhere (in practice a QImage of Format_RGB32).
// Pixels are 0xAARRGGBB words; the alpha byte is ignored on read and written as 0xFF.
// stride is in pixels, not bytes. The view never owns or frees memory.

#include <cstddef>
#include <cstdint>

namespace tesmaro {

constexpr std::uint32_t kOpaque = 0xFF000000u;

struct RasterView {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    std::uint32_t* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    bool empty() const { return pixels == nullptr || width <= 0 || height <= 0; }
};

struct ConstRasterView {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    ConstRasterView() = default;
    ConstRasterView(const std::uint32_t* p, int w, int h, int s)
        : pixels(p), width(w), height(h), stride(s) {}
    ConstRasterView(const RasterView& v)
        : pixels(v.pixels), width(v.width), height(v.height), stride(v.stride) {}

    const std::uint32_t* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    bool empty() const { return pixels == nullptr || width <= 0 || height <= 0; }
};

} // namespace tesmaro
