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

#endif

const RowLoops kFourLanes{blend4,      blendHundredths4, channels4, weightedChannels4, pixelAccessColumns4,
                          dibColumns4, factors4};
#if TESMARO_AVX2_DISPATCH
const RowLoops kEightLanes{blend8,      blendHundredths8, channels8, weightedChannels8, pixelAccessColumns8,
                           dibColumns8, factors8};
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

const RowLoops& rowLoops() {
    static const RowLoops& chosen = eightLaneRowLoops() ? *eightLaneRowLoops() : kFourLanes;
    return chosen;
}

void streamRow(const std::uint32_t* from, std::uint32_t* to, int count) {
    int x = 0;
#if defined(__SSE2__)
    for (; x < count && (reinterpret_cast<std::uintptr_t>(to + x) & 15) != 0; ++x)
        to[x] = from[x];
    for (; x + 4 <= count; x += 4)
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + x),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x)));
    _mm_sfence();
#endif
    for (; x < count; ++x)
        to[x] = from[x];
}

} // namespace tesmaro::resize
