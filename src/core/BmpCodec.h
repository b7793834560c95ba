#pragma once
// Writing a picture as a 24-bit BMP, as plain byte work; reading every layout is BmpReader.h's.
//
// Files are little-endian; rows are padded to 4 bytes. Pixels of the raster are 0xAARRGGBB words
// (see Raster.h); written files drop the alpha byte.

#include "core/Raster.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace tesmaro {

// File header (14 bytes) plus the 40-byte info header: the head of every file we write.
constexpr int kBmpHeadBytes = 54;

// Bytes of one row with its padding to 4 bytes.
std::int64_t bmpRowBytes(int width, int bitsPerPixel);

// Takes the next `bytes` bytes of the file; false on any failure.
using BmpByteSink = std::function<bool(const std::uint8_t* bytes, std::size_t count)>;

// Writes picture as a 24-bit bottom-up BMP with a 40-byte info header, 96 dpi, in a few large
// pieces. false for an empty picture, a side above kMaxPictureSide, or when the sink fails. Throws
// std::bad_alloc if its buffer cannot be had.
bool encodeBmp24(const ConstRasterView& picture, const BmpByteSink& write);

} // namespace tesmaro
