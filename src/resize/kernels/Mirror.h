#pragma once
// The left-right mirror of raster rows, in place.

#include "core/Raster.h"

#include <cstdint>

namespace tesmaro::resize {

// Afterwards row[x] holds what row[width - 1 - x] held, for every x in 0..width-1.
void mirrorRow(std::uint32_t* row, int width);
// to[x] = from[width - 1 - x]; to and from are the same row (then as mirrorRow) or do not overlap.
void mirrorRowInto(std::uint32_t* to, const std::uint32_t* from, int width);

} // namespace tesmaro::resize
