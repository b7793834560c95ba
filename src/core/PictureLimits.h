#pragma once
// The largest picture the program takes in, checked from a file's header before any pixel is
// decoded, so a small file that claims a huge picture costs neither memory nor time.

#include <cstdint>

namespace tesmaro {

// The largest width or height (the 16-bit scroll range of the picture windows).
constexpr int kMaxPictureSide = 32767;

// The most pixels of one decoded picture: 2^28, so its 32-bit raster stays within 1 GiB
// (16384 x 16384 is the largest square).
constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 28;

// The most bytes of any one buffer a decoder may set up for a picture: the 32-bit raster of
// kMaxPicturePixels. Decoders that keep more than 4 bytes a pixel (16-bit channels, the
// coefficients of a multi-scan JPEG) are held to the same bytes, so to fewer pixels.
constexpr std::int64_t kMaxPictureBytes = 4 * kMaxPicturePixels;

// True when a raster of width x height pixels is within both limits (sides of 0 or less are
// not a picture and count as outside).
constexpr bool pictureSizeAllowed(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

} // namespace tesmaro
