#pragma once
// The one nearest-neighbour stretch that every copy, stretched copy and blit of the program uses.
//
// Rectangles arrive as the fields give them (single-precision pixels: fractional, zero,
// negative, far outside either picture). Each value is first taken to the nearest integer,
// halves to even, and limited to +-2^30 (NaN counts as 0), so no arithmetic below can overflow.
//
// Mapping: with integer rectangles (dx, dy, dw, dh) and (sx, sy, sw, sh), destination column
// dx + i (0 <= i < dw) takes source column sx + floor((2i + 1) * sw / (2 * dw)), i.e. the source
// column under the centre of the destination column; rows likewise. Enlarging repeats whole
// columns and rows, shrinking drops them; nothing is interpolated.
//
// A rectangle with a width or height of 0 or less draws nothing. A destination pixel outside
// the destination raster, or whose source pixel lies outside the source raster, is untouched;
// every other destination pixel of the rectangle becomes applyRasterOp(code, D, S).
// Source and destination may be the same raster, rectangles overlapping or not: the result is
// as if the source had been copied first.

#include "core/Raster.h"

#include <cstdint>

namespace tesmaro {

// The limit each rectangle value is taken to, and the mapping itself: for destination step i
// of dn steps, the source index of sn source steps starting at s0 (dn > 0, sn > 0, so the index
// never decreases with i). Kernels that stretch in other ways share these, so every stretch of
// the program lands the same pixels.
constexpr std::int64_t kStretchLimit = std::int64_t{1} << 30;
inline std::int64_t stretchSourceIndex(std::int64_t i, std::int64_t s0, std::int64_t sn, std::int64_t dn) {
    return s0 + ((2 * i + 1) * sn) / (2 * dn);
}

struct RectF {
    double x = 0;
    double y = 0;
    double w = 0;
    double h = 0;
};

void stretchBlit(const RasterView& dst, const RectF& dstRect, const ConstRasterView& src,
                 const RectF& srcRect, std::int32_t rasterCode);

} // namespace tesmaro
