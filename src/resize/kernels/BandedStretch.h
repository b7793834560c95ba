#pragma once
// The core stretch (core/Stretch.h) on whole-pixel rectangles, with the destination cut into
// horizontal bands that run on separate threads. Each band is the same stretch clipped to its
// rows, so the result is the one stretchBlit gives in one piece.

#include "core/Raster.h"

#include <cstdint>

namespace tesmaro::resize {

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// dst and src must not share pixels.
void stretchInBands(const RasterView& dst, const PixelRect& dstRect, const ConstRasterView& src,
                    const PixelRect& srcRect, std::int32_t rasterCode, int threads);

} // namespace tesmaro::resize
