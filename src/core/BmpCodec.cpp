#include "core/BmpCodec.h"

#include "core/BmpRows.h"
#include "core/PictureLimits.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <vector>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define TESMARO_SSSE3_DISPATCH 1
#define SSSE3 __attribute__((target("ssse3")))
#endif

namespace tesmaro {
namespace {

static_assert(std::endian::native == std::endian::little, "pixel words are read and written as file bytes");

// Rows are moved through a buffer of about this size: large enough that a read or write is one
// system call per few hundred KiB, small enough to stay in the processor's cache.
constexpr std::int64_t kChunkBytes = 256 * 1024;
constexpr int kInfoHeaderBytes = 40;

std::uint32_t le16(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
}
std::uint32_t le32(const std::uint8_t* p) {
    return le16(p) | le16(p + 2) << 16;
}
void putLe16(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
void putLe32(std::uint8_t* p, std::uint32_t v) {
    putLe16(p, v);
    putLe16(p + 2, v >> 16);
}

void storeWord(std::uint8_t* p, std::uint32_t w) {
    std::memcpy(p, &w, 4);
}

// Pixels to blue, green, red triples; four pixels into three words where it can.
void pack24Words(const std::uint32_t* src, int width, std::uint8_t* dest) {
    int x = 0;
    for (; x + 4 <= width; x += 4, dest += 12) {
        const std::uint32_t p0 = src[x], p1 = src[x + 1], p2 = src[x + 2], p3 = src[x + 3];
        storeWord(dest, (p0 & 0xFFFFFF) | p1 << 24);
        storeWord(dest + 4, ((p1 >> 8) & 0xFFFF) | p2 << 16);
        storeWord(dest + 8, ((p2 >> 16) & 0xFF) | p3 << 8);
    }
    for (; x < width; ++x, dest += 3) {
        dest[0] = std::uint8_t(src[x]);
        dest[1] = std::uint8_t(src[x] >> 8);
        dest[2] = std::uint8_t(src[x] >> 16);
    }
}

#if TESMARO_SSSE3_DISPATCH
SSSE3 void pack24Shuffled(const std::uint32_t* src, int width, std::uint8_t* dest) {
    const __m128i squeeze = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    for (; x + 16 <= width; x += 16, dest += 48) {
        const auto* in = reinterpret_cast<const __m128i*>(src + x);
        const __m128i p0 = _mm_shuffle_epi8(_mm_loadu_si128(in), squeeze);
        const __m128i p1 = _mm_shuffle_epi8(_mm_loadu_si128(in + 1), squeeze);
        const __m128i p2 = _mm_shuffle_epi8(_mm_loadu_si128(in + 2), squeeze);
        const __m128i p3 = _mm_shuffle_epi8(_mm_loadu_si128(in + 3), squeeze);
        auto* out = reinterpret_cast<__m128i*>(dest);
        _mm_storeu_si128(out, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
        _mm_storeu_si128(out + 1, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
        _mm_storeu_si128(out + 2, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
    }
    pack24Words(src + x, width - x, dest);
}
#endif

// Pixels to blue, green, red triples, zero padding to rowBytes.
void pack24(const std::uint32_t* src, int width, std::uint8_t* dest, std::int64_t rowBytes) {
#if TESMARO_SSSE3_DISPATCH
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    if (shuffles)
        pack24Shuffled(src, width, dest);
    else
#endif
        pack24Words(src, width, dest);
    std::fill(dest + 3 * std::int64_t(width), dest + rowBytes, std::uint8_t(0));
}

// Whole rows per chunk, at least one.
std::int64_t rowsPerChunk(std::int64_t rowBytes) {
    return std::max<std::int64_t>(1, kChunkBytes / rowBytes);
}

} // namespace

std::int64_t bmpRowBytes(int width, int bitsPerPixel) {
    return (std::int64_t(width) * bitsPerPixel + 31) / 32 * 4;
}

BmpKind inspectBmp(const std::uint8_t* head, std::size_t headBytes, std::int64_t fileBytes, int maxSide,
                   BmpLayout& layout) {
    if (headBytes < kBmpHeadBytes || head[0] != 'B' || head[1] != 'M')
        return BmpKind::Other;
    const std::uint32_t infoBytes = le32(head + 14);
    const std::uint32_t bits = le16(head + 28);
    const bool plainHeader = infoBytes == kInfoHeaderBytes && (bits == 24 || bits == 32);
    // The larger headers add colour masks, which a 32-bit file may use for alpha.
    const bool maskedHeader = (infoBytes == 108 || infoBytes == 124) && bits == 24;
    if (!plainHeader && !maskedHeader)
        return BmpKind::Other;
    if (le16(head + 26) != 1 || le32(head + 30) != 0)
        return BmpKind::Other; // planes, compression
    const auto width = static_cast<std::int32_t>(le32(head + 18));
    const auto height = static_cast<std::int32_t>(le32(head + 22));
    if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min())
        return BmpKind::Other;
    const std::int64_t offset = le32(head + 10);
    if (offset < 14 + std::int64_t(infoBytes))
        return BmpKind::Other;

    const std::int64_t rows = height < 0 ? -std::int64_t(height) : height;
    if (width > maxSide || rows > maxSide || !pictureSizeAllowed(width, rows))
        return BmpKind::Oversized;
    BmpLayout l;
    l.width = width;
    l.height = static_cast<int>(rows);
    l.bitsPerPixel = static_cast<int>(bits);
    l.topDown = height < 0;
    l.pixelOffset = offset;
    l.rowBytes = bmpRowBytes(width, l.bitsPerPixel);
    // The last row's padding may be missing: its pixels are all there.
    l.pixelBytes = l.rowBytes * (rows - 1) + std::int64_t(width) * (l.bitsPerPixel / 8);
    if (fileBytes < offset || fileBytes - offset < l.pixelBytes)
        return BmpKind::Truncated;
    layout = l;
    return BmpKind::Plain;
}

bool decodeBmpPixels(const BmpLayout& layout, const BmpByteSource& read, const RasterView& dest) {
    if (dest.empty() || dest.width != layout.width || dest.height != layout.height || layout.rowBytes <= 0 ||
        (layout.bitsPerPixel != 24 && layout.bitsPerPixel != 32))
        return false;
    const std::int64_t chunkRows = rowsPerChunk(layout.rowBytes);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(chunkRows * layout.rowBytes));
    std::int64_t remaining = layout.pixelBytes;
    for (int fileRow = 0; fileRow < layout.height;) {
        const std::int64_t want = std::min(remaining, chunkRows * layout.rowBytes);
        std::int64_t got = 0;
        while (got < want) {
            const std::int64_t n = read(buffer.data() + got, want - got);
            if (n <= 0 || n > want - got)
                return false;
            got += n;
        }
        remaining -= want;
        const int rowsHere = static_cast<int>(std::min<std::int64_t>(chunkRows, layout.height - fileRow));
        for (int i = 0; i < rowsHere; ++i, ++fileRow) {
            const std::uint8_t* src = buffer.data() + i * layout.rowBytes;
            std::uint32_t* row = dest.row(layout.topDown ? fileRow : layout.height - 1 - fileRow);
            if (layout.bitsPerPixel == 24)
                unpackBgr24Row(src, layout.width, row);
            else
                unpackBgrx32Row(src, layout.width, row);
        }
    }
    return true;
}

bool encodeBmp24(const ConstRasterView& picture, const BmpByteSink& write) {
    if (picture.empty() || picture.width > kMaxPictureSide || picture.height > kMaxPictureSide)
        return false;
    const std::int64_t rowBytes = bmpRowBytes(picture.width, 24);
    const std::int64_t imageBytes = rowBytes * picture.height;
    const std::int64_t chunkRows = rowsPerChunk(rowBytes);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(kBmpHeadBytes + chunkRows * rowBytes));

    std::uint8_t* h = buffer.data();
    constexpr std::uint32_t kPixelsPerMetreAt96Dpi = 3780;
    h[0] = 'B';
    h[1] = 'M';
    putLe32(h + 2, static_cast<std::uint32_t>(kBmpHeadBytes + imageBytes));
    putLe32(h + 6, 0);
    putLe32(h + 10, kBmpHeadBytes);
    putLe32(h + 14, kInfoHeaderBytes);
    putLe32(h + 18, static_cast<std::uint32_t>(picture.width));
    putLe32(h + 22, static_cast<std::uint32_t>(picture.height)); // positive: bottom-up
    putLe16(h + 26, 1);
    putLe16(h + 28, 24);
    putLe32(h + 30, 0); // no compression
    putLe32(h + 34, static_cast<std::uint32_t>(imageBytes));
    putLe32(h + 38, kPixelsPerMetreAt96Dpi);
    putLe32(h + 42, kPixelsPerMetreAt96Dpi);
    putLe32(h + 46, 0);
    putLe32(h + 50, 0);

    std::size_t used = kBmpHeadBytes;
    for (int y = picture.height - 1; y >= 0; --y) {
        pack24(picture.row(y), picture.width, buffer.data() + used, rowBytes);
        used += static_cast<std::size_t>(rowBytes);
        if (used + static_cast<std::size_t>(rowBytes) > buffer.size() || y == 0) {
            if (!write(buffer.data(), used))
                return false;
            used = 0;
        }
    }
    return true;
}

} // namespace tesmaro
