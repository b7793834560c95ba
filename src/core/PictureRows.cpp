#include "core/PictureRows.h"

#include <algorithm>

namespace tesmaro {

void putRowOnWhite(std::uint32_t* row, int width) {
    for (int x = 0; x < width; ++x) {
        const std::uint32_t p = row[x], a = p >> 24;
        row[x] = a == 255 ? p
                          : kOpaque | onWhite(p >> 16 & 255, a) << 16 | onWhite(p >> 8 & 255, a) << 8 |
                                onWhite(p & 255, a);
    }
}

bool orientInPlace(const RasterView& raster, int orientation) {
    if (orientationSwapsSides(orientation))
        return false;
    const bool mirror = orientation == 2 || orientation == 3, flip = orientation == 3 || orientation == 4;
    if (mirror)
        for (int y = 0; y < raster.height; ++y)
            std::reverse(raster.row(y), raster.row(y) + raster.width);
    if (flip)
        for (int top = 0, bottom = raster.height - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(raster.row(top), raster.row(top) + raster.width, raster.row(bottom));
    return true;
}

bool orientInto(const ConstRasterView& from, const RasterView& to, int orientation) {
    const bool swaps = orientationSwapsSides(orientation);
    if (to.width != (swaps ? from.height : from.width) || to.height != (swaps ? from.width : from.height))
        return false;
    if (!swaps) {
        for (int y = 0; y < from.height; ++y)
            std::copy_n(from.row(y), from.width, to.row(y));
        orientInPlace(to, orientation);
        return true;
    }
    // Stored pixel (x, y) lands at column tx(y), row ty(x) of the upright picture: 5 transposes, 6
    // turns clockwise, 7 transposes the other way, 8 turns counter-clockwise. Bands of stored rows
    // at a time, so that both sides are walked through memory in runs.
    const bool columnsReversed = orientation == 6 || orientation == 7;
    const bool rowsReversed = orientation == 7 || orientation == 8;
    constexpr int kBand = 64;
    for (int y0 = 0; y0 < from.height; y0 += kBand) {
        const int y1 = std::min(from.height, y0 + kBand);
        for (int x = 0; x < from.width; ++x) {
            std::uint32_t* out = to.row(rowsReversed ? from.width - 1 - x : x);
            for (int y = y0; y < y1; ++y)
                out[columnsReversed ? from.height - 1 - y : y] = from.row(y)[x];
        }
    }
    return true;
}

} // namespace tesmaro
