#pragma once
// Raster views over Format_RGB32 pictures: the one bridge from QImage to the pixel kernels.

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

// Writable view; detaches the picture from any copy sharing its pixels.
inline RasterView rasterOf(QImage& picture) {
    if (picture.isNull() || picture.format() != QImage::Format_RGB32)
        return {};
    return RasterView{reinterpret_cast<std::uint32_t*>(picture.bits()), picture.width(), picture.height(),
                      static_cast<int>(picture.bytesPerLine() / 4)};
}

} // namespace tesmaro
