#include "core/BmpRows.h"

#include <bit>
#include <cstring>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define TESMARO_SSSE3_DISPATCH 1
#define SSSE3 __attribute__((target("ssse3")))
#endif

namespace tesmaro {
namespace {

static_assert(std::endian::native == std::endian::little, "pixel words are read as file bytes");

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

} // namespace tesmaro
