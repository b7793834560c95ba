#pragma once
// The left-right mirror of raster rows, in place.

#include "core/Raster.h"

#include <cstdint>

namespace tesmaro::resize {

// Afterwards row[x] holds what row[width - 1 - x] held, for every x in 0..width-1.
void mirrorRow(std::uint32_t* row, int width);

} // namespace tesmaro::resize
