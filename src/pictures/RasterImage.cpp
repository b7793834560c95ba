#include "pictures/RasterImage.h"

#include "core/RasterMemory.h"

#include <cstring>
#include <new>

namespace tesmaro {
namespace {

void giveBack(void* info) {
    auto* memory = static_cast<RasterMemory*>(info);
    giveBackRasterMemory(*memory);
    delete memory;
}

} // namespace

QImage newRaster(int width, int height) {
    if (width <= 0 || height <= 0)
        return {};
    const std::size_t rowBytes = std::size_t(width) * 4;
    const std::size_t bytes = rowBytes * std::size_t(height);
    if (bytes < kLargeRasterBytes)
        return QImage(width, height, QImage::Format_RGB32);
    const RasterMemory memory = takeRasterMemory(bytes);
    if (!memory.pixels)
        return {};
    auto* held = new (std::nothrow) RasterMemory(memory);
    if (!held) {
        giveBackRasterMemory(memory);
        return {};
    }
    return QImage(static_cast<uchar*>(memory.pixels), width, height, static_cast<qsizetype>(rowBytes),
                  QImage::Format_RGB32, giveBack, held);
}

void detachRaster(QImage& picture) {
    if (picture.isNull() || picture.isDetached() || picture.format() != QImage::Format_RGB32)
        return;
    QImage own = newRaster(picture.width(), picture.height());
    if (own.isNull())
        return; // Qt's own copy on write then tries the heap
    const std::size_t rowBytes = std::size_t(picture.width()) * 4;
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(own.scanLine(y), picture.constScanLine(y), rowBytes);
    own.setDevicePixelRatio(picture.devicePixelRatio());
    picture = own;
}

} // namespace tesmaro
