#include "resize/kernels/RowLoops.h"

#include "resize/kernels/Lanes.h"
#include "resize/kernels/RandomFactors.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define TESMARO_AVX2_DISPATCH 1
#endif

namespace tesmaro::resize {
namespace {

constexpr int kMaxChannel = 32767;

// --- one column at a time: the definitions, and the ends of rows in every form ----------------

// Nearest integer, halves to even (default floating-point environment), as the vector
// conversions give it: INT32_MIN outside the signed 32-bit range or for NaN.
inline std::int32_t nearestInt(float v) {
    return v >= -2147483648.0f && v < 2147483648.0f ? static_cast<std::int32_t>(std::nearbyint(v))
                                                    : INT32_MIN;
}

// An opaque pixel of three channels, each at least 0 and limited to 255.
inline std::uint32_t opaquePixel(std::int32_t blue, std::int32_t green, std::int32_t red) {
    return 0xFF000000u | static_cast<std::uint32_t>(std::min(red, 255)) << 16 |
           static_cast<std::uint32_t>(std::min(green, 255)) << 8 |
           static_cast<std::uint32_t>(std::min(blue, 255));
}

// Channel c (0 blue, 1 green, 2 red) of a 0xAARRGGBB pixel as a float.
inline float channelOf(std::uint32_t pixel, int c) {
    return static_cast<float>((pixel >> (8 * c)) & 0xFF);
}

void planesOneByOne(const std::uint32_t* pixels, int count, const float* percent, float* out,
                    std::ptrdiff_t stride) {
    for (int x = 0; x < count; ++x)
        for (int c = 0; c < 3; ++c) {
            const float value = channelOf(pixels[x], c);
            out[c * stride + x] = percent ? value * percent[c] : value;
        }
}

void blendPixelsOneByOne(const std::uint32_t* a, const std::uint32_t* b, float wa, float wb, float* out,
                         std::ptrdiff_t stride, int count) {
    for (int x = 0; x < count; ++x)
        for (int c = 0; c < 3; ++c)
            out[c * stride + x] = wa * channelOf(a[x], c) + wb * channelOf(b[x], c);
}

void blendPixelsHundredthsOneByOne(const std::uint32_t* a, const std::uint32_t* b, const float* percent,
                                   float wa, float wb, float* out, std::ptrdiff_t stride, int count) {
    for (int x = 0; x < count; ++x)
        for (int c = 0; c < 3; ++c)
            out[c * stride + x] = ((channelOf(a[x], c) * percent[c]) * wa) / 100.0f +
                                  ((channelOf(b[x], c) * percent[c]) * wb) / 100.0f;
}

void pixelAccessOneByOne(const float* v, std::ptrdiff_t stride, const int* x0, const float* a, const float* b,
                         const float* factors, std::ptrdiff_t factorStride, std::uint32_t* out, int count) {
    for (int k = 0; k < count; ++k) {
        std::array<std::int32_t, 3> ch{};
        bool ok = true;
        for (int c = 0; c < 3; ++c) {
            const float* p = v + c * stride + x0[k];
            ch[c] = nearestInt(a[k] * p[0] + b[k] * p[1]);
            if (factors)
                ch[c] = nearestInt(static_cast<float>(ch[c]) * factors[c * factorStride + k]);
            ok = ok && ch[c] >= 0 && ch[c] <= kMaxChannel;
        }
        if (ok)
            out[k] = opaquePixel(ch[0], ch[1], ch[2]);
    }
}

int dibOneByOne(const float* v, std::ptrdiff_t stride, const int* x0, const float* a, const float* b,
                const float* factors, std::ptrdiff_t factorStride, std::uint32_t* out, int count,
                int writeCount) {
    for (int k = 0; k < count; ++k) {
        std::array<std::int32_t, 3> ch{};
        for (int c = 0; c < 3; ++c) {
            const float* p = v + c * stride + x0[k];
            float value = a[k] * p[0] + p[1] * b[k];
            if (factors)
                value = value * factors[c * factorStride + k];
            ch[c] = nearestInt(value);
            if (ch[c] < 0)
                return 3 * k + c;
        }
        if (k < writeCount)
            out[k] = opaquePixel(ch[0], ch[1], ch[2]);
    }
    return -1;
}

// The first failing draw 3i + c of a group, from the failed lanes i of each channel c.
int firstFailedDraw(const unsigned (&failed)[3]) {
    int first = INT_MAX;
    for (int c = 0; c < 3; ++c)
        if (failed[c])
            first = std::min(first, 3 * std::countr_zero(failed[c]) + c);
    return first;
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

// Columns k..n-1 of the factor planes, the draws of column k + i having the states
// states[c][i] (c = channel), as a block of the vector forms leaves them.
template <std::size_t Lanes>
void factorTail(const std::array<std::array<std::uint32_t, Lanes>, 3>& states, float r, float* factors,
                std::ptrdiff_t stride, int k, int n) {
    for (int i = 0; k + i < n; ++i)
        for (int c = 0; c < 3; ++c)
            factors[c * stride + k + i] = randomFactor(r, static_cast<float>(states[c][i]) * kScale);
}

// The draws of the vector forms, Columns result columns at a time: lane i of vector c holds the
// state of draw 3i + c of a block of 3*Columns draws, and every lane jumps a block at a time.
// A lane starts from the state before the block stepped 3i + c + 1 times: a*state + c with
// these jumps' a and c.
template <int Columns> struct LaneJumps { std::array<std::array<std::uint32_t, Columns>, 3> a, c; };

template <int Columns> constexpr LaneJumps<Columns> laneJumps() {
    LaneJumps<Columns> j{};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < Columns; ++i) {
            const Jump step = jumpOf(3 * i + c + 1);
            j.a[c][i] = step.a;
            j.c[c][i] = step.c;
        }
    return j;
}

// --- four lanes -------------------------------------------------------------------------------

void blend4(const float* a, const float* b, float wa, float wb, float* out, int n) {
    const Floats4 va = splat4(wa), vb = splat4(wb);
    int i = 0;
    for (; i + 4 <= n; i += 4)
        store4(out + i, va * load4(a + i) + vb * load4(b + i));
    for (; i < n; ++i)
        out[i] = wa * a[i] + wb * b[i];
}

void blendHundredths4(const float* a, const float* b, float wa, float wb, float* out, int n) {
    const Floats4 va = splat4(wa), vb = splat4(wb), hundred = splat4(100.0f);
    int i = 0;
    for (; i + 4 <= n; i += 4)
        store4(out + i, (load4(a + i) * va) / hundred + (load4(b + i) * vb) / hundred);
    for (; i < n; ++i)
        out[i] = (a[i] * wa) / 100.0f + (b[i] * wb) / 100.0f;
}

void planes4(const std::uint32_t* pixels, int count, const float* percent, float* out,
             std::ptrdiff_t stride) {
    planesOneByOne(pixels, count, percent, out, stride);
}

// Twelve chains, lane i of chain c holding draw 3i + c of a block of four columns, each
// jumping twelve draws ahead, so that the steps overlap.
void factorPlanes4(const RandomSequence& start, float r, float* factors, std::ptrdiff_t stride, int n) {
    constexpr int kColumns = 4;
    constexpr Jump jump = jumpOf(3 * kColumns);
    const std::array<std::uint32_t, 3 * kColumns> first = nextStates<3 * kColumns>(start);
    std::array<std::array<std::uint32_t, kColumns>, 3> state;
    for (int i = 0; i < kColumns; ++i)
        for (int c = 0; c < 3; ++c)
            state[c][i] = first[3 * i + c];
    const Floats4 scale = splat4(kScale), rr = splat4(r), twoR = splat4(2.0f * r), hundred = splat4(100.0f),
                  one = splat4(1.0f);
    int k = 0;
    for (; k + kColumns <= n; k += kColumns)
        for (int c = 0; c < 3; ++c) {
            std::array<std::uint32_t, kColumns>& s = state[c];
            const Floats4 u = lanes4(static_cast<float>(s[0]), static_cast<float>(s[1]),
                                     static_cast<float>(s[2]), static_cast<float>(s[3])) *
                              scale;
            store4(factors + c * stride + k, one + (rr - twoR * u) / hundred);
            for (std::uint32_t& x : s)
                x = (x * jump.a + jump.c) & RandomSequence::kMask;
        }
    factorTail(state, r, factors, stride, k, n);
}

// Samples of one plane at four columns, one column per lane.
inline Floats4 columns4(const float* plane, const std::array<int, 4>& at) {
    return lanes4(plane[at[0]], plane[at[1]], plane[at[2]], plane[at[3]]);
}

void pixelAccessFactors4(const float* v, std::ptrdiff_t stride, const int* x0, const float* a, const float* b,
                         const float* factors, std::ptrdiff_t factorStride, std::uint32_t* out, int count) {
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        const std::array<int, 4> at{x0[k], x0[k + 1], x0[k + 2], x0[k + 3]};
        const Floats4 wa = load4(a + k), wb = load4(b + k);
        Ints4 ch[3];
        int bad = 0;
        for (int c = 0; c < 3; ++c) {
            const float* plane = v + c * stride;
            ch[c] = roundToInts(wa * columns4(plane, at) + wb * columns4(plane + 1, at));
            if (factors)
                ch[c] = roundToInts(toFloats(ch[c]) * load4(factors + c * factorStride + k));
            bad |= negativeLanes(ch[c]) | lanesAbove(ch[c], kMaxChannel);
        }
        std::uint32_t px[4];
        packPixels4(ch[0], ch[1], ch[2], px);
        for (int i = 0; i < 4; ++i)
            if (!((bad >> i) & 1))
                out[k + i] = px[i];
    }
    pixelAccessOneByOne(v, stride, x0 + k, a + k, b + k, factors ? factors + k : nullptr, factorStride,
                        out + k, count - k);
}

int dibFactors4(const float* v, std::ptrdiff_t stride, const int* x0, const float* a, const float* b,
                const float* factors, std::ptrdiff_t factorStride, std::uint32_t* out, int count,
                int writeCount) {
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        const std::array<int, 4> at{x0[k], x0[k + 1], x0[k + 2], x0[k + 3]};
        const Floats4 wa = load4(a + k), wb = load4(b + k);
        Ints4 ch[3];
        unsigned failed[3];
        for (int c = 0; c < 3; ++c) {
            const float* plane = v + c * stride;
            Floats4 value = wa * columns4(plane, at) + columns4(plane + 1, at) * wb;
            if (factors)
                value = value * load4(factors + c * factorStride + k);
            ch[c] = roundToInts(value);
            failed[c] = static_cast<unsigned>(negativeLanes(ch[c]));
        }
        if (failed[0] | failed[1] | failed[2])
            return 3 * k + firstFailedDraw(failed);
        std::uint32_t px[4];
        packPixels4(ch[0], ch[1], ch[2], px);
        for (int i = 0; i < 4 && k + i < writeCount; ++i)
            out[k + i] = px[i];
    }
    const int rest = dibOneByOne(v, stride, x0 + k, a + k, b + k, factors ? factors + k : nullptr,
                                 factorStride, out + k, count - k, writeCount - k);
    return rest < 0 ? rest : 3 * k + rest;
}

// The four-lane column loops given random draws instead of factor planes: the factors of 256
// columns at a time go to planes on the stack first.
using FactorPlanes = void (*)(const RandomSequence&, float, float*, std::ptrdiff_t, int);
using PixelAccessFactors = void (*)(const float*, std::ptrdiff_t, const int*, const float*, const float*,
                                    const float*, std::ptrdiff_t, std::uint32_t*, int);
using DibFactors = int (*)(const float*, std::ptrdiff_t, const int*, const float*, const float*, const float*,
                           std::ptrdiff_t, std::uint32_t*, int, int);
constexpr int kFactorChunk = 256;

template <FactorPlanes Factors, PixelAccessFactors Columns>
void pixelAccessDrawn(const float* v, std::ptrdiff_t stride, const int* x0, const float* a, const float* b,
                      const ColumnDraws* draws, std::uint32_t* out, int count) {
    if (!draws) {
        Columns(v, stride, x0, a, b, nullptr, 0, out, count);
        return;
    }
    float factors[3 * kFactorChunk];
    RandomSequence at = draws->start;
    for (int k = 0; k < count; k += kFactorChunk) {
        const int n = std::min(kFactorChunk, count - k);
        Factors(at, draws->r, factors, kFactorChunk, n);
        Columns(v, stride, x0 + k, a + k, b + k, factors, kFactorChunk, out + k, n);
        at.skip(3 * kFactorChunk);
    }
}

template <FactorPlanes Factors, DibFactors Columns>
int dibDrawn(const float* v, std::ptrdiff_t stride, const int* x0, const float* a, const float* b,
             const ColumnDraws* draws, std::uint32_t* out, int count, int writeCount) {
    if (!draws)
        return Columns(v, stride, x0, a, b, nullptr, 0, out, count, writeCount);
    float factors[3 * kFactorChunk];
    RandomSequence at = draws->start;
    for (int k = 0; k < count; k += kFactorChunk) {
        const int n = std::min(kFactorChunk, count - k);
        Factors(at, draws->r, factors, kFactorChunk, n);
        const int failed =
            Columns(v, stride, x0 + k, a + k, b + k, factors, kFactorChunk, out + k, n, writeCount - k);
        if (failed >= 0)
            return 3 * k + failed;
        at.skip(3 * kFactorChunk);
    }
    return -1;
}

// --- eight and sixteen lanes ------------------------------------------------------------------
// The AVX2 and AVX-512 forms are one algorithm, written once in RowLoopsWide.inc and included
// below once per width. A function inlines only intrinsics of the instruction sets its own target
// attribute names, and a template cannot take a different attribute per instantiation, so each
// width's operations are the members of a struct carrying that width's attribute, and each
// inclusion gives its loops the same attribute. What really differs between the widths (picking
// columns, masks, the ends of rows) is in these structs, not in the loops.

#if TESMARO_AVX2_DISPATCH

#define AVX2 __attribute__((target("avx2")))

struct Lanes8 {
    static constexpr int kWidth = 8;
    using Floats = __m256;
    using Ints = __m256i;
    // Lanes chosen by their sign bits.
    using Mask = __m256i;
    // Channels below 0 or above their limit, marked by sign bits.
    using Outside = __m256i;
    // AVX2 masked stores are slow on some processors, so these blends end a row four lanes at a
    // time.
    static constexpr bool kMaskedTails = false;

    AVX2 static Floats splat(float x) { return _mm256_set1_ps(x); }
    AVX2 static Ints splatInts(int x) { return _mm256_set1_epi32(x); }
    AVX2 static Floats load(const float* p) { return _mm256_loadu_ps(p); }
    AVX2 static void store(float* p, Floats v) { _mm256_storeu_ps(p, v); }
    AVX2 static Ints loadInts(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
    AVX2 static void storeInts(void* p, Ints v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }

    AVX2 static Floats add(Floats a, Floats b) { return _mm256_add_ps(a, b); }
    AVX2 static Floats sub(Floats a, Floats b) { return _mm256_sub_ps(a, b); }
    AVX2 static Floats mul(Floats a, Floats b) { return _mm256_mul_ps(a, b); }
    AVX2 static Floats div(Floats a, Floats b) { return _mm256_div_ps(a, b); }
    AVX2 static Floats toFloats(Ints a) { return _mm256_cvtepi32_ps(a); }
    // Nearest, halves to even; INT32_MIN outside the signed 32-bit range or for NaN.
    AVX2 static Ints nearest(Floats a) { return _mm256_cvtps_epi32(a); }

    AVX2 static Ints addInts(Ints a, Ints b) { return _mm256_add_epi32(a, b); }
    AVX2 static Ints subInts(Ints a, Ints b) { return _mm256_sub_epi32(a, b); }
    AVX2 static Ints mulLow(Ints a, Ints b) { return _mm256_mullo_epi32(a, b); }
    AVX2 static Ints andInts(Ints a, Ints b) { return _mm256_and_si256(a, b); }
    AVX2 static Ints orInts(Ints a, Ints b) { return _mm256_or_si256(a, b); }
    AVX2 static Ints minUnsigned(Ints a, Ints b) { return _mm256_min_epu32(a, b); }
    template <int n> AVX2 static Ints shiftLeft(Ints a) { return _mm256_slli_epi32(a, n); }
    template <int n> AVX2 static Ints shiftRight(Ints a) { return _mm256_srli_epi32(a, n); }

    // Lane j of from[i_j] for i_j < 8, and for i_j < 16.
    AVX2 static Floats pickOne(const float* from, Ints i) {
        return _mm256_permutevar8x32_ps(_mm256_loadu_ps(from), i);
    }
    AVX2 static Floats pickTwo(const float* from, Ints i) {
        // vpermps reads the low three bits of i; bit 3 chooses the second eight floats.
        return _mm256_blendv_ps(_mm256_permutevar8x32_ps(_mm256_loadu_ps(from), i),
                                _mm256_permutevar8x32_ps(_mm256_loadu_ps(from + 8), i),
                                _mm256_castsi256_ps(_mm256_slli_epi32(i, 28)));
    }
    AVX2 static Floats gather(const float* base, Ints at) { return _mm256_i32gather_ps(base, at, 4); }

    // Bit i set when lane i is below 0.
    AVX2 static unsigned negatives(Ints a) {
        return static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(a)));
    }
    AVX2 static Outside noneOutside() { return _mm256_setzero_si256(); }
    AVX2 static Outside orOutside(Outside o, Ints ch, Ints limit) {
        return _mm256_or_si256(o, _mm256_or_si256(ch, _mm256_cmpgt_epi32(ch, limit)));
    }
    AVX2 static void storeInside(std::uint32_t* out, Outside o, Ints px) {
        if (_mm256_movemask_ps(_mm256_castsi256_ps(o)) == 0)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), px);
        else
            _mm256_maskstore_epi32(reinterpret_cast<int*>(out), _mm256_xor_si256(o, _mm256_set1_epi32(-1)),
                                   px);
    }

    // Lanes i < n, for 0 < n < 8.
    AVX2 static Mask firstLanes(int n) {
        return _mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    }
    AVX2 static Floats maskedLoad(Mask m, const float* p) { return _mm256_maskload_ps(p, m); }
    AVX2 static void maskedStore(float* p, Mask m, Floats v) { _mm256_maskstore_ps(p, m, v); }
    AVX2 static void maskedStoreInts(std::uint32_t* p, Mask m, Ints v) {
        _mm256_maskstore_epi32(reinterpret_cast<int*>(p), m, v);
    }
};

namespace eight {
using L = Lanes8;
#define WIDE AVX2
#include "resize/kernels/RowLoopsWide.inc"
#undef WIDE
} // namespace eight

#undef AVX2

// --- sixteen lanes ----------------------------------------------------------------------------
// Where division limits the speed this also doubles it, as the processors that have these lanes
// divide sixteen floats in about the time of eight.

#define AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512dq")))
// GCC 12's headers pass an "undefined" vector through some intrinsics and then warn about it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"

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

AVX512 void planes16(const std::uint32_t* pixels, int count, const float* percent, float* out,
                     std::ptrdiff_t stride) {
    const __m512i byte = _mm512_set1_epi32(0xFF);
    int x = 0;
    for (; x + 16 <= count; x += 16) {
        const __m512i px = _mm512_loadu_si512(pixels + x);
        const __m512i ch[3] = {_mm512_and_si512(px, byte), _mm512_and_si512(_mm512_srli_epi32(px, 8), byte),
                               _mm512_and_si512(_mm512_srli_epi32(px, 16), byte)};
        for (int c = 0; c < 3; ++c) {
            __m512 value = _mm512_cvtepi32_ps(ch[c]);
            if (percent)
                value = _mm512_mul_ps(value, _mm512_set1_ps(percent[c]));
            _mm512_storeu_ps(out + c * stride + x, value);
        }
    }
    planesOneByOne(pixels + x, count - x, percent, out + x, stride);
}

// Blue, green and red of sixteen pixels as floats.
AVX512 inline void channels16(const std::uint32_t* pixels, __m512 (&ch)[3]) {
    const __m512i px = _mm512_loadu_si512(pixels), byte = _mm512_set1_epi32(0xFF);
    ch[0] = _mm512_cvtepi32_ps(_mm512_and_si512(px, byte));
    ch[1] = _mm512_cvtepi32_ps(_mm512_and_si512(_mm512_srli_epi32(px, 8), byte));
    ch[2] = _mm512_cvtepi32_ps(_mm512_and_si512(_mm512_srli_epi32(px, 16), byte));
}

AVX512 void blendPixels16(const std::uint32_t* a, const std::uint32_t* b, float wa, float wb, float* out,
                          std::ptrdiff_t stride, int count) {
    const __m512 va = _mm512_set1_ps(wa), vb = _mm512_set1_ps(wb);
    int x = 0;
    for (; x + 16 <= count; x += 16) {
        __m512 ca[3], cb[3];
        channels16(a + x, ca);
        channels16(b + x, cb);
        for (int c = 0; c < 3; ++c)
            _mm512_storeu_ps(out + c * stride + x,
                             _mm512_add_ps(_mm512_mul_ps(va, ca[c]), _mm512_mul_ps(vb, cb[c])));
    }
    blendPixelsOneByOne(a + x, b + x, wa, wb, out + x, stride, count - x);
}

AVX512 void blendPixelsHundredths16(const std::uint32_t* a, const std::uint32_t* b, const float* percent,
                                    float wa, float wb, float* out, std::ptrdiff_t stride, int count) {
    const __m512 va = _mm512_set1_ps(wa), vb = _mm512_set1_ps(wb);
    int x = 0;
    for (; x + 16 <= count; x += 16) {
        __m512 ca[3], cb[3];
        channels16(a + x, ca);
        channels16(b + x, cb);
        for (int c = 0; c < 3; ++c) {
            const __m512 p = _mm512_set1_ps(percent[c]);
            _mm512_storeu_ps(out + c * stride + x,
                             hundredths16(_mm512_mul_ps(ca[c], p), _mm512_mul_ps(cb[c], p), va, vb));
        }
    }
    blendPixelsHundredthsOneByOne(a + x, b + x, percent, wa, wb, out + x, stride, count - x);
}

constexpr LaneJumps<16> kLaneJumps16 = laneJumps<16>();

AVX512 inline void startDraws16(const RandomSequence& start, __m512i (&s)[3]) {
    const __m512i first = _mm512_set1_epi32(static_cast<int>(start.state()));
    for (int c = 0; c < 3; ++c)
        s[c] = _mm512_and_si512(
            _mm512_add_epi32(_mm512_mullo_epi32(first, _mm512_loadu_si512(kLaneJumps16.a[c].data())),
                             _mm512_loadu_si512(kLaneJumps16.c[c].data())),
            _mm512_set1_epi32(static_cast<int>(RandomSequence::kMask)));
}

// The factors of the next sixteen columns, one vector per channel.
AVX512 inline void nextFactors16(__m512i (&s)[3], float r, __m512 (&f)[3]) {
    constexpr Jump jump = jumpOf(48);
    const __m512 scale = _mm512_set1_ps(kScale), rr = _mm512_set1_ps(r), twoR = _mm512_set1_ps(2.0f * r);
    for (int c = 0; c < 3; ++c) {
        const __m512 u = _mm512_mul_ps(_mm512_cvtepi32_ps(s[c]), scale);
        f[c] = _mm512_add_ps(_mm512_set1_ps(1.0f), _mm512_div_ps(_mm512_sub_ps(rr, _mm512_mul_ps(twoR, u)),
                                                                 _mm512_set1_ps(100.0f)));
        s[c] = _mm512_and_si512(
            _mm512_add_epi32(_mm512_mullo_epi32(s[c], _mm512_set1_epi32(static_cast<int>(jump.a))),
                             _mm512_set1_epi32(static_cast<int>(jump.c))),
            _mm512_set1_epi32(static_cast<int>(RandomSequence::kMask)));
    }
}

// The factors of the next n < 16 columns into three planes of sixteen.
AVX512 inline void lastFactors16(const __m512i (&s)[3], float r, int n, float (&f)[3 * 16]) {
    std::array<std::array<std::uint32_t, 16>, 3> states;
    for (int c = 0; c < 3; ++c)
        _mm512_storeu_si512(states[c].data(), s[c]);
    factorTail(states, r, f, 16, 0, n);
}

AVX512 void factorPlanes16(const RandomSequence& start, float r, float* factors, std::ptrdiff_t stride,
                           int n) {
    __m512i s[3];
    startDraws16(start, s);
    int k = 0;
    for (; k + 16 <= n; k += 16) {
        __m512 f[3];
        nextFactors16(s, r, f);
        for (int c = 0; c < 3; ++c)
            _mm512_storeu_ps(factors + c * stride + k, f[c]);
    }
    if (k < n) {
        float f[3 * 16];
        lastFactors16(s, r, n - k, f);
        for (int c = 0; c < 3; ++c)
            std::copy_n(f + 16 * c, n - k, factors + c * stride + k);
    }
}

// plane[x0[k + i] + offset] for sixteen columns: picked from one load when their x0 lie within
// 15 columns of x0[k] (enlarging), from two when within 31, otherwise gathered.
struct Columns16 {
    __m512i at;   // x0[k + i]
    __m512i near; // x0[k + i] - x0[k]
    int base;
    int spread; // x0[k + 15] - x0[k]
};

AVX512 inline Columns16 columns16(const int* x0) {
    const __m512i at = _mm512_loadu_si512(x0);
    return {at, _mm512_sub_epi32(at, _mm512_set1_epi32(x0[0])), x0[0], x0[15] - x0[0]};
}

AVX512 inline __m512 pick16(const float* plane, const Columns16& cols, int offset) {
    const float* from = plane + cols.base;
    const __m512i i = _mm512_add_epi32(cols.near, _mm512_set1_epi32(offset));
    if (cols.spread <= 14)
        return _mm512_permutexvar_ps(i, _mm512_loadu_ps(from));
    if (cols.spread <= 30)
        return _mm512_permutex2var_ps(_mm512_loadu_ps(from), i, _mm512_loadu_ps(from + 16));
    return _mm512_i32gather_ps(cols.at, plane + offset, 4);
}

// Sixteen opaque pixels from channel lanes that are at least 0, each limited to 255.
AVX512 inline __m512i pack16(const __m512i (&ch)[3]) {
    const __m512i byte = _mm512_set1_epi32(0xFF);
    return _mm512_or_si512(
        _mm512_or_si512(_mm512_min_epu32(ch[0], byte), _mm512_slli_epi32(_mm512_min_epu32(ch[1], byte), 8)),
        _mm512_or_si512(_mm512_slli_epi32(_mm512_min_epu32(ch[2], byte), 16),
                        _mm512_set1_epi32(static_cast<int>(0xFF000000u))));
}

// The factors are drawn alongside the columns, so that the divisions they need overlap the
// column arithmetic.
template <bool kDrawn>
AVX512 inline void pixelAccessLoop16(const float* v, std::ptrdiff_t stride, const int* x0, const float* a,
                                     const float* b, const ColumnDraws* draws, std::uint32_t* out,
                                     int count) {
    const __m512i limit = _mm512_set1_epi32(kMaxChannel);
    __m512i s[3];
    if constexpr (kDrawn)
        startDraws16(draws->start, s);
    int k = 0;
    for (; k + 16 <= count; k += 16) {
        const Columns16 cols = columns16(x0 + k);
        const __m512 wa = _mm512_loadu_ps(a + k), wb = _mm512_loadu_ps(b + k);
        __m512 f[3];
        if constexpr (kDrawn)
            nextFactors16(s, draws->r, f);
        __m512i ch[3];
        __mmask16 bad = 0;
        for (int c = 0; c < 3; ++c) {
            const float* plane = v + c * stride;
            ch[c] = _mm512_cvtps_epi32(_mm512_add_ps(_mm512_mul_ps(wa, pick16(plane, cols, 0)),
                                                     _mm512_mul_ps(wb, pick16(plane, cols, 1))));
            if constexpr (kDrawn)
                ch[c] = _mm512_cvtps_epi32(_mm512_mul_ps(_mm512_cvtepi32_ps(ch[c]), f[c]));
            // Below 0 or above the limit in one unsigned comparison.
            bad |= _mm512_cmpgt_epu32_mask(ch[c], limit);
        }
        _mm512_mask_storeu_epi32(out + k, static_cast<__mmask16>(~bad), pack16(ch));
    }
    if (k == count)
        return;
    if constexpr (kDrawn) {
        float f[3 * 16];
        lastFactors16(s, draws->r, count - k, f);
        pixelAccessFactors4(v, stride, x0 + k, a + k, b + k, f, 16, out + k, count - k);
    } else {
        pixelAccessFactors4(v, stride, x0 + k, a + k, b + k, nullptr, 0, out + k, count - k);
    }
}

AVX512 void pixelAccessColumns16(const float* v, std::ptrdiff_t stride, const int* x0, const float* a,
                                 const float* b, const ColumnDraws* draws, std::uint32_t* out, int count) {
    if (draws)
        pixelAccessLoop16<true>(v, stride, x0, a, b, draws, out, count);
    else
        pixelAccessLoop16<false>(v, stride, x0, a, b, draws, out, count);
}

template <bool kDrawn>
AVX512 inline int dibLoop16(const float* v, std::ptrdiff_t stride, const int* x0, const float* a,
                            const float* b, const ColumnDraws* draws, std::uint32_t* out, int count,
                            int writeCount) {
    __m512i s[3];
    if constexpr (kDrawn)
        startDraws16(draws->start, s);
    int k = 0;
    for (; k + 16 <= count; k += 16) {
        const Columns16 cols = columns16(x0 + k);
        const __m512 wa = _mm512_loadu_ps(a + k), wb = _mm512_loadu_ps(b + k);
        __m512 f[3];
        if constexpr (kDrawn)
            nextFactors16(s, draws->r, f);
        __m512i ch[3];
        unsigned failed[3];
        for (int c = 0; c < 3; ++c) {
            const float* plane = v + c * stride;
            __m512 value = _mm512_add_ps(_mm512_mul_ps(wa, pick16(plane, cols, 0)),
                                         _mm512_mul_ps(pick16(plane, cols, 1), wb));
            if constexpr (kDrawn)
                value = _mm512_mul_ps(value, f[c]);
            ch[c] = _mm512_cvtps_epi32(value);
            failed[c] = _mm512_movepi32_mask(ch[c]);
        }
        if (failed[0] | failed[1] | failed[2])
            return 3 * k + firstFailedDraw(failed);
        if (k < writeCount) {
            const __mmask16 writing = k + 16 <= writeCount
                                          ? static_cast<__mmask16>(0xFFFF)
                                          : static_cast<__mmask16>((1u << (writeCount - k)) - 1);
            _mm512_mask_storeu_epi32(out + k, writing, pack16(ch));
        }
    }
    if (k == count)
        return -1;
    int rest;
    if constexpr (kDrawn) {
        float f[3 * 16];
        lastFactors16(s, draws->r, count - k, f);
        rest = dibFactors4(v, stride, x0 + k, a + k, b + k, f, 16, out + k, count - k, writeCount - k);
    } else {
        rest = dibFactors4(v, stride, x0 + k, a + k, b + k, nullptr, 0, out + k, count - k, writeCount - k);
    }
    return rest < 0 ? rest : 3 * k + rest;
}

AVX512 int dibColumns16(const float* v, std::ptrdiff_t stride, const int* x0, const float* a, const float* b,
                        const ColumnDraws* draws, std::uint32_t* out, int count, int writeCount) {
    return draws ? dibLoop16<true>(v, stride, x0, a, b, draws, out, count, writeCount)
                 : dibLoop16<false>(v, stride, x0, a, b, draws, out, count, writeCount);
}

#pragma GCC diagnostic pop
#undef AVX512

#endif

const RowLoops kFourLanes{blend4,
                          blendHundredths4,
                          planes4,
                          blendPixelsOneByOne,
                          blendPixelsHundredthsOneByOne,
                          factorPlanes4,
                          pixelAccessDrawn<factorPlanes4, pixelAccessFactors4>,
                          dibDrawn<factorPlanes4, dibFactors4>};
#if TESMARO_AVX2_DISPATCH
const RowLoops kEightLanes{eight::blend,
                           eight::blendHundredths,
                           eight::planes,
                           eight::blendPixels,
                           eight::blendPixelsHundredths,
                           eight::factorPlanes,
                           eight::pixelAccessColumns,
                           eight::dibColumns};
const RowLoops kSixteenLanes{
    blend16,        blendHundredths16,    planes16,    blendPixels16, blendPixelsHundredths16,
    factorPlanes16, pixelAccessColumns16, dibColumns16};
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
