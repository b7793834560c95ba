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

namespace tesmaro {

enum class PictureFormat { Unknown, Bmp, Gif, Ico, Jpeg, Png };

struct PictureHeader {
    PictureFormat format = PictureFormat::Unknown;
    // The headers were read as far as the picture's size: false when they are cut off or
    // damaged before it (a GIF without any image, a JPEG without a frame header, ...).
    bool sizeKnown = false;
    // The picture: BMP, PNG and JPEG their size; GIF its logical screen (the first image's
    // extent when the screen is 0 wide or high); ICO its first entry, as the entry's own image
    // header states it.
    std::int64_t width = 0;
    std::int64_t height = 0;
    // Over every raster a decoder may set up for the file: the GIF screen grown to hold every
    // image (an image may claim more than the screen), each ICO entry by its directory and by
    // its embedded PNG or DIB header (they may disagree), the picture itself otherwise.
    std::int64_t largestSide = 0;
    std::int64_t largestPixels = 0;
    int images = 0; // GIF images, ICO directory entries, else 1
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
    // Bytes of the largest single buffer a decoder sets up for the file: the 32-bit raster of
    // the largest image; for a 16-bit PNG (also inside an icon) 8 bytes a pixel, as Qt's decoder
    // keeps 16 bits a channel; for a multi-scan JPEG also its coefficients, 2 bytes a sample in
    // whole blocks as the sampling factors lay them out.
    std::int64_t largestBuffer = 0;
};

PictureHeader probePicture(ByteSource& file);

enum class PictureCheck {
    Accepted,
    NotAPicture, // none of the program's formats
    Damaged,     // recognised, but its size cannot be read
    TooLarge,    // some raster beyond kMaxPictureSide or kMaxPicturePixels, or a decoder buffer
                 // beyond kMaxPictureBytes (PictureLimits.h)
};

PictureCheck checkPicture(const PictureHeader& header);

// Qt's name of the format ("bmp", "gif", "ico", "jpeg", "png"), so a decoder can be told the
// format instead of guessing it from the name; "" for Unknown.
const char* pictureFormatName(PictureFormat format);

} // namespace tesmaro
