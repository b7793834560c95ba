#pragma once
// Four single-precision lanes, one channel of four result columns, for the resamplers' portable
// inner loops. Every operation is one IEEE single-precision operation per lane,
// so a lane gives exactly what scalar float code in the same order gives. Rounding to an
// integer is to nearest with halves to even (the default floating-point environment is
// assumed); a value outside the signed 32-bit range, or NaN, becomes INT32_MIN.

#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tesmaro::resize {

#if defined(__SSE2__)

struct Floats4 {
    __m128 v;
};
struct Ints4 {
    __m128i v;
};

inline Floats4 load4(const float* p) {
    return {_mm_loadu_ps(p)};
}
inline void store4(float* p, Floats4 a) {
    _mm_storeu_ps(p, a.v);
}
inline Floats4 splat4(float x) {
    return {_mm_set1_ps(x)};
}
inline Floats4 lanes4(float a, float b, float c, float d) {
    return {_mm_setr_ps(a, b, c, d)};
}
inline Floats4 operator+(Floats4 a, Floats4 b) {
    return {_mm_add_ps(a.v, b.v)};
}
inline Floats4 operator-(Floats4 a, Floats4 b) {
    return {_mm_sub_ps(a.v, b.v)};
}
inline Floats4 operator*(Floats4 a, Floats4 b) {
    return {_mm_mul_ps(a.v, b.v)};
}
inline Floats4 operator/(Floats4 a, Floats4 b) {
    return {_mm_div_ps(a.v, b.v)};
}
inline Ints4 roundToInts(Floats4 a) {
    return {_mm_cvtps_epi32(a.v)};
}
inline Floats4 toFloats(Ints4 a) {
    return {_mm_cvtepi32_ps(a.v)};
}
// Bit i is set when lane i is below 0.
inline int negativeLanes(Ints4 a) {
    return _mm_movemask_ps(_mm_castsi128_ps(a.v));
}
// Bit i is set when lane i is above limit.
inline int lanesAbove(Ints4 a, int limit) {
    return _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(a.v, _mm_set1_epi32(limit))));
}
// Four opaque 0xAARRGGBB pixels, lane i of blue, green and red (each at least 0) limited to 255.
inline void packPixels4(Ints4 blue, Ints4 green, Ints4 red, std::uint32_t* out) {
    // Saturating packs give bytes b0..b3 g0..g3 r0..r3 0 0 0 0, then interleave them.
    const __m128i bytes =
        _mm_packus_epi16(_mm_packs_epi32(blue.v, green.v), _mm_packs_epi32(red.v, _mm_setzero_si128()));
    const __m128i bg = _mm_unpacklo_epi8(bytes, _mm_srli_si128(bytes, 4));
    const __m128i ra = _mm_unpacklo_epi8(_mm_srli_si128(bytes, 8), _mm_set1_epi8(-1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bg, ra));
}

#else

struct Floats4 {
    float v[4];
};
struct Ints4 {
    std::int32_t v[4];
};

template <typename Op> inline Floats4 eachLane(Floats4 a, Floats4 b, Op op) {
    return {{op(a.v[0], b.v[0]), op(a.v[1], b.v[1]), op(a.v[2], b.v[2]), op(a.v[3], b.v[3])}};
}
inline Floats4 load4(const float* p) {
    return {{p[0], p[1], p[2], p[3]}};
}
inline void store4(float* p, Floats4 a) {
    for (int i = 0; i < 4; ++i)
        p[i] = a.v[i];
}
inline Floats4 splat4(float x) {
    return {{x, x, x, x}};
}
inline Floats4 lanes4(float a, float b, float c, float d) {
    return {{a, b, c, d}};
}
inline Floats4 operator+(Floats4 a, Floats4 b) {
    return eachLane(a, b, [](float x, float y) { return x + y; });
}
inline Floats4 operator-(Floats4 a, Floats4 b) {
    return eachLane(a, b, [](float x, float y) { return x - y; });
}
inline Floats4 operator*(Floats4 a, Floats4 b) {
    return eachLane(a, b, [](float x, float y) { return x * y; });
}
inline Floats4 operator/(Floats4 a, Floats4 b) {
    return eachLane(a, b, [](float x, float y) { return x / y; });
}
inline Ints4 roundToInts(Floats4 a) {
    Ints4 r;
    for (int i = 0; i < 4; ++i)
        r.v[i] = a.v[i] >= -2147483648.0f && a.v[i] < 2147483648.0f
                     ? static_cast<std::int32_t>(std::nearbyint(a.v[i]))
                     : INT32_MIN;
    return r;
}
inline Floats4 toFloats(Ints4 a) {
    return {{static_cast<float>(a.v[0]), static_cast<float>(a.v[1]), static_cast<float>(a.v[2]),
             static_cast<float>(a.v[3])}};
}
inline int negativeLanes(Ints4 a) {
    int m = 0;
    for (int i = 0; i < 4; ++i)
        m |= (a.v[i] < 0 ? 1 : 0) << i;
    return m;
}
inline int lanesAbove(Ints4 a, int limit) {
    int m = 0;
    for (int i = 0; i < 4; ++i)
        m |= (a.v[i] > limit ? 1 : 0) << i;
    return m;
}
inline void packPixels4(Ints4 blue, Ints4 green, Ints4 red, std::uint32_t* out) {
    auto byte = [](std::int32_t c) { return static_cast<std::uint32_t>(c > 255 ? 255 : c); };
    for (int i = 0; i < 4; ++i)
        out[i] = 0xFF000000u | byte(red.v[i]) << 16 | byte(green.v[i]) << 8 | byte(blue.v[i]);
}

#endif

} // namespace tesmaro::resize
