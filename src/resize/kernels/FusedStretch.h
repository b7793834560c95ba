#pragma once
// Several whole stretches of one source onto one destination, done in a single pass over the
// destination rows: each row gets pass 1, then pass 2, ... while it is still in the cache. The
// result is bit-identical to calling stretchBlit (core/Stretch.h) once per pass in order, with
// the same mapping, clipping and raster codes; rows are cut into bands on separate threads.
// Consecutive passes that land the same source pixel on a row's pixels (overlays of the same
// size) are applied as their one combined bitwise code, so that row is read and written once.

#include "core/Raster.h"
#include "resize/kernels/BandedStretch.h"

#include <cstdint>
#include <vector>

namespace tesmaro::resize {

struct StretchPass {
    PixelRect to;            // destination rectangle in pixels, any values (clipped as stretchBlit does)
    std::int32_t rasterCode; // one of the five codes; any other acts as a plain copy
};

// Stretches from (the same source rectangle for every pass) onto dst once per pass, in order.
// dst and src must not share pixels. Empty rasters or passes of size 0 or less draw nothing.
void stretchPassesInBands(const RasterView& dst, const ConstRasterView& src, const PixelRect& from,
                          const std::vector<StretchPass>& passes, int threads);

} // namespace tesmaro::resize
