#pragma once
// Recognises a picture file by its content and reads, from its headers alone, the size of every
// raster a decoder would set up for it, so that the caller can refuse a damaged or oversized
// file before any decoder allocates or decodes anything.
//
// The formats the program loads: BMP ("BM"), GIF ("GIF87a", "GIF89a"), ICO (an icon or cursor
// directory: reserved 0, type 1 or 2, at least one entry), JPEG (FF D8 FF), PNG (its 8-byte
// signature). Any other content is not a picture, whatever the file is called.
//
// Probes read only headers through the byte source, never past its end, and stop after a number
// of steps bounded by the file's size (every step consumes at least one byte).

#include "core/ByteSource.h"

#include <cstdint>
#include <functional>

namespace tesmaro {

enum class PictureFormat { Unknown, Bmp, Gif, Ico, Jpeg, Png };

struct PictureHeader {
    PictureFormat format = PictureFormat::Unknown;
    // The headers were read as far as the picture's size: false when they are cut off or
    // damaged before it (a GIF without any image, a JPEG without a frame header, ...).
    bool sizeKnown = false;
    // The picture: BMP, PNG and JPEG their size; GIF its logical screen (the first image's
    // extent when the screen is 0 wide or high); ICO its first entry, as the entry's own image
    // header states it. A PNG counts as damaged unless every chunk up to IEND lies whole inside
    // the file (a chunk claiming more than the file holds is refused before any decoder reads
    // it).
    std::int64_t width = 0;
    std::int64_t height = 0;
    // Over every raster a decoder may set up for the file: the GIF screen grown to hold the first
    // image (it may claim more than the screen; later images are never decoded), each ICO entry
    // by its directory and by its embedded PNG or DIB header (they may disagree), the picture
    // itself otherwise.
    std::int64_t largestSide = 0;
    std::int64_t largestPixels = 0;
    int images = 0; // ICO directory entries, else 1 (GIF: 1 once its first image is found)
    // JPEG only: progressive (its decoder also keeps 2 bytes per sample of coefficients for the
    // whole picture) and the number of components.
    bool progressive = false;
    int components = 0;
    // JPEG only: the decoder keeps the coefficients of the whole picture until the last scan,
    // because the frame is progressive or its first scan holds fewer than all components (or no
    // scan header follows the frame header, which no decoder takes anyway).
    bool multiScan = false;
    // GIF only: the first image brings a colour table of its own.
    bool firstImageColours = false;
    // PNG bit depth, JPEG sample precision; 0 elsewhere.
    int bitsPerChannel = 0;
    // JPEG only: the orientation of its EXIF data (the first APP1 "Exif" segment before the first
    // scan), 1 to 8 as PictureRows.h describes; 1 without one or for any other value. width and
    // height above are the stored picture's, before it is turned.
    int orientation = 1;
    // PNG only (also inside an icon): a 16-bit truecolour picture with a colour key (its first
    // valid tRNS chunk before the image data), which Qt's decoder does not apply right, so the
    // caller decodes the picture without its tRNS chunks and applies the key: the 16-bit red,
    // green and blue of the key.
    bool colourKey16 = false;
    std::uint16_t colourKey[3] = {};
    // Bytes of the largest single buffer a decoder sets up for the file: the 32-bit raster of
    // the largest image; for a 16-bit PNG (also inside an icon) 8 bytes a pixel, as Qt's decoder
    // keeps 16 bits a channel; for a multi-scan JPEG also its coefficients, 2 bytes a sample in
    // whole blocks as the sampling factors lay them out.
    std::int64_t largestBuffer = 0;
};

PictureHeader probePicture(ByteSource& file);

// One entry of an icon or cursor directory (the same container; a cursor's hot spot sits where an
// icon has its planes and bit count, which nothing here reads), as the probe and the decoder both
// take it.
struct IconEntry {
    std::int64_t listedWidth = 0, listedHeight = 0; // the directory's, 0 there meaning 256
    // The entry's image runs from `offset` to the end of the file: the directory's byte count is
    // not trusted (writers state too few), the image's own header tells where it ends.
    std::int64_t offset = 0;
    bool png = false; // an embedded PNG, else a DIB followed by its AND mask
    // The image as its own header states it (a DIB's colour rows); 0 when it has no readable
    // header. bytesPerPixel: what its decoder keeps a pixel.
    std::int64_t width = 0, height = 0;
    int bytesPerPixel = 4;
};

// Entry `index` (from 0) of the ICO or CUR file's directory; false when the file holds no such
// entry (too few entries, or the directory is cut off).
bool readIconEntry(ByteSource& file, std::int64_t index, IconEntry& entry);

enum class PictureCheck {
    Accepted,
    NotAPicture, // none of the program's formats
    Damaged,     // recognised, but its size cannot be read
    TooLarge,    // some raster beyond kMaxPictureSide or kMaxPicturePixels, or a decoder buffer
                 // beyond kMaxPictureBytes (PictureLimits.h)
};

PictureCheck checkPicture(const PictureHeader& header);

// One chunk of a PNG: where it starts (its length field), the length of its data, its type.
struct PngChunk {
    std::int64_t offset = 0;
    std::uint32_t length = 0;
    char type[4] = {};
    bool is(const char* name) const {
        return type[0] == name[0] && type[1] == name[1] && type[2] == name[2] && type[3] == name[3];
    }
};

// Walks the chunks of the PNG at the start of `file` from the first after the signature to IEND
// (passed too), handing each to `visit`, which returns false to stop early. Returns false when a
// chunk runs past the end of the file or the file ends before IEND: no decoder is then to read
// it. Reads only the chunk headers, 8 bytes a chunk of at least 12.
bool walkPngChunks(ByteSource& file, const std::function<bool(const PngChunk&)>& visit);

// Qt's name of the format ("bmp", "gif", "ico", "jpeg", "png"), so a decoder can be told the
// format instead of guessing it from the name; "" for Unknown.
const char* pictureFormatName(PictureFormat format);

} // namespace tesmaro
