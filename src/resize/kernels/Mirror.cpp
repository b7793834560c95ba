#include "resize/kernels/Mirror.h"

#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tesmaro::resize {

void mirrorRow(std::uint32_t* row, int width) {
    int left = 0, right = width; // the unmirrored middle is [left, right)
#if defined(__SSE2__)
    // Swap blocks of four from both ends, each block reversed.
    for (; right - left >= 8; left += 4, right -= 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + left));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + right - 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + left),
                         _mm_shuffle_epi32(b, _MM_SHUFFLE(0, 1, 2, 3)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + right - 4),
                         _mm_shuffle_epi32(a, _MM_SHUFFLE(0, 1, 2, 3)));
    }
#endif
    for (; right - left >= 2; ++left, --right)
        std::swap(row[left], row[right - 1]);
}

void mirrorRowInto(std::uint32_t* to, const std::uint32_t* from, int width) {
    if (to == from) {
        mirrorRow(to, width);
        return;
    }
    int x = 0;
#if defined(__SSE2__)
    for (; x + 4 <= width; x += 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + width - 4 - x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), _mm_shuffle_epi32(a, _MM_SHUFFLE(0, 1, 2, 3)));
    }
#endif
    for (; x < width; ++x)
        to[x] = from[width - 1 - x];
}

} // namespace tesmaro::resize
