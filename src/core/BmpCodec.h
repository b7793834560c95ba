#pragma once
// Uncompressed BMP files as plain byte work: recognising the 24- and 32-bit layouts that can be
// read straight into a raster, reading their pixels, and writing a picture as a 24-bit BMP.
// Everything else a BMP can hold (palettes, run lengths, bit fields, colour masks) is left to
// the general reader of BmpReader.h: inspectBmp says so and nothing here touches it.
//
// Files are little-endian; rows are padded to 4 bytes. Pixels of the raster are 0xAARRGGBB words
// (see Raster.h); decoded pixels are opaque, written files drop the alpha byte.

#include "core/Raster.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace tesmaro {

// File header (14 bytes) plus the 40-byte info header: the head of every file we write.
constexpr int kBmpHeadBytes = 54;

// Where and how the pixels of a plain BMP lie in its file.
struct BmpLayout {
    int width = 0;
    int height = 0;               // rows, always positive
    int bitsPerPixel = 0;         // 24 or 32
    bool topDown = false;         // first row in the file is the top row
    std::int64_t pixelOffset = 0; // file offset of the first row
    std::int64_t rowBytes = 0;    // one row with its padding
    std::int64_t pixelBytes = 0;  // the bytes to read: every row, the last one without padding
};

enum class BmpKind {
    Plain,     // 24-bit or 32-bit uncompressed, layout filled in, every pixel inside the file
    Oversized, // plain, but a side is above maxSide or the pixels above kMaxPicturePixels
               // (PictureLimits.h): refuse without allocating
    Truncated, // plain, but the file ends before its pixels do (or they start past its end)
    Other,     // not a BMP this reader takes: leave it to a general decoder
};

// Classifies a file from its first headBytes bytes (kBmpHeadBytes are enough) and its whole
// length. Taken as plain: "BM", an info header of 40 bytes (24 or 32
// bits) or 108/124 bytes (24 bits only, where the masks do not apply), one plane, no
// compression, width and height non-zero, pixels starting at or after the headers. Never reads
// past head + headBytes.
BmpKind inspectBmp(const std::uint8_t* head, std::size_t headBytes, std::int64_t fileBytes, int maxSide,
                   BmpLayout& layout);

// Bytes of one row with its padding to 4 bytes.
std::int64_t bmpRowBytes(int width, int bitsPerPixel);

// Reads up to `bytes` next bytes of the file into `buffer`; returns how many it read, fewer only
// at the end of the file, negative on error.
using BmpByteSource = std::function<std::int64_t(std::uint8_t* buffer, std::int64_t bytes)>;

// Fills dest (exactly layout.width x layout.height) from the pixel area, which `read` delivers
// from layout.pixelOffset on. false when the file ends early or a read fails; dest may then be
// partly written. Works through a buffer of a few hundred KiB; throws std::bad_alloc if even that
// cannot be had.
bool decodeBmpPixels(const BmpLayout& layout, const BmpByteSource& read, const RasterView& dest);

// Takes the next `bytes` bytes of the file; false on any failure.
using BmpByteSink = std::function<bool(const std::uint8_t* bytes, std::size_t count)>;

// Writes picture as a 24-bit bottom-up BMP with a 40-byte info header, 96 dpi, in a few large
// pieces. false for an empty picture, a side above kMaxPictureSide, or when the sink fails. Throws
// std::bad_alloc if its buffer cannot be had.
bool encodeBmp24(const ConstRasterView& picture, const BmpByteSink& write);

} // namespace tesmaro
