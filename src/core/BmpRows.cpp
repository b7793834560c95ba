#include "core/BmpRows.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define TESMARO_SSSE3_DISPATCH 1
#define SSSE3 __attribute__((target("ssse3")))
#endif

namespace tesmaro {
namespace {

static_assert(std::endian::native == std::endian::little, "pixel words are read and written as file bytes");

std::uint32_t loadWord(const std::uint8_t* p) {
    std::uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
}

// Blue, green, red triples to opaque pixels; four pixels from three words where it can.
void unpack24Words(const std::uint8_t* src, int width, std::uint32_t* dest) {
    int x = 0;
    for (; x + 4 <= width; x += 4, src += 12) {
        const std::uint32_t a = loadWord(src), b = loadWord(src + 4), c = loadWord(src + 8);
        dest[x] = kOpaque | (a & 0xFFFFFF);
        dest[x + 1] = kOpaque | (a >> 24) | ((b & 0xFFFF) << 8);
        dest[x + 2] = kOpaque | (b >> 16) | ((c & 0xFF) << 16);
        dest[x + 3] = kOpaque | (c >> 8);
    }
    for (; x < width; ++x, src += 3)
        dest[x] = kOpaque | src[0] | std::uint32_t(src[1]) << 8 | std::uint32_t(src[2]) << 16;
}

#if TESMARO_SSSE3_DISPATCH
// Sixteen pixels per step with byte shuffles. The decoded raster is far larger than the cache
// and is read next by another pass, so its rows are streamed past the cache.
SSSE3 void unpack24Shuffled(const std::uint8_t* src, int width, std::uint32_t* dest) {
    int x = 0;
    for (; x < width && (reinterpret_cast<std::uintptr_t>(dest + x) & 15) != 0; ++x, src += 3)
        dest[x] = kOpaque | src[0] | std::uint32_t(src[1]) << 8 | std::uint32_t(src[2]) << 16;
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    for (; x + 16 <= width; x += 16, src += 48) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
        auto* out = reinterpret_cast<__m128i*>(dest + x);
        _mm_stream_si128(out, _mm_or_si128(_mm_shuffle_epi8(a, spread), opaque));
        _mm_stream_si128(out + 1, _mm_or_si128(_mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), spread), opaque));
        _mm_stream_si128(out + 2, _mm_or_si128(_mm_shuffle_epi8(_mm_alignr_epi8(c, b, 8), spread), opaque));
        _mm_stream_si128(out + 3, _mm_or_si128(_mm_shuffle_epi8(_mm_srli_si128(c, 4), spread), opaque));
    }
    _mm_sfence();
    unpack24Words(src, width - x, dest + x);
}

#endif

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

} // namespace

void unpackBgr24Row(const std::uint8_t* src, int width, std::uint32_t* dest) {
#if TESMARO_SSSE3_DISPATCH
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    if (shuffles)
        return unpack24Shuffled(src, width, dest);
#endif
    unpack24Words(src, width, dest);
}

void unpackBgrx32Row(const std::uint8_t* src, int width, std::uint32_t* dest) {
    for (int x = 0; x < width; ++x)
        dest[x] = kOpaque | loadWord(src + 4 * x);
}

void copyBgra32Row(const std::uint8_t* src, int width, std::uint32_t* dest) {
    std::memcpy(dest, src, static_cast<std::size_t>(width) * 4);
}

void packBgr24Row(const std::uint32_t* src, int width, std::uint8_t* dest, std::int64_t rowBytes) {
#if TESMARO_SSSE3_DISPATCH
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    if (shuffles)
        pack24Shuffled(src, width, dest);
    else
#endif
        pack24Words(src, width, dest);
    std::fill(dest + 3 * std::int64_t(width), dest + rowBytes, std::uint8_t(0));
}

} // namespace tesmaro
