#pragma once
// "XY VB": bilinear resampling of the whole source to settings.width x settings.height with
// per-channel correction percents and random aging, working on raster rows.
//
// Definition (single-precision floats wherever a value is kept as one; nearest integer always
// halves to even):
//  - Corrected channels: plane index (x, y) holds source pixel (x - 1, y - 1) with each channel
//    c replaced by the nearest integer to percent*c/100; indices 0 and Ws + 1 of each row and
//    rows 0 and Hs + 1 are a black margin.
//  - kx = Ws/Wd, ky = Hs/Hd. Result index (X, Y), 1-based, samples plane index (kx*X, ky*Y):
//    x0 = truncation of sx = kx*X, fx = sx - x0, x1 = x0 + 1 (y alike).
//  - Per channel: the two column values (1 - fy)*p[x][y0] + fy*p[x][y1] at x0 and x1, then the
//    nearest integer to (1 - fx)*value at x0 + fx*value at x1.
//  - Random step, for blue, green, red in this order: u = next draw, channel = nearest integer
//    to randomFactor(r, u)*channel (RandomFactors.h). Each pixel takes three draws, also when r
//    is 0; a value that leaves the signed 32-bit range fails the pixel there, and its remaining
//    draws are not taken (possible only with |r| in the hundreds of thousands).
//  - The pixel goes to (X - 1, Y - 1) of dest, each channel above 255 counting as 255, unless
//    a channel is below 0 or above 32767: then the pixel is left as it was.
//
// source may be empty (all black). Pixels of dest outside settings.width x settings.height or
// outside dest are never written. Returns false, doing nothing (random untouched), when the
// width or height is below 1. random is advanced by exactly the draws the definition takes.
// progress (may be empty) gets the percent 30*y/Hs after each source row y = 1..Hs, then
// 30 + 70*Y/Hd after each result row Y, in order, on the calling thread. Rows are split across
// threads; the result and the random sequence do not depend on the number of threads.
// May throw std::bad_alloc.

#include "core/RandomSequence.h"
#include "core/Raster.h"
#include "resize/kernels/ResampleSettings.h"

#include <functional>

namespace tesmaro::resize {

bool resampleByPixelAccess(const ConstRasterView& source, const RasterView& dest,
                           const ResampleSettings& settings, RandomSequence& random, int threads,
                           const std::function<void(int)>& progress);

} // namespace tesmaro::resize
