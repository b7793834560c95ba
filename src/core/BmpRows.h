#pragma once
// Rows of the common BMP layouts to raster rows, shared by the plain reader and the general one.

#include "core/Raster.h"

#include <cstdint>

namespace tesmaro {

// Blue, green, red triples to opaque pixels.
void unpackBgr24Row(const std::uint8_t* src, int width, std::uint32_t* dest);
// Blue, green, red, unused quads to opaque pixels.
void unpackBgrx32Row(const std::uint8_t* src, int width, std::uint32_t* dest);
// Blue, green, red, alpha quads as they are (the alpha byte kept for a later pass).
void copyBgra32Row(const std::uint8_t* src, int width, std::uint32_t* dest);

} // namespace tesmaro
