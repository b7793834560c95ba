#pragma once
// What every decoded picture goes through on its way in, row by row: transparency put on white
// (the program's pictures are opaque) and the EXIF orientation applied.

#include "core/Raster.h"

#include <cstdint>

namespace tesmaro {

// Channel c (0..255) under alpha a (0..255) over white: (c * a + 255 * (255 - a)) / 255, rounded
// to nearest.
constexpr std::uint32_t onWhite(std::uint32_t c, std::uint32_t a) {
    return (c * a + 255 * (255 - a) + 127) / 255;
}

// Puts each 0xAARRGGBB pixel of the row on white; the pixels come out opaque.
void putRowOnWhite(std::uint32_t* row, int width);

// EXIF orientations, as TIFF numbers them: how the stored rows are to be turned to show the
// picture upright. 1: as stored; 2: mirrored left-right; 3: turned 180 degrees; 4: mirrored
// top-bottom; 5: transposed (mirrored about the top-left to bottom-right diagonal); 6: turned 90
// degrees clockwise; 7: transposed the other way (about the top-right to bottom-left diagonal);
// 8: turned 90 degrees counter-clockwise. Any other value counts as 1.
constexpr bool orientationSwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// Applies an orientation that keeps the sides (1 to 4) in the raster itself; false for 5 to 8.
bool orientInPlace(const RasterView& raster, int orientation);

// Writes the stored picture `from` upright into `to`, whose sides are from's swapped for 5 to 8
// (else the same); false, writing nothing, when the sizes do not fit.
bool orientInto(const ConstRasterView& from, const RasterView& to, int orientation);

} // namespace tesmaro
