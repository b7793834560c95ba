// The program's bounded decoding of every format it loads (its BMP reader and Qt's decoders with
// the format given), on any bytes: a picture the header probe accepts decodes the same three times,
// with every fresh allocation filled with 0x00, 0x80 and a byte taken from the input (so memory a
// decoder never wrote shows, whatever it would have held), into an opaque picture of the size the
// probe read, turned by the orientation it read.
#include "core/PictureLimits.h"
#include "core/PictureProbe.h"
#include "core/PictureRows.h"
#include "pictures/PictureDecoding.h"

#include <QGuiApplication>
#include <QImage>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sanitizer/allocator_interface.h>

namespace {

using namespace tesmaro;

// Pictures larger than this are checked only up to their header, to keep runs fast; the
// decoders' own limit is far above it.
constexpr std::int64_t kMostFuzzPixels = std::int64_t{1} << 20;

std::atomic<int> g_fill{-1};

void fillFresh(const volatile void* block, std::size_t size) {
    const int fill = g_fill.load(std::memory_order_relaxed);
    if (fill >= 0 && block)
        std::memset(const_cast<void*>(block), fill, size);
}

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

QImage decodeFilled(ByteSource& source, int fill) {
    g_fill = fill;
    QImage picture = decodePictureSource(source);
    g_fill = -1;
    return picture;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    __sanitizer_install_malloc_and_free_hooks(fillFresh, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryBytes source(data, size);
    const PictureHeader h = probePicture(source);
    if (checkPicture(h) != PictureCheck::Accepted || h.largestPixels > kMostFuzzPixels)
        return 0;
    std::uint8_t third = 0x5A;
    for (std::size_t i = 0; i < size; ++i)
        third = static_cast<std::uint8_t>(third * 31 + data[i]);
    const QImage first = decodeFilled(source, 0x00);
    if (first.isNull()) {
        require(decodeFilled(source, 0x80).isNull() && decodeFilled(source, third).isNull());
        return 0;
    }
    require(first.format() == QImage::Format_RGB32);
    // A GIF's screen may be wider than its header says when its first image reaches beyond it.
    const bool turned = orientationSwapsSides(h.orientation);
    if (h.format == PictureFormat::Gif)
        require(std::int64_t(first.width()) * first.height() <= h.largestPixels);
    else
        require(first.width() == (turned ? h.height : h.width) &&
                first.height() == (turned ? h.width : h.height));
    for (int y = 0; y < first.height(); ++y) {
        const auto* a = reinterpret_cast<const std::uint32_t*>(first.constScanLine(y));
        for (int x = 0; x < first.width(); ++x)
            require(a[x] >> 24 == 0xFF);
    }
    for (const int fill : {0x80, int(third)}) {
        const QImage again = decodeFilled(source, fill);
        require(again.format() == QImage::Format_RGB32 && again.size() == first.size());
        for (int y = 0; y < first.height(); ++y)
            require(std::memcmp(first.constScanLine(y), again.constScanLine(y),
                                std::size_t(first.width()) * 4) == 0);
    }
    return 0;
}
