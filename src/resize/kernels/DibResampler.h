#pragma once
// "XY API": bilinear resampling through 24-bit device-independent bitmap rows, on raster rows.
//
// The source is read as the bitmap the platform would hand out: rows bottom-up (row 0 is the
// bottom row of the picture), bytes blue, green, red per pixel, each row DibRowStride(w) bytes
// with zero padding, rows back to back; bytes past the whole buffer read as 0.
//
// Definition (single-precision floats wherever a value is kept as one; nearest integer halves
// to even): kx = ((DibRowStride(w) - 1) / 3) / Wd and ky = (h - 1) / Hd, each the exact
// quotient rounded once to a float. For result row Y = 0..Hd-1 (bottom-up) and column X:
// sy = ky*Y, y0 = floor(sy), fy = sy - y0, y1 = y0 + 1; sx = kx*X, x0 = floor(sx), fx = sx - x0.
// The six bytes from offset 3*x0 of bitmap rows y0 and y1 (running on into the padding and the
// next row) give, per channel with percent P, c0 = P*c(x0,y0)*(1 - fy)/100 + P*c(x0,y1)*fy/100
// and c1 likewise from the three bytes after, each operation in this order. Then for blue,
// green, red: u = next draw, v = nearest integer to ((1 - fx)*c0 + c1*fx)*randomFactor(r, u);
// v above 255 counts as 255; v below 0 (or beyond the 32-bit range) fails the run.
//
// Result row Y is written to row Hd - 1 - Y of dest (top-down), pixel X at column X; pixels
// outside dest are not written. A source only one pixel high reads its missing upper row as
// zeros (its weight is 0). Returns false without doing anything (random untouched) when the
// width or height is below 1 or the source is empty; returns false after a failing channel,
// with random standing right after the failing draw and dest holding some finished rows.
// progress (may be empty) gets 100*Y/(Hd - 1) after each result row (100 when Hd is 1), in
// order, on the calling thread, up to the row before a failing one. Rows are split across
// threads; the result and the random sequence do not depend on the number of threads.
// May throw std::bad_alloc, only before the first row is computed; what progress throws is
// passed on after the rows in flight are done.

#include "core/RandomSequence.h"
#include "core/Raster.h"
#include "resize/kernels/ResampleSettings.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace tesmaro::resize {

// Bytes of one bitmap row of the given width: (3*width + 3) with its two lowest bits cleared.
// nullopt when the arithmetic overflows 32 bits.
std::optional<std::int32_t> DibRowStride(std::int32_t width);

bool resampleByDib(const ConstRasterView& source, const RasterView& dest, const ResampleSettings& settings,
                   RandomSequence& random, int threads, const std::function<void(int)>& progress);

// A second destination that each finished row is also combined into while it is in the cache:
// pixel (x, y) of dest, as written above, becomes applyRasterOp(rasterCode, D, pixel) at (x, y)
// of target, for the pixels inside both rasters. That is exactly a same-size 1:1 copy of dest
// onto target with the code after the run, but only when no row fails (see below).
struct DibCombine {
    RasterView target; // must not share pixels with dest
    std::int32_t rasterCode = 0;
    // When set, every D is taken to be this pixel instead of being read: the target counts as
    // filled with it, and each combined pixel is overwritten.
    std::optional<std::uint32_t> cleared;
};

// As above, also combining every row into combine.target. Rows already combined stay when a
// later row fails, so call it only when dibChannelsCannotFail(settings) holds.
bool resampleByDib(const ConstRasterView& source, const RasterView& dest, const ResampleSettings& settings,
                   RandomSequence& random, int threads, const std::function<void(int)>& progress,
                   const DibCombine& combine);

// True when no channel of any run with these settings can fall below 0 or beyond 32 bits:
// every percent at least 0 and |r| at most 100 (so every random factor is at least 0, even as
// rounded single-precision operations). Other settings may or may not fail.
bool dibChannelsCannotFail(const ResampleSettings& settings);

} // namespace tesmaro::resize
