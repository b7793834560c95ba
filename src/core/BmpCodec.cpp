#include "core/BmpCodec.h"

#include "core/PictureLimits.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define TESMARO_SSSE3_DISPATCH 1
#define SSSE3 __attribute__((target("ssse3")))
#endif

namespace tesmaro {
namespace {

static_assert(std::endian::native == std::endian::little, "pixel words are read and written as file bytes");

// Rows are moved through a buffer of about this size: large enough that a write is one system
// call per few hundred KiB, small enough to stay in the processor's cache.
constexpr std::int64_t kChunkBytes = 256 * 1024;
constexpr int kInfoHeaderBytes = 40;

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
