#include "core/Draw.h"
#include "TestRaster.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

namespace tesmaro {
namespace {

using testing::sameRaster;
using testing::TestRaster;

constexpr std::uint32_t kPaper = 0xFFFFFFFFu;
constexpr std::uint32_t kInk = 0xFF123456u;
constexpr int kFar = 1 << 30;

int inkCount(const TestRaster& r) {
    int n = 0;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            n += r.at(x, y) == kInk;
    return n;
}

// Pixels of a dot of diameter w at (x, y) as documented: pixel centres within w / 2 of the dot's
// centre, which for an even w lies on the corner up and left of pixel (x, y).
TestRaster referenceDot(int rw, int rh, int x, int y, int w, int stride = 0) {
    TestRaster r(rw, rh, kPaper, stride);
    const double c = w % 2 == 0 ? -0.5 : 0.0;
    for (int py = 0; py < rh; ++py)
        for (int px = 0; px < rw; ++px) {
            const double ddx = px - (x + c), ddy = py - (y + c);
            if (w <= 1 ? (px == x && py == y) : ddx * ddx + ddy * ddy <= w * w / 4.0)
                r.at(px, py) = kInk;
        }
    return r;
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

TEST(Draw, LineIncludesBothEndPointsAndOnePixelPerMajorStep) {
    const int lines[][4] = {{2, 3, 17, 3},  {5, 1, 5, 14},  {1, 1, 14, 14}, {2, 2, 18, 9}, {3, 1, 8, 15},
                            {18, 9, 2, 2},  {8, 15, 3, 1},  {15, 2, 1, 12}, {7, 7, 7, 7},  {0, 0, 19, 1},
                            {19, 0, 0, 15}, {4, 12, 16, 5}, {10, 2, 11, 15}};
    for (const auto& l : lines) {
        TestRaster r(20, 16, kPaper, 23);
        drawLine(r.view(), l[0], l[1], l[2], l[3], 1, kInk);
        const int dx = l[2] - l[0], dy = l[3] - l[1];
        const bool xMajor = std::abs(dx) >= std::abs(dy);
        const int n = std::max(std::abs(dx), std::abs(dy));
        SCOPED_TRACE(::testing::Message() << "line " << l[0] << "," << l[1] << " - " << l[2] << "," << l[3]);
        EXPECT_EQ(r.at(l[0], l[1]), kInk);
        EXPECT_EQ(r.at(l[2], l[3]), kInk);
        EXPECT_EQ(inkCount(r), n + 1);
        // Each step along the major axis has one pixel within half a pixel of the ideal line.
        for (int k = 0; k <= n; ++k) {
            const int a = (xMajor ? l[0] : l[1]) + (n ? k * ((xMajor ? dx : dy) > 0 ? 1 : -1) : 0);
            const double ideal = (xMajor ? l[1] : l[0]) + (n ? double(k) * (xMajor ? dy : dx) / n : 0.0);
            int found = 0;
            for (int b = 0; b < (xMajor ? r.height : r.width); ++b)
                if ((xMajor ? r.at(a, b) : r.at(b, a)) == kInk) {
                    ++found;
                    EXPECT_LE(std::fabs(b - ideal), 0.5) << "step " << k;
                }
            EXPECT_EQ(found, 1) << "step " << k;
        }
        EXPECT_TRUE(r.paddingIntact());
    }
}

TEST(Draw, DotOfWidthWIsADiscWPixelsAcross) {
    for (int w = 1; w <= 16; ++w) {
        TestRaster r(40, 40, kPaper);
        drawDot(r.view(), 20, 20, w, kInk);
        EXPECT_TRUE(sameRaster(referenceDot(40, 40, 20, 20, w), r)) << "width " << w;
        int across = 0, down = 0;
        for (int i = 0; i < 40; ++i) {
            across += r.at(i, 20) == kInk;
            down += r.at(20, i) == kInk;
        }
        EXPECT_EQ(across, w) << "width " << w;
        EXPECT_EQ(down, w) << "width " << w;
    }
    // Widths below 1 draw one pixel.
    TestRaster r(5, 5, kPaper);
    drawDot(r.view(), 2, 2, 0, kInk);
    drawDot(r.view(), 2, 2, -7, kInk);
    EXPECT_EQ(inkCount(r), 1);
}

TEST(Draw, DotsClipAtEveryEdge) {
    for (int w : {1, 2, 5, 8})
        for (const auto& p :
             {std::pair{0, 0}, std::pair{-2, 5}, std::pair{9, -3}, std::pair{13, 11}, std::pair{4, 12}}) {
            TestRaster r(12, 10, kPaper, 14);
            drawDot(r.view(), p.first, p.second, w, kInk);
            const TestRaster expected = referenceDot(12, 10, p.first, p.second, w, 14);
            EXPECT_TRUE(sameRaster(expected, r)) << "width " << w << " at " << p.first << "," << p.second;
        }
    TestRaster r(3, 3, kPaper);
    drawDot(r.view(), 0, 0, 1 << 30, kInk); // a dot far larger than the raster covers it
    EXPECT_EQ(inkCount(r), 9);
}

TEST(Draw, WideLineIsWPixelsThick) {
    for (int w : {2, 3, 4, 7}) {
        TestRaster r(40, 30, kPaper);
        drawLine(r.view(), 5, 15, 34, 15, w, kInk);
        int thick = 0;
        for (int y = 0; y < 30; ++y)
            thick += r.at(20, y) == kInk;
        EXPECT_EQ(thick, w) << "width " << w;
        // Round ends: the line reaches w / 2 beyond its ends at most.
        EXPECT_EQ(r.at(5 - w / 2, 15), kInk);
        EXPECT_EQ(r.at(5 - w / 2 - 1, 15), kPaper);
    }
}

TEST(Draw, ClippedLineKeepsThePixelsOfTheUnclippedWalk) {
    // The same line on a raster large enough to hold it whole, shifted, is the reference.
    std::mt19937 gen(99u);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); };
    const int shift = 90;
    for (int n = 0; n < 1500; ++n) {
        const int x1 = pick(-80, 120), y1 = pick(-80, 100), x2 = pick(-80, 120), y2 = pick(-80, 100);
        const int w = pick(1, 7);
        TestRaster small(37, 23, kPaper, 41), big(224, 200, kPaper);
        drawLine(small.view(), x1, y1, x2, y2, w, kInk);
        drawLine(big.view(), x1 + shift, y1 + shift, x2 + shift, y2 + shift, w, kInk);
        TestRaster expected(37, 23, kPaper, 41);
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 37; ++x)
                expected.at(x, y) = big.at(x + shift, y + shift);
        ASSERT_TRUE(sameRaster(expected, small))
            << "line " << x1 << "," << y1 << " - " << x2 << "," << y2 << " width " << w;
    }
}

TEST(Draw, LinesBetweenFarPointsAreQuickAndExact) {
    const auto start = std::chrono::steady_clock::now();
    // The diagonal through the origin.
    TestRaster diag(50, 40, kPaper);
    drawLine(diag.view(), -kFar, -kFar, kFar, kFar, 1, kInk);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(diag.at(x, y), x == y ? kInk : kPaper) << "at (" << x << ", " << y << ")";
    // A horizontal line at row 5 from far left to far right, reversed too.
    for (bool reversed : {false, true}) {
        TestRaster row(50, 40, kPaper);
        drawLine(row.view(), reversed ? kFar : -kFar, 5, reversed ? -kFar : kFar, 5, 3, kInk);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 50; ++x)
                ASSERT_EQ(row.at(x, y), (y >= 4 && y <= 6) ? kInk : kPaper)
                    << "at (" << x << ", " << y << ")";
    }
    // Slope one half: one pixel per column, within half a pixel of y = x / 2.
    TestRaster half(60, 40, kPaper);
    drawLine(half.view(), -kFar, -kFar / 2, kFar, kFar / 2, 1, kInk);
    for (int x = 0; x < 60; ++x) {
        int found = 0;
        for (int y = 0; y < 40; ++y)
            if (half.at(x, y) == kInk) {
                ++found;
                EXPECT_LE(std::fabs(y - x / 2.0), 0.5) << "column " << x;
            }
        EXPECT_EQ(found, 1) << "column " << x;
    }
    // Lines that pass the raster by, between extreme integers too.
    TestRaster untouched(30, 30, kPaper);
    drawLine(untouched.view(), -kFar, 0, 0, kFar, 2, kInk);
    drawLine(untouched.view(), kFar, -kFar, kFar, kFar, 15, kInk);
    drawLine(untouched.view(), std::numeric_limits<int>::min(), std::numeric_limits<int>::min(),
             std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), 1, kInk);
    drawLine(untouched.view(), std::numeric_limits<int>::max(), std::numeric_limits<int>::max(),
             std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), 9, kInk);
    EXPECT_EQ(inkCount(untouched), 0);
    for (int i = 0; i < 1000; ++i) {
        TestRaster r(16, 16, kPaper);
        drawLine(r.view(), -kFar + i, kFar - i, kFar - 3 * i, -kFar + 5 * i, 1 + i % 15, kInk);
    }
    EXPECT_LT(seconds(start), 5.0) << "far lines must not walk every step";
}

TEST(Draw, CircleIsAClosedOutlineWithUntouchedInterior) {
    for (double radius : {1.0, 2.0, 2.5, 5.0, 10.0, 17.5, 23.0}) {
        SCOPED_TRACE(::testing::Message() << "radius " << radius);
        TestRaster r(61, 61, kPaper, 64);
        const int c = 30;
        r.at(c, c) = 0xFF00FF00u; // the interior must keep this
        drawCircle(r.view(), c, c, radius, 1, kInk);
        EXPECT_EQ(r.at(c, c), 0xFF00FF00u);
        const int ir = static_cast<int>(std::floor(radius + 0.5));
        EXPECT_EQ(r.at(c + ir, c), kInk);
        EXPECT_EQ(r.at(c - ir, c), kInk);
        EXPECT_EQ(r.at(c, c + ir), kInk);
        EXPECT_EQ(r.at(c, c - ir), kInk);
        for (int y = 0; y < 61; ++y)
            for (int x = 0; x < 61; ++x) {
                const double d = std::hypot(x - c, y - c);
                if (r.at(x, y) == kInk) {
                    EXPECT_LT(std::fabs(d - radius), 1.0) << "ink at (" << x << ", " << y << ")";
                } else if (d < radius - 1.0 && !(x == c && y == c)) {
                    EXPECT_EQ(r.at(x, y), kPaper) << "interior at (" << x << ", " << y << ")";
                }
            }
        // Closed: filling from the centre without crossing ink never reaches the edge.
        std::vector<std::pair<int, int>> todo{{c, c}};
        std::vector<bool> seen(61 * 61);
        bool leaked = false;
        while (!todo.empty() && !leaked) {
            const auto [x, y] = todo.back();
            todo.pop_back();
            if (x < 0 || y < 0 || x >= 61 || y >= 61) {
                leaked = true;
                break;
            }
            if (seen[y * 61 + x] || r.at(x, y) == kInk)
                continue;
            seen[y * 61 + x] = true;
            todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
        }
        EXPECT_FALSE(leaked);
    }
}

TEST(Draw, CircleRadiusZeroIsADotAndNegativeRadiusCounts) {
    TestRaster r(9, 9, kPaper);
    drawCircle(r.view(), 4, 4, 0.0, 1, kInk);
    EXPECT_EQ(inkCount(r), 1);
    EXPECT_EQ(r.at(4, 4), kInk);
    TestRaster wide(9, 9, kPaper);
    drawCircle(wide.view(), 4, 4, 0.0, 3, kInk);
    EXPECT_TRUE(sameRaster(referenceDot(9, 9, 4, 4, 3), wide));

    TestRaster pos(21, 21, kPaper), neg(21, 21, kPaper);
    drawCircle(pos.view(), 10, 10, 6.5, 2, kInk);
    drawCircle(neg.view(), 10, 10, -6.5, 2, kInk);
    EXPECT_TRUE(sameRaster(pos, neg));

    TestRaster none(9, 9, kPaper);
    drawCircle(none.view(), 4, 4, std::numeric_limits<double>::quiet_NaN(), 1, kInk);
    drawCircle(none.view(), 4, 4, std::numeric_limits<double>::infinity(), 1, kInk);
    EXPECT_EQ(inkCount(none), 0);
}

TEST(Draw, HugeCirclesStayBoundedAndExact) {
    const auto start = std::chrono::steady_clock::now();
    // A circle of radius 10^9 whose rightmost arc passes through column 10: nearly a vertical
    // line, one pixel per row, each on the circle.
    const double radius = 1e9;
    const int cx = -1000000000 + 10, cy = 20;
    TestRaster r(50, 40, kPaper);
    drawCircle(r.view(), cx, cy, radius, 1, kInk);
    for (int y = 0; y < 40; ++y) {
        int found = 0;
        for (int x = 0; x < 50; ++x)
            if (r.at(x, y) == kInk) {
                ++found;
                const long double d = std::sqrt(static_cast<long double>(x - cx) * (x - cx) +
                                                static_cast<long double>(y - cy) * (y - cy));
                EXPECT_LT(std::fabs(static_cast<double>(d - radius)), 1.0) << "at (" << x << ", " << y << ")";
            }
        EXPECT_EQ(found, 1) << "row " << y;
    }
    // Circles around the whole raster, far away from it, or beyond any integer.
    TestRaster empty(50, 40, kPaper);
    for (double big : {1e7, 1.0e12, 1e300, std::numeric_limits<double>::max()})
        drawCircle(empty.view(), 25, 20, big, 15, kInk);
    drawCircle(empty.view(), kFar, kFar, 1000, 15, kInk);
    drawCircle(empty.view(), std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), 5e9, 15, kInk);
    EXPECT_EQ(inkCount(empty), 0);
    // Many large circles crossing the raster.
    for (int i = 0; i < 200; ++i) {
        TestRaster t(64, 64, kPaper);
        drawCircle(t.view(), -kFar + i, 32, kFar - i + 31.5 - i % 7, 1 + i % 15, kInk);
        ASSERT_GT(inkCount(t), 0) << "circle " << i;
    }
    EXPECT_LT(seconds(start), 5.0) << "huge circles must only visit what reaches the raster";
}

TEST(Draw, FilledAndOutlinedBoxes) {
    TestRaster filled(20, 15, kPaper), outlined(20, 15, kPaper), reversed(20, 15, kPaper);
    drawBox(filled.view(), 3, 4, 10, 8, 1, true, kInk);
    drawBox(outlined.view(), 3, 4, 10, 8, 1, false, kInk);
    drawBox(reversed.view(), 10, 8, 3, 4, 1, false, kInk);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inBox = x >= 3 && x <= 10 && y >= 4 && y <= 8;
            const bool onEdge = inBox && (x == 3 || x == 10 || y == 4 || y == 8);
            ASSERT_EQ(filled.at(x, y), inBox ? kInk : kPaper) << "filled at (" << x << ", " << y << ")";
            ASSERT_EQ(outlined.at(x, y), onEdge ? kInk : kPaper) << "outlined at (" << x << ", " << y << ")";
        }
    EXPECT_TRUE(sameRaster(outlined, reversed));

    // With a pen of width 3 both grow by one pixel on every side; the outline is 3 thick.
    TestRaster wideFilled(20, 15, kPaper), wideOutlined(20, 15, kPaper);
    drawBox(wideFilled.view(), 3, 4, 10, 9, 3, true, kInk);
    drawBox(wideOutlined.view(), 3, 4, 10, 9, 3, false, kInk);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inBox = x >= 2 && x <= 11 && y >= 3 && y <= 10;
            const bool hollow = x >= 5 && x <= 8 && y >= 6 && y <= 7;
            ASSERT_EQ(wideFilled.at(x, y), inBox ? kInk : kPaper) << "filled at (" << x << ", " << y << ")";
            ASSERT_EQ(wideOutlined.at(x, y), inBox && !hollow ? kInk : kPaper)
                << "outlined at (" << x << ", " << y << ")";
        }
}

TEST(Draw, BoxesWithHugeCorners) {
    TestRaster all(10, 8, kPaper), none(10, 8, kPaper), edge(10, 8, kPaper);
    drawBox(all.view(), -kFar, -kFar, kFar, kFar, 4, true, kInk);
    drawBox(none.view(), -kFar, -kFar, kFar, kFar, 4, false, kInk);
    drawBox(edge.view(), std::numeric_limits<int>::min(), 5, std::numeric_limits<int>::max(),
            std::numeric_limits<int>::max(), 1, false, kInk);
    drawBox(none.view(), std::numeric_limits<int>::min(), std::numeric_limits<int>::min(),
            std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), 15, false, kInk);
    EXPECT_EQ(inkCount(all), 80);
    EXPECT_EQ(inkCount(none), 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(edge.at(x, y), y == 5 ? kInk : kPaper) << "at (" << x << ", " << y << ")";
}

TEST(Draw, PlotPixelIsOnePixelAndIgnoresOutside) {
    TestRaster r(4, 3, kPaper, 6);
    plotPixel(r.view(), 3, 2, 0x00ABCDEFu);
    plotPixel(r.view(), -1, 0, kInk);
    plotPixel(r.view(), 4, 0, kInk);
    plotPixel(r.view(), 0, 3, kInk);
    TestRaster expected(4, 3, kPaper, 6);
    expected.at(3, 2) = 0xFFABCDEFu; // written opaque
    EXPECT_TRUE(sameRaster(expected, r));
    // Nothing happens on an empty raster.
    drawLine(RasterView{}, 0, 0, 5, 5, 3, kInk);
    drawCircle(RasterView{}, 0, 0, 5, 3, kInk);
    drawBox(RasterView{}, 0, 0, 5, 5, 3, true, kInk);
    drawDot(RasterView{}, 0, 0, 3, kInk);
}

} // namespace
} // namespace tesmaro
