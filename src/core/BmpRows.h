#pragma once
// Rows of the common BMP layouts to raster rows and back: the reader's and the writer's.

#include "core/Raster.h"

#include <cstdint>

namespace tesmaro {

// Blue, green, red triples to opaque pixels.
void unpackBgr24Row(const std::uint8_t* src, int width, std::uint32_t* dest);
// Blue, green, red, unused quads to opaque pixels.
void unpackBgrx32Row(const std::uint8_t* src, int width, std::uint32_t* dest);
// Blue, green, red, alpha quads as they are (the alpha byte kept for a later pass).
void copyBgra32Row(const std::uint8_t* src, int width, std::uint32_t* dest);
// Pixels to blue, green, red triples, then zeros up to rowBytes (the row's padding).
void packBgr24Row(const std::uint32_t* src, int width, std::uint8_t* dest, std::int64_t rowBytes);

} // namespace tesmaro
