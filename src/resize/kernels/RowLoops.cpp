#include "resize/kernels/RowLoops.h"

#include "resize/kernels/Lanes.h"
#include "resize/kernels/RandomFactors.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdlib>

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
#include "RowLoopsWide.inc"
#undef WIDE
} // namespace eight

// Where division limits the speed sixteen lanes also double it, as the processors that have
// them divide sixteen floats in about the time of eight.

#define AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512dq")))
// GCC 12's headers pass an "undefined" vector through some intrinsics and then warn about it.
#pragma GCC diagnostic push
#if !defined(__clang__) // clang has no such warning, and warns about the name instead
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#pragma GCC diagnostic ignored "-Wuninitialized"

struct Lanes16 {
    static constexpr int kWidth = 16;
    using Floats = __m512;
    using Ints = __m512i;
    using Mask = __mmask16;
    using Outside = __mmask16;
    static constexpr bool kMaskedTails = true;

    AVX512 static Floats splat(float x) { return _mm512_set1_ps(x); }
    AVX512 static Ints splatInts(int x) { return _mm512_set1_epi32(x); }
    AVX512 static Floats load(const float* p) { return _mm512_loadu_ps(p); }
    AVX512 static void store(float* p, Floats v) { _mm512_storeu_ps(p, v); }
    AVX512 static Ints loadInts(const void* p) { return _mm512_loadu_si512(p); }
    AVX512 static void storeInts(void* p, Ints v) { _mm512_storeu_si512(p, v); }

    AVX512 static Floats add(Floats a, Floats b) { return _mm512_add_ps(a, b); }
    AVX512 static Floats sub(Floats a, Floats b) { return _mm512_sub_ps(a, b); }
    AVX512 static Floats mul(Floats a, Floats b) { return _mm512_mul_ps(a, b); }
    AVX512 static Floats div(Floats a, Floats b) { return _mm512_div_ps(a, b); }
    AVX512 static Floats toFloats(Ints a) { return _mm512_cvtepi32_ps(a); }
    // Nearest, halves to even; INT32_MIN outside the signed 32-bit range or for NaN.
    AVX512 static Ints nearest(Floats a) { return _mm512_cvtps_epi32(a); }

    AVX512 static Ints addInts(Ints a, Ints b) { return _mm512_add_epi32(a, b); }
    AVX512 static Ints subInts(Ints a, Ints b) { return _mm512_sub_epi32(a, b); }
    AVX512 static Ints mulLow(Ints a, Ints b) { return _mm512_mullo_epi32(a, b); }
    AVX512 static Ints andInts(Ints a, Ints b) { return _mm512_and_si512(a, b); }
    AVX512 static Ints orInts(Ints a, Ints b) { return _mm512_or_si512(a, b); }
    AVX512 static Ints minUnsigned(Ints a, Ints b) { return _mm512_min_epu32(a, b); }
    template <int n> AVX512 static Ints shiftLeft(Ints a) { return _mm512_slli_epi32(a, n); }
    template <int n> AVX512 static Ints shiftRight(Ints a) { return _mm512_srli_epi32(a, n); }

    // Lane j of from[i_j] for i_j < 16, and for i_j < 32.
    AVX512 static Floats pickOne(const float* from, Ints i) {
        return _mm512_permutexvar_ps(i, _mm512_loadu_ps(from));
    }
    AVX512 static Floats pickTwo(const float* from, Ints i) {
        return _mm512_permutex2var_ps(_mm512_loadu_ps(from), i, _mm512_loadu_ps(from + 16));
    }
    AVX512 static Floats gather(const float* base, Ints at) { return _mm512_i32gather_ps(at, base, 4); }

    // Bit i set when lane i is below 0.
    AVX512 static unsigned negatives(Ints a) { return _mm512_movepi32_mask(a); }
    AVX512 static Outside noneOutside() { return 0; }
    AVX512 static Outside orOutside(Outside o, Ints ch, Ints limit) {
        // Below 0 or above the limit in one unsigned comparison.
        return o | _mm512_cmpgt_epu32_mask(ch, limit);
    }
    AVX512 static void storeInside(std::uint32_t* out, Outside o, Ints px) {
        _mm512_mask_storeu_epi32(out, static_cast<__mmask16>(~o), px);
    }

    // Lanes i < n, for 0 < n < 16.
    AVX512 static Mask firstLanes(int n) { return static_cast<__mmask16>((1u << n) - 1); }
    AVX512 static Floats maskedLoad(Mask m, const float* p) { return _mm512_maskz_loadu_ps(m, p); }
    AVX512 static void maskedStore(float* p, Mask m, Floats v) { _mm512_mask_storeu_ps(p, m, v); }
    AVX512 static void maskedStoreInts(std::uint32_t* p, Mask m, Ints v) {
        _mm512_mask_storeu_epi32(p, m, v);
    }
};

namespace sixteen {
using L = Lanes16;
#define WIDE AVX512
#include "RowLoopsWide.inc"
#undef WIDE
} // namespace sixteen

#pragma GCC diagnostic pop
#undef AVX512
#undef AVX2

#endif

const RowLoops kFourLanes{4,
                          blend4,
                          blendHundredths4,
                          planes4,
                          blendPixelsOneByOne,
                          blendPixelsHundredthsOneByOne,
                          factorPlanes4,
                          pixelAccessDrawn<factorPlanes4, pixelAccessFactors4>,
                          dibDrawn<factorPlanes4, dibFactors4>};
#if TESMARO_AVX2_DISPATCH
const RowLoops kEightLanes{8,
                           eight::blend,
                           eight::blendHundredths,
                           eight::planes,
                           eight::blendPixels,
                           eight::blendPixelsHundredths,
                           eight::factorPlanes,
                           eight::pixelAccessColumns,
                           eight::dibColumns};
const RowLoops kSixteenLanes{16,
                             sixteen::blend,
                             sixteen::blendHundredths,
                             sixteen::planes,
                             sixteen::blendPixels,
                             sixteen::blendPixelsHundredths,
                             sixteen::factorPlanes,
                             sixteen::pixelAccessColumns,
                             sixteen::dibColumns};
#endif

std::atomic<const RowLoops*> g_selectedForTests{nullptr};

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

const RowLoops& widestRowLoops(std::string_view disabled) {
    const auto named = [disabled](std::string_view name) {
        for (std::size_t at = 0; at < disabled.size();) {
            const std::size_t end = std::min(disabled.find_first_of(" ,", at), disabled.size());
            if (disabled.substr(at, end - at) == name)
                return true;
            at = end + 1;
        }
        return false;
    };
    if (sixteenLaneRowLoops() && !named("avx512"))
        return *sixteenLaneRowLoops();
    if (eightLaneRowLoops() && !named("avx2"))
        return *eightLaneRowLoops();
    return kFourLanes;
}

const RowLoops& rowLoops() {
    if (const RowLoops* selected = g_selectedForTests.load(std::memory_order_acquire))
        return *selected;
    static const RowLoops* const chosen = [] {
        const char* disabled = std::getenv("TESMARO_DISABLE");
        return &widestRowLoops(disabled ? disabled : "");
    }();
    return *chosen;
}

void selectRowLoopsForTests(const RowLoops* form) {
    g_selectedForTests.store(form, std::memory_order_release);
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
