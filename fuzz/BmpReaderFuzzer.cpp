// The BMP reader on any bytes: a file when they start with "BM", otherwise a packed DIB and an
// icon entry. Every accepted picture is decoded twice, into rasters that held different
// garbage, and must come out the same, opaque, and without a write outside its rows.
#include "core/BmpReader.h"

#include <cstdint>
#include <vector>

namespace {

using namespace tesmaro;

// Pictures larger than this are checked only up to their header, to keep runs fast; the
// reader's own limit is far above it.
constexpr std::int64_t kMostFuzzPixels = std::int64_t{1} << 18;
constexpr std::uint32_t kGuard = 0x5AA5C33Cu;

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

struct Raster {
    int width, height, stride;
    std::vector<std::uint32_t> words;
    Raster(int w, int h, std::uint32_t fill) : width(w), height(h), stride(w + 1) {
        words.assign(static_cast<std::size_t>(h) * stride, kGuard);
        for (int y = 0; y < h; ++y)
            std::fill_n(words.begin() + static_cast<std::ptrdiff_t>(y) * stride, w, fill);
    }
    RasterView view() { return {words.data(), width, height, stride}; }
    bool guardsIntact() const {
        for (int y = 0; y < height; ++y)
            if (words[static_cast<std::size_t>(y) * stride + width] != kGuard)
                return false;
        return true;
    }
    bool opaque() const {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if ((words[static_cast<std::size_t>(y) * stride + x] >> 24) != 0xFF)
                    return false;
        return true;
    }
};

// Decodes twice and checks that both decodes agree and stay within their rows.
void decodeTwice(ByteSource& source, const BmpHeader& header) {
    require(pictureSizeAllowed(header.width, header.height));
    require(header.pixelOffset >= 0 && header.pixelOffset <= header.dataEnd);
    if (std::int64_t(header.width) * header.height > kMostFuzzPixels)
        return;
    Raster first(header.width, header.height, 0x00000000u);
    Raster second(header.width, header.height, 0xFFFFFFFFu);
    const BmpStatus a = decodeBmp(source, header, first.view());
    const BmpStatus b = decodeBmp(source, header, second.view());
    require(a == b);
    require(first.guardsIntact() && second.guardsIntact());
    if (a != BmpStatus::Ok)
        return;
    require(first.words == second.words);
    require(first.opaque());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryBytes source(data, size);
    BmpHeader header;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
        const BmpStatus status = readBmpHeader(source, header);
        if (status == BmpStatus::Ok)
            decodeTwice(source, header);
        return 0;
    }
    for (DibKind kind : {DibKind::Packed, DibKind::IconEntry})
        if (readDibHeader(source, 0, std::int64_t(size), kind, header) == BmpStatus::Ok)
            decodeTwice(source, header);
    return 0;
}
