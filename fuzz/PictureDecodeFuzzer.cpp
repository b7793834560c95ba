// The program's bounded decoding of every format it loads (its BMP reader and Qt's decoders with
// the format given), on any bytes: a picture the header probe accepts decodes the same twice,
// with every fresh allocation filled with 0x00 the first time and 0xFF the second (so memory a
// decoder never wrote shows), into an opaque picture of the size the probe read.
#include "core/PictureLimits.h"
#include "core/PictureProbe.h"
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
    const QImage first = decodeFilled(source, 0x00);
    const QImage second = decodeFilled(source, 0xFF);
    require(first.isNull() == second.isNull());
    if (first.isNull())
        return 0;
    require(first.format() == QImage::Format_RGB32 && second.format() == QImage::Format_RGB32);
    require(first.size() == second.size());
    // A GIF's screen may be wider than its header says when an image reaches beyond it.
    if (h.format == PictureFormat::Gif)
        require(std::int64_t(first.width()) * first.height() <= h.largestPixels);
    else
        require(first.width() == h.width && first.height() == h.height);
    for (int y = 0; y < first.height(); ++y) {
        const auto* a = reinterpret_cast<const std::uint32_t*>(first.constScanLine(y));
        const auto* b = reinterpret_cast<const std::uint32_t*>(second.constScanLine(y));
        require(std::memcmp(a, b, std::size_t(first.width()) * 4) == 0);
        for (int x = 0; x < first.width(); ++x)
            require(a[x] >> 24 == 0xFF);
    }
    return 0;
}
