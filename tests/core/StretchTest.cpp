#include "core/Stretch.h"
#include "TestRaster.h"
#include "core/RasterOp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>

namespace tesmaro {
namespace {

using testing::sameRaster;
using testing::TestRaster;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

// A different colour for every source pixel.
TestRaster numbered(int w, int h, int stride = 0) {
    TestRaster r(w, h, 0, stride);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            r.at(x, y) = 0xFF000000u |
                         static_cast<std::uint32_t>(((x * 37 + 11) & 0xFFF) << 12 | ((y * 101 + 7) & 0xFFF));
    return r;
}

std::string describe(const RectF& r) {
    std::ostringstream s;
    s << "(" << r.x << ", " << r.y << ", " << r.w << " x " << r.h << ")";
    return s.str();
}

// The documented behaviour, written out pixel by pixel: values to the nearest integer (halves to
// even, NaN as 0, limited to +-2^30); destination column dx + i takes source column
// sx + floor((2i + 1) sw / (2 dw)), rows alike; only pixels inside both rasters change.
std::int64_t refPixel(double v) {
    if (std::isnan(v))
        return 0;
    const double limit = 1073741824.0;
    const double c = v > limit ? limit : (v < -limit ? -limit : v);
    return static_cast<std::int64_t>(std::nearbyint(c));
}

std::uint32_t refOp(std::int32_t code, std::uint32_t d, std::uint32_t s) {
    std::uint32_t r;
    if (code == 0x8800C6)
        r = d & s;
    else if (code == 0x440328)
        r = s & ~d;
    else if (code == 0x660046)
        r = d ^ s;
    else if (code == 0xEE0086)
        r = d | s;
    else
        r = s;
    return r | 0xFF000000u;
}

void referenceStretch(TestRaster& dst, const RectF& dr, const TestRaster& src, const RectF& sr,
                      std::int32_t code) {
    const std::int64_t dx = refPixel(dr.x), dy = refPixel(dr.y), dw = refPixel(dr.w), dh = refPixel(dr.h);
    const std::int64_t sx = refPixel(sr.x), sy = refPixel(sr.y), sw = refPixel(sr.w), sh = refPixel(sr.h);
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    const TestRaster source = src; // the source as it was before any pixel is written
    for (int y = 0; y < dst.height; ++y) {
        const std::int64_t j = y - dy;
        if (j < 0 || j >= dh)
            continue;
        const std::int64_t v = sy + (2 * j + 1) * sh / (2 * dh);
        if (v < 0 || v >= source.height)
            continue;
        for (int x = 0; x < dst.width; ++x) {
            const std::int64_t i = x - dx;
            if (i < 0 || i >= dw)
                continue;
            const std::int64_t u = sx + (2 * i + 1) * sw / (2 * dw);
            if (u < 0 || u >= source.width)
                continue;
            dst.at(x, y) = refOp(code, dst.at(x, y), source.at(static_cast<int>(u), static_cast<int>(v)));
        }
    }
}

::testing::AssertionResult matchesReference(TestRaster dst, const TestRaster& src, const RectF& dr,
                                            const RectF& sr, std::int32_t code) {
    TestRaster expected = dst;
    referenceStretch(expected, dr, src, sr, code);
    stretchBlit(dst.view(), dr, src.constView(), sr, code);
    auto result = sameRaster(expected, dst);
    if (!result)
        result << " for destination " << describe(dr) << " on " << dst.width << "x" << dst.height
               << ", source " << describe(sr) << " on " << src.width << "x" << src.height << ", code "
               << std::hex << code;
    return result;
}

TEST(Stretch, FiveCodesOnKnownPixels) {
    TestRaster src(2, 1, 0);
    src.at(0, 0) = 0xFF3CAA55u;
    src.at(1, 0) = 0xFF000000u;
    const struct {
        std::int32_t code;
        std::uint32_t first, second;
    } cases[] = {
        {SRCCOPY, 0xFF3CAA55u, 0xFF000000u},  {SRCAND, 0xFF308805u, 0xFF000000u},
        {SRCERASE, 0xFF0C2250u, 0xFF000000u}, {SRCINVERT, 0xFFCC665Au, 0xFFF0CC0Fu},
        {SRCPAINT, 0xFFFCEE5Fu, 0xFFF0CC0Fu}, {0x123456, 0xFF3CAA55u, 0xFF000000u}, // unknown: copy
    };
    for (const auto& c : cases) {
        TestRaster dst(4, 1, 0xFFF0CC0Fu);
        stretchBlit(dst.view(), {1, 0, 2, 1}, src.constView(), {0, 0, 2, 1}, c.code);
        EXPECT_EQ(dst.at(0, 0), 0xFFF0CC0Fu) << std::hex << c.code;
        EXPECT_EQ(dst.at(1, 0), c.first) << std::hex << c.code;
        EXPECT_EQ(dst.at(2, 0), c.second) << std::hex << c.code;
        EXPECT_EQ(dst.at(3, 0), 0xFFF0CC0Fu) << std::hex << c.code;
    }
}

TEST(Stretch, FragmentDrawnAtDoubleSize) {
    // Source 100 x 50 at (0, 0) into 200 x 100 at (10, 20): every source pixel becomes a 2 x 2 block.
    const TestRaster src = numbered(300, 200);
    TestRaster dst(300, 200, kWhite);
    stretchBlit(dst.view(), {10, 20, 200, 100}, src.constView(), {0, 0, 100, 50}, SRCCOPY);
    for (int y = 0; y < dst.height; ++y)
        for (int x = 0; x < dst.width; ++x) {
            const bool inside = x >= 10 && x < 210 && y >= 20 && y < 120;
            const std::uint32_t want = inside ? src.at((x - 10) / 2, (y - 20) / 2) : kWhite;
            ASSERT_EQ(dst.at(x, y), want) << "at (" << x << ", " << y << ")";
        }
}

TEST(Stretch, ShrinkingDropsAndEnlargingRepeatsWholeColumns) {
    const TestRaster src = numbered(10, 6);
    auto columnsTaken = [&](int sw, int dw) {
        TestRaster dst(dw, 1, kWhite);
        stretchBlit(dst.view(), {0, 0, double(dw), 1}, src.constView(), {0, 0, double(sw), 1}, SRCCOPY);
        std::vector<int> taken;
        for (int x = 0; x < dw; ++x)
            for (int u = 0; u < src.width; ++u)
                if (src.at(u, 0) == dst.at(x, 0))
                    taken.push_back(u);
        return taken;
    };
    EXPECT_EQ(columnsTaken(6, 3), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(columnsTaken(10, 4), (std::vector<int>{1, 3, 6, 8}));
    EXPECT_EQ(columnsTaken(3, 7), (std::vector<int>{0, 0, 1, 1, 1, 2, 2}));
    EXPECT_EQ(columnsTaken(10, 1), (std::vector<int>{5}));
    EXPECT_EQ(columnsTaken(1, 5), (std::vector<int>{0, 0, 0, 0, 0}));

    // Rows follow the same rule: 6 rows into 2 take rows 1 and 4.
    TestRaster dst(1, 2, kWhite);
    stretchBlit(dst.view(), {0, 0, 1, 2}, src.constView(), {0, 0, 1, 6}, SRCCOPY);
    EXPECT_EQ(dst.at(0, 0), src.at(0, 1));
    EXPECT_EQ(dst.at(0, 1), src.at(0, 4));
}

TEST(Stretch, EnlargingAndShrinkingMatchReference) {
    const TestRaster src = numbered(23, 17, 29);
    for (int sw : {1, 2, 5, 17, 23})
        for (int dw : {1, 3, 8, 23, 40, 61})
            for (int code : {SRCCOPY, SRCINVERT}) {
                TestRaster dst(64, 50, 0xFF808080u, 67);
                ASSERT_TRUE(matchesReference(dst, src, {2, 3, double(dw), double(dw) * 0.75},
                                             {1, 0, double(sw), double(sw) + 2}, code));
            }
}

TEST(Stretch, ClipsOnAllFourSidesOfBothRasters) {
    const TestRaster src = numbered(12, 9, 15);
    const TestRaster dst(16, 11, 0xFF102030u, 19);
    const RectF inside{2, 2, 6, 5};
    const RectF destinations[] = {
        {-4, 2, 9, 7}, {10, 2, 9, 7}, {3, -5, 9, 7}, {3, 8, 9, 7}, {-6, -6, 30, 25}};
    const RectF sources[] = {{-3, 1, 8, 6}, {8, 1, 8, 6}, {2, -4, 8, 6}, {2, 6, 8, 6}, {-5, -5, 22, 19}};
    for (const RectF& d : destinations)
        EXPECT_TRUE(matchesReference(dst, src, d, inside, SRCCOPY));
    for (const RectF& s : sources)
        EXPECT_TRUE(matchesReference(dst, src, inside, s, SRCAND));
    for (const RectF& d : destinations)
        for (const RectF& s : sources)
            EXPECT_TRUE(matchesReference(dst, src, d, s, SRCPAINT));

    // A source sticking out on the left: the destination columns it would feed stay as they were.
    TestRaster one(4, 1, kWhite);
    const TestRaster row = numbered(4, 1);
    stretchBlit(one.view(), {0, 0, 4, 1}, row.constView(), {-2, 0, 4, 1}, SRCCOPY);
    EXPECT_EQ(one.at(0, 0), kWhite);
    EXPECT_EQ(one.at(1, 0), kWhite);
    EXPECT_EQ(one.at(2, 0), row.at(0, 0));
    EXPECT_EQ(one.at(3, 0), row.at(1, 0));
}

TEST(Stretch, DegenerateAndExtremeRectangles) {
    const TestRaster src = numbered(7, 5, 9);
    const TestRaster dst(9, 6, 0xFF406080u, 11);
    const double values[] = {0,     -5,     0.4, 0.5,  1.5,  2.5,   -0.5, kNaN,
                             32767, -32767, 1e9, -1e9, kInf, -kInf, 1e30, 3.999};
    for (double a : values)
        for (double b : values) {
            ASSERT_TRUE(matchesReference(dst, src, {a, 1, b, 3}, {0, 0, 7, 5}, SRCCOPY));
            ASSERT_TRUE(matchesReference(dst, src, {1, a, 4, b}, {1, 1, 3, 3}, SRCINVERT));
            ASSERT_TRUE(matchesReference(dst, src, {0, 0, 9, 6}, {a, 0, b, 5}, SRCCOPY));
            ASSERT_TRUE(matchesReference(dst, src, {0, 0, 9, 6}, {0, a, 7, b}, SRCAND));
            ASSERT_TRUE(matchesReference(dst, src, {a, b, a, b}, {b, a, b, a}, SRCPAINT));
        }

    // Spelled out: a zero, negative or NaN size draws nothing.
    for (const RectF& r :
         {RectF{0, 0, 0, 5}, RectF{0, 0, 9, -1}, RectF{0, 0, kNaN, 6}, RectF{0, 0, 0.5, 6}}) {
        TestRaster d = dst;
        stretchBlit(d.view(), r, src.constView(), {0, 0, 7, 5}, SRCCOPY);
        EXPECT_TRUE(sameRaster(dst, d)) << describe(r);
        stretchBlit(d.view(), {0, 0, 9, 6}, src.constView(), r, SRCCOPY);
        EXPECT_TRUE(sameRaster(dst, d)) << "source " << describe(r);
    }
    // The whole destination inside a 32767 x 32767 rectangle fed by one 3 x 3 source: every
    // pixel shows the source's top-left pixel.
    TestRaster d = dst;
    stretchBlit(d.view(), {0, 0, 32767, 32767}, src.constView(), {0, 0, 3, 3}, SRCCOPY);
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            ASSERT_EQ(d.at(x, y), src.at(0, 0)) << "at (" << x << ", " << y << ")";
    // A 32767 x 32767 source squeezed into 4 x 4 samples far outside the 7 x 5 source: nothing.
    d = dst;
    stretchBlit(d.view(), {0, 0, 4, 4}, src.constView(), {0, 0, 32767, 32767}, SRCCOPY);
    EXPECT_TRUE(sameRaster(dst, d));
    // Rectangles at -32767 reaching back over the raster.
    EXPECT_TRUE(matchesReference(dst, src, {-32767, -32767, 32767 + 9, 32767 + 6}, {0, 0, 7, 5}, SRCCOPY));
}

TEST(Stretch, EmptyRastersAreLeftAlone) {
    TestRaster dst(3, 3, kWhite);
    const TestRaster src = numbered(3, 3);
    stretchBlit(dst.view(), {0, 0, 3, 3}, ConstRasterView(), {0, 0, 3, 3}, SRCCOPY);
    stretchBlit(RasterView{}, {0, 0, 3, 3}, src.constView(), {0, 0, 3, 3}, SRCCOPY);
    stretchBlit(dst.view(), {0, 0, 3, 3}, ConstRasterView(src.data.data(), 0, 3, 3), {0, 0, 3, 3}, SRCCOPY);
    EXPECT_TRUE(sameRaster(TestRaster(3, 3, kWhite), dst));
}

TEST(Stretch, RandomCasesOnSmallOddRastersWithWideStrides) {
    std::mt19937 gen(20240611u);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); };
    auto coordinate = [&] { return pick(-48, 48) / 4.0; };
    auto extent = [&] { return pick(-6, 28) / 2.0; };
    const std::int32_t codes[] = {SRCCOPY, SRCAND, SRCERASE, SRCINVERT, SRCPAINT, 0};
    for (int n = 0; n < 20000; ++n) {
        const int dw = pick(1, 9), dh = pick(1, 9), sw = pick(1, 9), sh = pick(1, 9);
        TestRaster dst = numbered(dw, dh, dw + pick(0, 3));
        for (auto& p : dst.data)
            p = ~p | 0xFF000000u;
        const TestRaster src = numbered(sw, sh, sw + pick(0, 3));
        const RectF dr{coordinate(), coordinate(), extent(), extent()};
        const RectF sr{coordinate(), coordinate(), extent(), extent()};
        ASSERT_TRUE(matchesReference(dst, src, dr, sr, codes[pick(0, 5)])) << "case " << n;
    }
}

TEST(Stretch, OverlappingRectanglesOfOneRaster) {
    // Painting a canvas onto itself reads the source as it was before the drawing began.
    std::mt19937 gen(7u);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); };
    for (int n = 0; n < 2000; ++n) {
        const int w = pick(1, 12), h = pick(1, 12);
        TestRaster r = numbered(w, h, w + pick(0, 2));
        const RectF dr{double(pick(-3, 10)), double(pick(-3, 10)), double(pick(1, 14)), double(pick(1, 14))};
        const RectF sr{double(pick(-3, 10)), double(pick(-3, 10)), double(pick(1, 14)), double(pick(1, 14))};
        TestRaster expected = r;
        referenceStretch(expected, dr, r, sr, SRCINVERT);
        stretchBlit(r.view(), dr, r.constView(), sr, SRCINVERT);
        ASSERT_TRUE(sameRaster(expected, r))
            << "case " << n << ": " << describe(dr) << " from " << describe(sr);
    }
}

} // namespace
} // namespace tesmaro
