#pragma once
// Aliased, pixel-exact drawing on a raster, as on a classic GDI canvas. All coordinates are
// integer pixels, any int value; everything is clipped to the raster, and the work done is
// bounded by what reaches the raster, however far off the coordinates or large the radius.
// Pen widths below 1 count as 1. A pen of width w is round: a disc of diameter w centred on
// each point of the path, w / 2 pixels before the point and (w - 1) / 2 after it.

#include "core/Raster.h"

#include <cstdint>

namespace tesmaro {

// One pixel, whatever the pen.
void plotPixel(const RasterView& r, int x, int y, std::uint32_t pixel);
// A round dot of diameter width centred on (x, y); width 1 is one pixel.
void drawDot(const RasterView& r, int x, int y, int width, std::uint32_t pixel);
// Straight line with both end points drawn.
void drawLine(const RasterView& r, int x1, int y1, int x2, int y2, int width, std::uint32_t pixel);
// Axis-aligned box with opposite corners (x1, y1), (x2, y2), corners included; outlined with the
// pen, or filled, in which case the pen widens it by (width - 1) / 2 on each side.
void drawBox(const RasterView& r, int x1, int y1, int x2, int y2, int width, bool filled,
             std::uint32_t pixel);
// Circle outline about (cx, cy) with a real radius (its absolute value); radius 0 is a dot.
void drawCircle(const RasterView& r, int cx, int cy, double radius, int width, std::uint32_t pixel);

} // namespace tesmaro
