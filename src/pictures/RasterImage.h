#pragma once
// Raster views over Format_RGB32 pictures: the one bridge from QImage to the pixel kernels, and
// pictures whose pixels live in the raster memory.

#include "core/Raster.h"

#include <QImage>

namespace tesmaro {

// Read-only view of a Format_RGB32 picture; an empty view for a null picture or any other
// format. The picture must outlive the view and stay unchanged while it is used.
inline ConstRasterView constRasterOf(const QImage& picture) {
    if (picture.isNull() || picture.format() != QImage::Format_RGB32)
        return {};
    return ConstRasterView{reinterpret_cast<const std::uint32_t*>(picture.constBits()), picture.width(),
                           picture.height(), static_cast<int>(picture.bytesPerLine() / 4)};
}

// A Format_RGB32 picture of width x height whose pixels are undefined: the caller writes every
// one. A large picture gets its pixels from core/RasterMemory.h (memory cheap to touch for the
// first time), given back there when the last copy sharing them goes. A null picture for sizes
// of 0 or less, or when memory runs out.
QImage newRaster(int width, int height);

// A picture with pixels of its own: picture itself when nothing shares them, else a copy made
// in memory from newRaster.
void detachRaster(QImage& picture);

// Writable view; detaches the picture from any copy sharing its pixels.
inline RasterView rasterOf(QImage& picture) {
    if (picture.isNull() || picture.format() != QImage::Format_RGB32)
        return {};
    detachRaster(picture);
    return RasterView{reinterpret_cast<std::uint32_t*>(picture.bits()), picture.width(), picture.height(),
                      static_cast<int>(picture.bytesPerLine() / 4)};
}

} // namespace tesmaro
