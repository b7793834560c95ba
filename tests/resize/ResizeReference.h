#pragma once
// The two resamplers and the mirror written out the slow, literal way, independently of the
// kernels: six integer planes with a black margin and packed-colour reads for "XY VB", a real
// bottom-up byte buffer with padding for "XY API", one draw at a time from a copy of the
// sequence, and a rounding to nearest-even of its own.

#include "core/RandomSequence.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace tesmaro::testing {

// A top-down picture of 0xAARRGGBB pixels.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Picture() = default;
    Picture(int w, int h, std::uint32_t fill = 0xFFFFFFFFu)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

inline std::uint32_t rgbPixel(int r, int g, int b) {
    return 0xFF000000u | static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
           static_cast<std::uint32_t>(b);
}

inline Picture randomPicture(int w, int h, unsigned seed) {
    Picture p(w, h);
    std::mt19937 gen(seed);
    for (auto& px : p.pixels)
        px = 0xFF000000u | (gen() & 0xFFFFFFu);
    return p;
}

inline std::string hexColour(std::uint32_t px) {
    std::ostringstream s;
    s << std::hex << (px & 0xFFFFFFu);
    return s.str();
}

// Nearest integer, halves to even, in double without the floating-point environment.
inline double halfEven(double v) {
    const double f = std::floor(v);
    const double d = v - f;
    if (d > 0.5)
        return f + 1;
    if (d < 0.5)
        return f;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

inline bool fitsInt32(double v) {
    return std::isfinite(v) && v >= -2147483648.0 && v <= 2147483647.0;
}

// Nearest integer of n/100, halves to even, in integers.
inline std::int32_t hundredthHalfEven(std::int64_t n) {
    std::int64_t q = n / 100, rem = n % 100;
    if (rem < 0) {
        rem += 100;
        q -= 1;
    }
    if (rem > 50 || (rem == 50 && q % 2 != 0))
        ++q;
    return static_cast<std::int32_t>(q);
}

struct ReferenceSettings {
    std::int32_t width = 0, height = 0;
    float r = 0;
    std::int16_t red = 100, green = 100, blue = 100;
};

// "XY VB" onto dest (which keeps its unwritten pixels). Appends every progress percent.
inline void referencePixelAccess(const Picture& src, Picture& dest, const ReferenceSettings& s,
                                 RandomSequence& rnd, std::vector<int>& titles) {
    const int Ws = src.width, Hs = src.height, Wd = s.width, Hd = s.height;
    const int pw = Ws + 2;
    std::vector<std::int32_t> PixRed(static_cast<std::size_t>(pw) * (Hs + 2), 0), PixGreen = PixRed,
                                                                                  PixBlue = PixRed;
    auto idx = [&](int x, int y) { return static_cast<std::size_t>(y) * pw + x; };
    for (int y = 1; y <= Hs; ++y) {
        for (int x = 1; x <= Ws; ++x) {
            const std::uint32_t px = src.at(x - 1, y - 1);
            const std::int32_t C =
                static_cast<std::int32_t>(((px >> 16) & 0xFF) | (px & 0xFF00) | ((px & 0xFF) << 16));
            const std::int32_t B = C / 65536;
            const std::int32_t G = (C - 65536 * B) / 256;
            std::int32_t R = C - 65536 * B - 256 * G;
            if (R < 0)
                R = 0;
            PixBlue[idx(x, y)] = hundredthHalfEven(static_cast<std::int64_t>(s.blue) * B);
            PixGreen[idx(x, y)] = hundredthHalfEven(static_cast<std::int64_t>(s.green) * G);
            PixRed[idx(x, y)] = hundredthHalfEven(static_cast<std::int64_t>(s.red) * R);
        }
        titles.push_back(30 * y / Hs);
    }
    const float kx = static_cast<float>(Ws) / static_cast<float>(Wd);
    const float ky = static_cast<float>(Hs) / static_cast<float>(Hd);
    const float r = s.r;
    for (int Y = 1; Y <= Hd; ++Y) {
        for (int X = 1; X <= Wd; ++X) {
            const float sx = kx * X;
            const std::int32_t x0 = static_cast<std::int32_t>(sx), x1 = x0 + 1;
            const float sy = ky * Y;
            const std::int32_t y0 = static_cast<std::int32_t>(sy), y1 = y0 + 1;
            float fx = sx - x0, fy = sy - y0;
            if (fx < 0)
                fx = 0;
            if (fy < 0)
                fy = 0;
            const float red0 = (1 - fy) * PixRed[idx(x0, y0)] + fy * PixRed[idx(x0, y1)];
            const float green0 = (1 - fy) * PixGreen[idx(x0, y0)] + fy * PixGreen[idx(x0, y1)];
            const float blue0 = (1 - fy) * PixBlue[idx(x0, y0)] + fy * PixBlue[idx(x0, y1)];
            const float red1 = (1 - fy) * PixRed[idx(x1, y0)] + fy * PixRed[idx(x1, y1)];
            const float green1 = (1 - fy) * PixGreen[idx(x1, y0)] + fy * PixGreen[idx(x1, y1)];
            const float blue1 = (1 - fy) * PixBlue[idx(x1, y0)] + fy * PixBlue[idx(x1, y1)];
            double out[3] = {halfEven((1 - fx) * blue0 + fx * blue1),
                             halfEven((1 - fx) * green0 + fx * green1),
                             halfEven((1 - fx) * red0 + fx * red1)};
            bool ok = true;
            for (int c = 0; c < 3 && ok; ++c) {
                const float u = rnd.next();
                const float t = (1 + (r - 2 * r * u) / 100) * static_cast<float>(out[c]);
                const double v = std::isfinite(t) ? halfEven(t) : std::numeric_limits<double>::infinity();
                ok = fitsInt32(v);
                out[c] = v;
            }
            for (int c = 0; c < 3 && ok; ++c)
                ok = out[c] >= 0 && out[c] <= 32767;
            if (ok && X - 1 < dest.width && Y - 1 < dest.height)
                dest.at(X - 1, Y - 1) =
                    rgbPixel(std::min(255, static_cast<int>(out[2])), std::min(255, static_cast<int>(out[1])),
                             std::min(255, static_cast<int>(out[0])));
        }
        titles.push_back(70 * Y / Hd + 30);
    }
}

inline std::int32_t referenceStride(std::int32_t w) {
    return (3 * w + 3) & ~3;
}

// "XY API". Returns false at a failing channel (dest then holds nothing of the run). On success
// dest is Wd x Hd, top-down.
inline bool referenceDib(const Picture& src, Picture& dest, const ReferenceSettings& s, RandomSequence& rnd,
                         std::vector<int>& titles) {
    const int w = src.width, h = src.height, Wd = s.width, Hd = s.height;
    const std::int32_t S = referenceStride(w), Sd = referenceStride(Wd);
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(S) * h, 0);
    for (int j = 0; j < h; ++j)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t px = src.at(x, h - 1 - j);
            bits[static_cast<std::size_t>(j) * S + 3 * x] = px & 0xFF;
            bits[static_cast<std::size_t>(j) * S + 3 * x + 1] = (px >> 8) & 0xFF;
            bits[static_cast<std::size_t>(j) * S + 3 * x + 2] = (px >> 16) & 0xFF;
        }
    auto byte = [&](std::int64_t off) -> int {
        return off >= 0 && off < static_cast<std::int64_t>(bits.size()) ? bits[static_cast<std::size_t>(off)]
                                                                        : 0;
    };
    std::vector<std::uint8_t> result(static_cast<std::size_t>(Sd) * Hd, 0);
    const float kx = static_cast<float>(static_cast<double>(S - 1) / (3.0 * Wd));
    const float ky = static_cast<float>(static_cast<double>(h - 1) / Hd);
    const float r = s.r;
    const int P[3] = {s.blue, s.green, s.red};
    for (int Y = 0; Y < Hd; ++Y) {
        for (int X = 0; X < Wd; ++X) {
            const float sy = ky * Y;
            const std::int32_t y0 = static_cast<std::int32_t>(std::floor(sy));
            const float fy = sy - y0;
            const std::int32_t y1 = y0 + 1;
            const float sx = kx * X;
            const std::int32_t x0 = static_cast<std::int32_t>(std::floor(sx));
            const float fx = sx - x0;
            const std::int64_t at0 = static_cast<std::int64_t>(y0) * S + 3 * x0;
            const std::int64_t at1 = static_cast<std::int64_t>(y1) * S + 3 * x0;
            float c0[3], c1[3];
            for (int c = 2; c >= 0; --c)
                c0[c] = static_cast<float>(P[c] * byte(at0 + c)) * (1 - fy) / 100 +
                        static_cast<float>(P[c] * byte(at1 + c)) * fy / 100;
            for (int c = 2; c >= 0; --c)
                c1[c] = static_cast<float>(P[c] * byte(at0 + 3 + c)) * (1 - fy) / 100 +
                        static_cast<float>(P[c] * byte(at1 + 3 + c)) * fy / 100;
            for (int c = 0; c < 3; ++c) {
                const float u = rnd.next();
                const float t = ((1 - fx) * c0[c] + c1[c] * fx) * ((r - 2 * r * u) / 100 + 1);
                if (!std::isfinite(t))
                    return false;
                double v = halfEven(t);
                if (!fitsInt32(v) || v < 0)
                    return false;
                if (v > 255)
                    v = 255;
                result[static_cast<std::size_t>(Y) * Sd + 3 * X + c] = static_cast<std::uint8_t>(v);
            }
        }
        titles.push_back(Hd == 1 ? 100 : 100 * Y / (Hd - 1));
    }
    dest = Picture(Wd, Hd);
    for (int Y = 0; Y < Hd; ++Y)
        for (int X = 0; X < Wd; ++X) {
            const std::size_t o = static_cast<std::size_t>(Y) * Sd + 3 * X;
            dest.at(X, Hd - 1 - Y) = rgbPixel(result[o + 2], result[o + 1], result[o]);
        }
    return true;
}

} // namespace tesmaro::testing
