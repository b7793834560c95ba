#pragma once
// The program's reader for every BMP layout: 1, 2, 4 and 8 bits with a palette, run lengths
// (RLE8, RLE4), 16 and 32 bits with channel masks (5-5-5, 5-6-5, bit fields with or without
// alpha), 24 and 32 bits; Windows headers of 40, 52, 56, 108 and 124 bytes, the OS/2 1.x core
// header (12 bytes, 3-byte palette entries) and OS/2 2.x headers (16 to 64 bytes); bottom-up
// and top-down rows. The same reader takes a DIB without the file header, as the clipboard and
// the entries of an icon file hold one.
//
// Reading is two steps, so that the caller allocates only what a checked header allows:
// readBmpHeader (or readDibHeader) checks everything that can be checked before the pixels,
// the size limits of PictureLimits.h included, and allocates nothing; decodeBmp then fills a
// raster of exactly the announced size, streaming the pixels through a buffer of a few hundred
// KiB. readBmp does both with an allocation callback.
//
// What damaged and unusual files give (the same bytes always give the same picture, whatever
// the raster held before, or are refused):
// - Channels narrower than 8 bits expand to the full range as v * 255 / max, rounded to
//   nearest (a 5-bit 31 is 255, 16 is 132); wider ones (10-bit masks) narrow by the same rule.
// - Palette: the entries the header states (all 2^bits when it states 0), at most 2^bits, and
//   in a file at most as many as fit between the headers and the pixels. Pixels whose index
//   lies past the palette are black.
// - Channel masks must each be one run of bits inside the pixel; otherwise the file is refused.
//   A mask of 0 gives a channel of 0; masks may overlap.
// - Alpha (bit fields with an alpha mask; a 32-bit file without bit fields whose 56-, 108- or
//   124-byte header gives the alpha mask 0xFF000000; the fourth byte of a 32-bit icon entry,
//   as icons have it): the program's pictures are opaque, so each pixel is put on white,
//   as onWhite of PictureRows.h has it. When every alpha value of the picture is 0, the file
//   means no alpha and its colours load as they are. A 32-bit file with a 40-byte header and no
//   bit fields has no alpha: its fourth byte is ignored.
// - Run lengths: the data runs from the pixel offset to the end of the file (or of the DIB);
//   the header's image size is not used. Pixels that no run reaches (skipped by a delta, an
//   early end of line or end of bitmap) are black, as a fresh Windows bitmap leaves them. A run
//   past the end of a row is clipped to the row, never wraps; a delta or an end of line past
//   the last row ends the picture. Data that ends without an end-of-bitmap marker before the
//   last pixel of the last row is cut off, and the file is refused like a cut-off uncompressed
//   one. Top-down run lengths are read top row first.
// - Uncompressed pixels that the file cuts off: refused. The last row's padding may be missing.
// - Icon entries: the header's height counts the colour rows and the 1-bit AND mask rows after
//   them. Where no alpha is in use, a masked pixel is transparent, so white, whatever its colour.
//   Mask bytes that the entry cuts off count as unmasked. Run lengths are refused in icons.
// - OS/2 headers: 1.x sizes are unsigned 16-bit (rows always bottom-up); the fields that a
//   2.x header shorter than 64 bytes leaves out count as 0.
// - Refused: a width of 0 or less, a height of 0 (an icon's of 1 or less, or negative), planes
//   other than 1, bit counts other than 1, 2, 4, 8, 16, 24, 32, compressions that do not fit
//   the bit count, embedded JPEG or PNG, CMYK, OS/2 Huffman and 24-bit run lengths, pixels that
//   start inside the headers.

#include "core/ByteSource.h"
#include "core/PictureLimits.h"
#include "core/Raster.h"

#include <array>
#include <cstdint>
#include <functional>

namespace tesmaro {

enum class BmpStatus {
    Ok,
    NotBmp,      // no "BM" signature, or a header size no BMP has
    Unsupported, // a valid layout the program does not read (embedded JPEG or PNG, CMYK, ...)
    Damaged,     // fields out of range or contradicting each other
    Oversized,   // beyond kMaxPictureSide or kMaxPicturePixels: refused from the header
    Truncated,   // the source ends before the palette or the pixels do
    ReadError,   // the byte source failed (or shrank after the header was read)
    NoRaster,    // the raster given is empty or not of the header's size (no memory for readBmp)
};

enum class BmpPixels {
    Indexed, // 1, 2, 4 or 8 bits into the palette
    Rle8,
    Rle4,
    Bgr24,
    Bgrx32, // 32 bits as blue, green, red and unused (or alpha when alphaMask is set) bytes
    Masked, // 16 or 32 bits with channel masks
};

struct BmpHeader {
    int width = 0;
    int height = 0;       // rows of the picture (an icon's colour rows), always positive
    bool topDown = false; // the first row in the source is the top row
    int bitsPerPixel = 0;
    BmpPixels pixels = BmpPixels::Indexed;
    // Masks of red, green, blue and alpha for Masked and Bgrx32; an alpha mask of 0: no alpha.
    std::uint32_t redMask = 0, greenMask = 0, blueMask = 0, alphaMask = 0;
    // Opaque 0xFFRRGGBB colours; entries from paletteSize on are black.
    int paletteSize = 0;
    std::array<std::uint32_t, 256> palette{};
    std::int64_t pixelOffset = 0; // offset of the pixel data in the source
    std::int64_t dataEnd = 0;     // end of the bytes the pixels (and an icon's mask) may come from
    std::int64_t rowBytes = 0;    // one uncompressed row with its padding to 4 bytes
    bool iconMask = false;        // an AND mask follows the colour rows
};

// Reads and checks the headers, masks and palette of a BMP file that starts at offset 0 of
// `file`. Touches only those bytes and allocates nothing; on Ok, `header` describes the pixels.
BmpStatus readBmpHeader(ByteSource& file, BmpHeader& header);

enum class DibKind {
    Packed,    // header, masks, palette and pixels one after another (the clipboard's DIB)
    IconEntry, // the same with the doubled height and the AND mask of an icon
};

// The same for a DIB of `bytes` bytes at `offset` of `source`, without the file header.
BmpStatus readDibHeader(ByteSource& source, std::int64_t offset, std::int64_t bytes, DibKind kind,
                        BmpHeader& header);

// Decodes the pixels into dest, which must be header.width x header.height (else NoRaster).
// On Ok every pixel of dest is written and opaque; on any other result dest holds nothing
// usable. Throws std::bad_alloc if its buffer of a few hundred KiB cannot be had.
BmpStatus decodeBmp(ByteSource& source, const BmpHeader& header, const RasterView& dest);

// Gives a raster of width x height for the picture, or an empty view when there is no memory.
using RasterAllocator = std::function<RasterView(int width, int height)>;

// readBmpHeader, then `allocate` (called only for a picture within the limits), then decodeBmp.
// An empty raster from `allocate` gives NoRaster.
BmpStatus readBmp(ByteSource& file, const RasterAllocator& allocate);

} // namespace tesmaro
