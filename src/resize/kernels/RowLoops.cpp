#include "resize/kernels/RowLoops.h"

#include "resize/kernels/Lanes.h"
#include "resize/kernels/RandomFactors.h"

#include <array>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define TESMARO_AVX2_DISPATCH 1
#endif

namespace tesmaro::resize {
namespace {

constexpr int kMaxChannel = 32767;

// --- four lanes -------------------------------------------------------------------------------

void blend4(const float* a, const float* b, float wa, float wb, float* out, int n) {
    const Floats4 va = splat4(wa), vb = splat4(wb);
    for (int i = 0; i < n; i += 4)
        store4(out + i, va * load4(a + i) + vb * load4(b + i));
}

void blendHundredths4(const float* a, const float* b, float wa, float wb, float* out, int n) {
    const Floats4 va = splat4(wa), vb = splat4(wb), hundred = splat4(100.0f);
    for (int i = 0; i < n; i += 4)
        store4(out + i, (load4(a + i) * va) / hundred + (load4(b + i) * vb) / hundred);
}

void channels4(const std::uint32_t* pixels, int count, float* out) {
    for (int x = 0; x < count; ++x)
        store4(out + 4 * x, toFloats(pixelChannels(pixels[x])));
}

void weightedChannels4(const std::uint32_t* pixels, int count, const float* p, float* out) {
    const Floats4 percent = lanes4(p[0], p[1], p[2], 0.0f);
    for (int x = 0; x < count; ++x)
        store4(out + 3 * x, toFloats(pixelChannels(pixels[x])) * percent);
}

void pixelAccessColumns4(const float* v, const int* x0, const float* a, const float* b, const float* factors,
                         std::uint32_t* out, int count) {
    for (int k = 0; k < count; ++k) {
        const float* p = v + 4 * static_cast<std::ptrdiff_t>(x0[k]);
        Ints4 ch = roundToInts(splat4(a[k]) * load4(p) + splat4(b[k]) * load4(p + 4));
        if (factors)
            ch = roundToInts(toFloats(ch) * load4(factors + 3 * k));
        if (((negativeLanes(ch) | lanesAbove(ch, kMaxChannel)) & 7) == 0)
            out[k] = packPixel(ch);
    }
}

// The step of the sequence applied `steps` times: state -> a*state + c (mod 2^24).
struct Jump {
    std::uint32_t a;
    std::uint32_t c;
};

constexpr Jump jumpOf(int steps) {
    Jump j{1, 0};
    for (int i = 0; i < steps; ++i) {
        j.a = (j.a * RandomSequence::kMultiplier) & RandomSequence::kMask;
        j.c = (j.c * RandomSequence::kMultiplier + RandomSequence::kIncrement) & RandomSequence::kMask;
    }
    return j;
}

constexpr float kScale = 1.0f / 16777216.0f;

// The states of the next N draws, without advancing random.
template <std::size_t N> std::array<std::uint32_t, N> nextStates(const RandomSequence& random) {
    std::array<std::uint32_t, N> states{};
    RandomSequence walk = random;
    for (std::size_t k = 0; k < N; ++k) {
        walk.next();
        states[k] = walk.state();
    }
    return states;
}

// Portable: eight interleaved chains, each jumping eight draws ahead, so the steps overlap.
void factors4(const RandomSequence& random, float r, float* factors, int n) {
    constexpr int kChains = 8;
    constexpr Jump jump = jumpOf(kChains);
    std::array<std::uint32_t, kChains> state = nextStates<kChains>(random);
    int i = 0;
    for (; i + kChains <= n; i += kChains)
        for (int k = 0; k < kChains; ++k) {
            factors[i + k] = static_cast<float>(state[k]) * kScale;
            state[k] = (state[k] * jump.a + jump.c) & RandomSequence::kMask;
        }
    for (int k = 0; i + k < n; ++k)
        factors[i + k] = static_cast<float>(state[k]) * kScale;

    const Floats4 rr = splat4(r), twoR = splat4(2.0f * r), hundred = splat4(100.0f), one = splat4(1.0f);
    int j = 0;
    for (; j + 4 <= n; j += 4)
        store4(factors + j, one + (rr - twoR * load4(factors + j)) / hundred);
    for (; j < n; ++j)
        factors[j] = randomFactor(r, factors[j]);
}

int firstLane(int mask) {
    return mask & 1 ? 0 : (mask & 2 ? 1 : 2);
}

int dibColumns4(const float* v, const int* x0, const float* a, const float* b, const float* factors,
                std::uint32_t* out, int count, int writeCount) {
    for (int k = 0; k < count; ++k) {
        const float* p = v + 3 * static_cast<std::ptrdiff_t>(x0[k]);
        Floats4 value = splat4(a[k]) * load4(p) + load4(p + 3) * splat4(b[k]);
        if (factors)
            value = value * load4(factors + 3 * k);
        const Ints4 ch = roundToInts(value);
        const int failed = negativeLanes(ch) & 7;
        if (failed)
            return 3 * k + firstLane(failed);
        if (k < writeCount)
            out[k] = packPixel(ch);
    }
    return -1;
}

// --- eight lanes ------------------------------------------------------------------------------

#if TESMARO_AVX2_DISPATCH

#define AVX2 __attribute__((target("avx2")))

AVX2 void blend8(const float* a, const float* b, float wa, float wb, float* out, int n) {
    const __m256 va = _mm256_set1_ps(wa), vb = _mm256_set1_ps(wb);
    int i = 0;
    for (; i + 8 <= n; i += 8)
        _mm256_storeu_ps(out + i, _mm256_add_ps(_mm256_mul_ps(va, _mm256_loadu_ps(a + i)),
                                                _mm256_mul_ps(vb, _mm256_loadu_ps(b + i))));
    if (i < n)
        _mm_storeu_ps(out + i, _mm_add_ps(_mm_mul_ps(_mm256_castps256_ps128(va), _mm_loadu_ps(a + i)),
                                          _mm_mul_ps(_mm256_castps256_ps128(vb), _mm_loadu_ps(b + i))));
}

AVX2 void blendHundredths8(const float* a, const float* b, float wa, float wb, float* out, int n) {
    const __m256 va = _mm256_set1_ps(wa), vb = _mm256_set1_ps(wb), hundred = _mm256_set1_ps(100.0f);
    int i = 0;
    for (; i + 8 <= n; i += 8)
        _mm256_storeu_ps(out + i,
                         _mm256_add_ps(_mm256_div_ps(_mm256_mul_ps(_mm256_loadu_ps(a + i), va), hundred),
                                       _mm256_div_ps(_mm256_mul_ps(_mm256_loadu_ps(b + i), vb), hundred)));
    if (i < n) {
        const __m128 h = _mm256_castps256_ps128(hundred);
        _mm_storeu_ps(out + i,
                      _mm_add_ps(_mm_div_ps(_mm_mul_ps(_mm_loadu_ps(a + i), _mm256_castps256_ps128(va)), h),
                                 _mm_div_ps(_mm_mul_ps(_mm_loadu_ps(b + i), _mm256_castps256_ps128(vb)), h)));
    }
}

// Two pixels' blue, green, red (alpha cleared) as eight int lanes.
AVX2 inline __m256i channelsOfTwo(const std::uint32_t* pixels) {
    const __m128i two = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels));
    return _mm256_and_si256(_mm256_cvtepu8_epi32(two), _mm256_setr_epi32(-1, -1, -1, 0, -1, -1, -1, 0));
}

AVX2 void channels8(const std::uint32_t* pixels, int count, float* out) {
    int x = 0;
    for (; x + 2 <= count; x += 2)
        _mm256_storeu_ps(out + 4 * x, _mm256_cvtepi32_ps(channelsOfTwo(pixels + x)));
    if (x < count)
        channels4(pixels + x, count - x, out + 4 * x);
}

AVX2 void weightedChannels8(const std::uint32_t* pixels, int count, const float* p, float* out) {
    const __m256 percent = _mm256_setr_ps(p[0], p[1], p[2], 0.0f, p[0], p[1], p[2], 0.0f);
    const __m256i pack = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
    int x = 0;
    for (; x + 2 <= count; x += 2) {
        const __m256 weighted = _mm256_mul_ps(_mm256_cvtepi32_ps(channelsOfTwo(pixels + x)), percent);
        // Six floats matter; the last two are overwritten by the next pair (or are the one past the end).
        _mm256_storeu_ps(out + 3 * x, _mm256_permutevar8x32_ps(weighted, pack));
    }
    if (x < count)
        weightedChannels4(pixels + x, count - x, p, out + 3 * x);
}

// a[k] in the low four lanes, a[k + 1] in the high four.
AVX2 inline __m256 pairOf(const float* a) {
    return _mm256_permutevar8x32_ps(
        _mm256_castps128_ps256(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)))),
        _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1));
}

AVX2 inline __m256 twoAt(const float* low, const float* high) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(low)), _mm_loadu_ps(high), 1);
}

AVX2 inline std::uint32_t lowPixel(__m256i bytes) {
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(bytes))) | 0xFF000000u;
}
AVX2 inline std::uint32_t highPixel(__m256i bytes) {
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm256_extracti128_si256(bytes, 1))) | 0xFF000000u;
}

AVX2 void pixelAccessColumns8(const float* v, const int* x0, const float* a, const float* b,
                              const float* factors, std::uint32_t* out, int count) {
    const __m256i limit = _mm256_set1_epi32(kMaxChannel);
    int k = 0;
    for (; k + 2 <= count; k += 2) {
        const float* p = v + 4 * static_cast<std::ptrdiff_t>(x0[k]);
        const float* q = v + 4 * static_cast<std::ptrdiff_t>(x0[k + 1]);
        __m256i ch = _mm256_cvtps_epi32(_mm256_add_ps(_mm256_mul_ps(pairOf(a + k), twoAt(p, q)),
                                                      _mm256_mul_ps(pairOf(b + k), twoAt(p + 4, q + 4))));
        if (factors)
            ch = _mm256_cvtps_epi32(
                _mm256_mul_ps(_mm256_cvtepi32_ps(ch), twoAt(factors + 3 * k, factors + 3 * k + 3)));
        const int bad =
            _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_or_si256(ch, _mm256_cmpgt_epi32(ch, limit))));
        const __m256i words = _mm256_packs_epi32(ch, ch);
        const __m256i bytes = _mm256_packus_epi16(words, words);
        if ((bad & 0x07) == 0)
            out[k] = lowPixel(bytes);
        if ((bad & 0x70) == 0)
            out[k + 1] = highPixel(bytes);
    }
    if (k < count)
        pixelAccessColumns4(v, x0 + k, a + k, b + k, factors ? factors + 3 * k : nullptr, out + k, count - k);
}

AVX2 int dibColumns8(const float* v, const int* x0, const float* a, const float* b, const float* factors,
                     std::uint32_t* out, int count, int writeCount) {
    int k = 0;
    for (; k + 2 <= count; k += 2) {
        const float* p = v + 3 * static_cast<std::ptrdiff_t>(x0[k]);
        const float* q = v + 3 * static_cast<std::ptrdiff_t>(x0[k + 1]);
        __m256 value = _mm256_add_ps(_mm256_mul_ps(pairOf(a + k), twoAt(p, q)),
                                     _mm256_mul_ps(twoAt(p + 3, q + 3), pairOf(b + k)));
        if (factors)
            value = _mm256_mul_ps(value, twoAt(factors + 3 * k, factors + 3 * k + 3));
        const __m256i ch = _mm256_cvtps_epi32(value);
        const int failed = _mm256_movemask_ps(_mm256_castsi256_ps(ch)) & 0x77;
        if (failed)
            return failed & 0x07 ? 3 * k + firstLane(failed) : 3 * (k + 1) + firstLane(failed >> 4);
        const __m256i words = _mm256_packs_epi32(ch, ch);
        const __m256i bytes = _mm256_packus_epi16(words, words);
        if (k < writeCount)
            out[k] = lowPixel(bytes);
        if (k + 1 < writeCount)
            out[k + 1] = highPixel(bytes);
    }
    if (k < count) {
        const int rest = dibColumns4(v, x0 + k, a + k, b + k, factors ? factors + 3 * k : nullptr, out + k,
                                     count - k, writeCount - k);
        return rest < 0 ? rest : 3 * k + rest;
    }
    return -1;
}

// Four vectors of eight lanes hold 32 consecutive draws; each lane jumps 32 draws ahead.
AVX2 void factors8(const RandomSequence& random, float r, float* factors, int n) {
    constexpr int kBlock = 32;
    constexpr Jump jump = jumpOf(kBlock);
    const std::array<std::uint32_t, kBlock> first = nextStates<kBlock>(random);
    __m256i s[4];
    for (int v = 0; v < 4; ++v)
        s[v] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first.data() + 8 * v));
    const __m256i a = _mm256_set1_epi32(static_cast<int>(jump.a)),
                  c = _mm256_set1_epi32(static_cast<int>(jump.c));
    const __m256i mask = _mm256_set1_epi32(static_cast<int>(RandomSequence::kMask));
    const __m256 scale = _mm256_set1_ps(kScale), rr = _mm256_set1_ps(r), twoR = _mm256_set1_ps(2.0f * r);
    const __m256 hundred = _mm256_set1_ps(100.0f), one = _mm256_set1_ps(1.0f);
    int i = 0;
    for (; i + kBlock <= n; i += kBlock)
        for (int v = 0; v < 4; ++v) {
            const __m256 u = _mm256_mul_ps(_mm256_cvtepi32_ps(s[v]), scale);
            _mm256_storeu_ps(
                factors + i + 8 * v,
                _mm256_add_ps(one, _mm256_div_ps(_mm256_sub_ps(rr, _mm256_mul_ps(twoR, u)), hundred)));
            s[v] = _mm256_and_si256(_mm256_add_epi32(_mm256_mullo_epi32(s[v], a), c), mask);
        }
    alignas(32) std::uint32_t rest[kBlock];
    for (int v = 0; v < 4; ++v)
        _mm256_store_si256(reinterpret_cast<__m256i*>(rest + 8 * v), s[v]);
    for (int k = 0; i + k < n; ++k)
        factors[i + k] = randomFactor(r, static_cast<float>(rest[k]) * kScale);
}

#undef AVX2

// --- sixteen lanes ----------------------------------------------------------------------------
// Four pixels per vector. Where division limits the speed this also doubles it, as the
// processors that have these lanes divide sixteen floats in about the time of eight.

#define AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512dq")))
// GCC 12's headers pass an "undefined" vector through these intrinsics and then warn about it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

AVX512 void blend16(const float* a, const float* b, float wa, float wb, float* out, int n) {
    const __m512 va = _mm512_set1_ps(wa), vb = _mm512_set1_ps(wb);
    int i = 0;
    for (; i + 16 <= n; i += 16)
        _mm512_storeu_ps(out + i, _mm512_add_ps(_mm512_mul_ps(va, _mm512_loadu_ps(a + i)),
                                                _mm512_mul_ps(vb, _mm512_loadu_ps(b + i))));
    if (i < n) {
        const __mmask16 m = static_cast<__mmask16>((1u << (n - i)) - 1);
        _mm512_mask_storeu_ps(out + i, m,
                              _mm512_add_ps(_mm512_mul_ps(va, _mm512_maskz_loadu_ps(m, a + i)),
                                            _mm512_mul_ps(vb, _mm512_maskz_loadu_ps(m, b + i))));
    }
}

AVX512 inline __m512 hundredths16(__m512 a, __m512 b, __m512 wa, __m512 wb) {
    const __m512 hundred = _mm512_set1_ps(100.0f);
    return _mm512_add_ps(_mm512_div_ps(_mm512_mul_ps(a, wa), hundred),
                         _mm512_div_ps(_mm512_mul_ps(b, wb), hundred));
}

AVX512 void blendHundredths16(const float* a, const float* b, float wa, float wb, float* out, int n) {
    const __m512 va = _mm512_set1_ps(wa), vb = _mm512_set1_ps(wb);
    int i = 0;
    for (; i + 16 <= n; i += 16)
        _mm512_storeu_ps(out + i, hundredths16(_mm512_loadu_ps(a + i), _mm512_loadu_ps(b + i), va, vb));
    if (i < n) {
        const __mmask16 m = static_cast<__mmask16>((1u << (n - i)) - 1);
        _mm512_mask_storeu_ps(
            out + i, m,
            hundredths16(_mm512_maskz_loadu_ps(m, a + i), _mm512_maskz_loadu_ps(m, b + i), va, vb));
    }
}

AVX512 void channels16(const std::uint32_t* pixels, int count, float* out) {
    const __m512i keep = _mm512_setr_epi32(-1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1, 0);
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        const __m512i lanes =
            _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + x)));
        _mm512_storeu_ps(out + 4 * x, _mm512_cvtepi32_ps(_mm512_and_si512(lanes, keep)));
    }
    if (x < count)
        channels4(pixels + x, count - x, out + 4 * x);
}

AVX512 void weightedChannels16(const std::uint32_t* pixels, int count, const float* p, float* out) {
    // Blue, green and red of four pixels in twelve lanes, alpha dropped.
    const __m128i compact = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m512 percent =
        _mm512_setr_ps(p[0], p[1], p[2], p[0], p[1], p[2], p[0], p[1], p[2], p[0], p[1], p[2], 0, 0, 0, 0);
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        const __m128i bytes =
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + x)), compact);
        _mm512_mask_storeu_ps(out + 3 * x, 0x0FFF,
                              _mm512_mul_ps(_mm512_cvtepi32_ps(_mm512_cvtepu8_epi32(bytes)), percent));
    }
    if (x < count)
        weightedChannels4(pixels + x, count - x, p, out + 3 * x);
}

// a[k..k+3], each in four lanes.
AVX512 inline __m512 quadOf(const float* a) {
    return _mm512_permutexvar_ps(_mm512_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3),
                                 _mm512_castps128_ps512(_mm_loadu_ps(a)));
}

// factors[0..11] as three lanes per pixel; the spare lane repeats the third (it multiplies a 0
// or a lane nobody reads).
AVX512 inline __m512 factorsOfFour(const float* factors) {
    return _mm512_permutexvar_ps(_mm512_setr_epi32(0, 1, 2, 2, 3, 4, 5, 5, 6, 7, 8, 8, 9, 10, 11, 11),
                                 _mm512_maskz_loadu_ps(0x0FFF, factors));
}

// For four columns i, the eight floats from v + Step*x0[i]: floats 0..3 of each in low and
// floats Step..Step+3 in high, one pixel per four lanes.
template <int Step> AVX512 inline void eightEach(const float* v, const int* x0, __m512& low, __m512& high) {
    const __m512 ab = _mm512_insertf32x8(
        _mm512_castps256_ps512(_mm256_loadu_ps(v + Step * static_cast<std::ptrdiff_t>(x0[0]))),
        _mm256_loadu_ps(v + Step * static_cast<std::ptrdiff_t>(x0[1])), 1);
    const __m512 cd = _mm512_insertf32x8(
        _mm512_castps256_ps512(_mm256_loadu_ps(v + Step * static_cast<std::ptrdiff_t>(x0[2]))),
        _mm256_loadu_ps(v + Step * static_cast<std::ptrdiff_t>(x0[3])), 1);
    if constexpr (Step == 4) {
        low = _mm512_shuffle_f32x4(ab, cd, _MM_SHUFFLE(2, 0, 2, 0));
        high = _mm512_shuffle_f32x4(ab, cd, _MM_SHUFFLE(3, 1, 3, 1));
    } else {
        low = _mm512_permutex2var_ps(
            ab, _mm512_setr_epi32(0, 1, 2, 3, 8, 9, 10, 11, 16, 17, 18, 19, 24, 25, 26, 27), cd);
        high = _mm512_permutex2var_ps(
            ab, _mm512_setr_epi32(3, 4, 5, 6, 11, 12, 13, 14, 19, 20, 21, 22, 27, 28, 29, 30), cd);
    }
}

// Four pixels from their channel lanes (each at least 0), limited to 255, opaque.
AVX512 inline __m128i packFour(__m512i ch) {
    return _mm_or_si128(_mm512_cvtusepi32_epi8(ch), _mm_set1_epi32(static_cast<int>(0xFF000000u)));
}

AVX512 void pixelAccessColumns16(const float* v, const int* x0, const float* a, const float* b,
                                 const float* factors, std::uint32_t* out, int count) {
    const __m512i limit = _mm512_set1_epi32(kMaxChannel);
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        __m512 p, q;
        eightEach<4>(v, x0 + k, p, q);
        __m512i ch = _mm512_cvtps_epi32(
            _mm512_add_ps(_mm512_mul_ps(quadOf(a + k), p), _mm512_mul_ps(quadOf(b + k), q)));
        if (factors)
            ch = _mm512_cvtps_epi32(_mm512_mul_ps(_mm512_cvtepi32_ps(ch), factorsOfFour(factors + 3 * k)));
        // Below 0 or above the limit in one unsigned comparison.
        const unsigned bad = _mm512_mask_cmpgt_epu32_mask(0x7777, ch, limit);
        const __m128i four = packFour(ch);
        if (bad == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), four);
        } else {
            alignas(16) std::uint32_t px[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(px), four);
            for (int i = 0; i < 4; ++i)
                if (((bad >> (4 * i)) & 7u) == 0)
                    out[k + i] = px[i];
        }
    }
    if (k < count)
        pixelAccessColumns4(v, x0 + k, a + k, b + k, factors ? factors + 3 * k : nullptr, out + k, count - k);
}

AVX512 int dibColumns16(const float* v, const int* x0, const float* a, const float* b, const float* factors,
                        std::uint32_t* out, int count, int writeCount) {
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        __m512 p, q;
        eightEach<3>(v, x0 + k, p, q);
        __m512 value = _mm512_add_ps(_mm512_mul_ps(quadOf(a + k), p), _mm512_mul_ps(q, quadOf(b + k)));
        if (factors)
            value = _mm512_mul_ps(value, factorsOfFour(factors + 3 * k));
        const __m512i ch = _mm512_cvtps_epi32(value);
        const unsigned failed = _mm512_movepi32_mask(ch) & 0x7777u;
        if (failed) {
            const int lane = __builtin_ctz(failed);
            return 3 * (k + lane / 4) + lane % 4;
        }
        const __m128i four = packFour(ch);
        if (k + 4 <= writeCount) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), four);
        } else {
            alignas(16) std::uint32_t px[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(px), four);
            for (int i = 0; k + i < writeCount; ++i)
                out[k + i] = px[i];
        }
    }
    if (k < count) {
        const int rest = dibColumns4(v, x0 + k, a + k, b + k, factors ? factors + 3 * k : nullptr, out + k,
                                     count - k, writeCount - k);
        return rest < 0 ? rest : 3 * k + rest;
    }
    return -1;
}

// Two vectors of sixteen lanes hold 32 consecutive draws; each lane jumps 32 draws ahead.
AVX512 void factors16(const RandomSequence& random, float r, float* factors, int n) {
    constexpr int kBlock = 32;
    constexpr Jump jump = jumpOf(kBlock);
    const std::array<std::uint32_t, kBlock> first = nextStates<kBlock>(random);
    __m512i s[2];
    for (int v = 0; v < 2; ++v)
        s[v] = _mm512_loadu_si512(first.data() + 16 * v);
    const __m512i a = _mm512_set1_epi32(static_cast<int>(jump.a)),
                  c = _mm512_set1_epi32(static_cast<int>(jump.c));
    const __m512i mask = _mm512_set1_epi32(static_cast<int>(RandomSequence::kMask));
    const __m512 scale = _mm512_set1_ps(kScale), rr = _mm512_set1_ps(r), twoR = _mm512_set1_ps(2.0f * r);
    const __m512 hundred = _mm512_set1_ps(100.0f), one = _mm512_set1_ps(1.0f);
    int i = 0;
    for (; i + kBlock <= n; i += kBlock)
        for (int v = 0; v < 2; ++v) {
            const __m512 u = _mm512_mul_ps(_mm512_cvtepi32_ps(s[v]), scale);
            _mm512_storeu_ps(
                factors + i + 16 * v,
                _mm512_add_ps(one, _mm512_div_ps(_mm512_sub_ps(rr, _mm512_mul_ps(twoR, u)), hundred)));
            s[v] = _mm512_and_si512(_mm512_add_epi32(_mm512_mullo_epi32(s[v], a), c), mask);
        }
    alignas(64) std::uint32_t rest[kBlock];
    for (int v = 0; v < 2; ++v)
        _mm512_store_si512(rest + 16 * v, s[v]);
    for (int k = 0; i + k < n; ++k)
        factors[i + k] = randomFactor(r, static_cast<float>(rest[k]) * kScale);
}

#pragma GCC diagnostic pop
#undef AVX512

#endif

const RowLoops kFourLanes{blend4,      blendHundredths4, channels4, weightedChannels4, pixelAccessColumns4,
                          dibColumns4, factors4};
#if TESMARO_AVX2_DISPATCH
const RowLoops kEightLanes{blend8,      blendHundredths8, channels8, weightedChannels8, pixelAccessColumns8,
                           dibColumns8, factors8};
const RowLoops kSixteenLanes{
    blend16,      blendHundredths16, channels16, weightedChannels16, pixelAccessColumns16,
    dibColumns16, factors16};
#endif

} // namespace

const RowLoops& fourLaneRowLoops() {
    return kFourLanes;
}

const RowLoops* eightLaneRowLoops() {
#if TESMARO_AVX2_DISPATCH
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2 ? &kEightLanes : nullptr;
#else
    return nullptr;
#endif
}

const RowLoops* sixteenLaneRowLoops() {
#if TESMARO_AVX2_DISPATCH
    static const bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                               __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq");
    return avx512 ? &kSixteenLanes : nullptr;
#else
    return nullptr;
#endif
}

const RowLoops& rowLoops() {
    static const RowLoops& chosen = sixteenLaneRowLoops() ? *sixteenLaneRowLoops()
                                    : eightLaneRowLoops() ? *eightLaneRowLoops()
                                                          : kFourLanes;
    return chosen;
}

void prefetchPart(const std::uint32_t* row, int count, int part, int parts) {
#if defined(__SSE2__)
    constexpr int kLine = 64 / sizeof(std::uint32_t);
    const int lines = (count + kLine - 1) / kLine;
    const std::uint32_t* end = row + static_cast<std::ptrdiff_t>(lines * (part + 1) / parts) * kLine;
    for (const std::uint32_t* p = row + static_cast<std::ptrdiff_t>(lines * part / parts) * kLine; p < end;
         p += kLine)
        _mm_prefetch(reinterpret_cast<const char*>(p), _MM_HINT_T1);
#else
    (void)row;
    (void)count;
    (void)part;
    (void)parts;
#endif
}

void streamPixels(const std::uint32_t* from, std::uint32_t* to, int count) {
    int x = 0;
#if defined(__SSE2__)
    for (; x < count && (reinterpret_cast<std::uintptr_t>(to + x) & 15) != 0; ++x)
        to[x] = from[x];
    for (; x + 4 <= count; x += 4)
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + x),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x)));
#endif
    for (; x < count; ++x)
        to[x] = from[x];
}

void streamsDone() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

void streamRow(const std::uint32_t* from, std::uint32_t* to, int count) {
    streamPixels(from, to, count);
    streamsDone();
}

} // namespace tesmaro::resize
