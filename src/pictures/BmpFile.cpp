#include "pictures/BmpFile.h"

#include "core/BmpCodec.h"
#include "pictures/RasterImage.h"
#include "platform/FileReplacement.h"

#include <new>

namespace tesmaro {

bool saveBmpFile(const QImage& picture, const QString& path) {
    if (picture.isNull())
        return false;
    try {
        const QImage rgb = picture.format() == QImage::Format_RGB32
                               ? picture
                               : picture.convertToFormat(QImage::Format_RGB32);
        if (rgb.isNull())
            return false;
        const ConstRasterView pixels = constRasterOf(rgb);
        return replaceFile(path, [&pixels](const FileSink& sink) { return encodeBmp24(pixels, sink); });
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace tesmaro
