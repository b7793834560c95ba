// The zoomed painting against pictures worked out pixel by pixel: above 100 % each target pixel is
// the picture pixel under its corner, at 100 % a copy, below 100 % the exact mean over its square
// (where every row is read) or close to it (where rows are sampled); background off the picture.
#include "windows/ZoomedPaint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

namespace tesmaro::zoom {
namespace {

constexpr std::uint32_t kBackground = 0x00123456, kGarbage = 0x87654321;

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    ConstRasterView view() const { return {pixels.data(), width, height, width}; }
};

template <typename Colour> Picture makePicture(int width, int height, Colour colour) {
    Picture p{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.pixels[y * width + x] = colour(x, y);
    return p;
}

// Target rows outside [firstRow, endRow) are left as they were: kGarbage.
std::vector<std::uint32_t> paint(const Picture& p, Scale s, QPoint scroll, int width, int height,
                                 int firstRow, int endRow) {
    std::vector<std::uint32_t> out(static_cast<std::size_t>(width) * height, kGarbage);
    ZoomedPainter painter;
    painter.paint(p.view(), s, scroll.x(), scroll.y(), RasterView{out.data(), width, height, width},
                  kBackground, firstRow, endRow);
    return out;
}

long long floorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

long long overlap(long long a0, long long a1, long long b0, long long b1) {
    return std::max(0LL, std::min(a1, b1) - std::max(a0, b0));
}

// Target pixel (x, y): above 100 % the picture pixel under its corner; below, the mean of the
// picture under its square, from every picture pixel's overlap with it (in 1/num of a pixel).
std::uint32_t expected(const Picture& p, Scale s, QPoint scroll, int x, int y) {
    if (s.num >= s.den) {
        const long long px = scroll.x() + floorDiv(1LL * x * s.den, s.num);
        const long long py = scroll.y() + floorDiv(1LL * y * s.den, s.num);
        const bool inside = px >= 0 && py >= 0 && px < p.width && py < p.height;
        return kOpaque | (inside ? p.pixels[py * p.width + px] : kBackground);
    }
    const long long x0 = 1LL * scroll.x() * s.num + 1LL * x * s.den,
                    y0 = 1LL * scroll.y() * s.num + 1LL * y * s.den;
    long long area = 0, sums[3] = {};
    const auto near = [&](long long from, int size) {
        return std::clamp<long long>(from / s.num - 1, 0, size);
    };
    for (auto py = near(y0, p.height); py < near(y0 + s.den + 2 * s.num, p.height); ++py)
        for (auto px = near(x0, p.width); px < near(x0 + s.den + 2 * s.num, p.width); ++px) {
            const long long w = overlap(x0, x0 + s.den, 1LL * px * s.num, (px + 1LL) * s.num) *
                                overlap(y0, y0 + s.den, 1LL * py * s.num, (py + 1LL) * s.num);
            area += w;
            for (int c = 0; c < 3; ++c)
                sums[c] += w * ((p.pixels[py * p.width + px] >> (8 * c)) & 0xFF);
        }
    std::uint32_t out = kOpaque | (area == 0 ? kBackground : 0);
    for (int c = 0; area > 0 && c < 3; ++c)
        out |= static_cast<std::uint32_t>((2 * sums[c] + area) / (2 * area)) << (8 * c);
    return out;
}

int channelDistance(std::uint32_t a, std::uint32_t b) {
    int d = std::abs(int(a >> 24) - int(b >> 24));
    for (int c = 0; c < 3; ++c)
        d = std::max(d, std::abs(int((a >> (8 * c)) & 0xFF) - int((b >> (8 * c)) & 0xFF)));
    return d;
}

// Paints (rows [firstRow, endRow) only, if given) and holds every target pixel to the worked-out
// one within `tolerance` levels.
void expectPainted(const Picture& p, Scale s, QPoint scroll, int width, int height, int tolerance,
                   int firstRow = 0, int endRow = 1 << 30) {
    const std::vector<std::uint32_t> out = paint(p, s, scroll, width, height, firstRow, endRow);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_LE(channelDistance(out[y * width + x],
                                      y < firstRow || y >= endRow ? kGarbage : expected(p, s, scroll, x, y)),
                      tolerance)
                << "scale " << s.num << "/" << s.den << " scroll " << scroll.x() << "," << scroll.y()
                << " at " << x << "," << y << std::hex << ": " << out[y * width + x];
}

// Every step from 25 % up and other scales (of scaled screens; squares of 6 rows, of 12.8 rows)
// where every picture pixel counts: edges, pictures smaller than the view and scrolled off it
// included.
TEST(ZoomedPaint, ExactWhereEveryPixelIsRead) {
    std::mt19937 random(7);
    const Picture noise = makePicture(37, 29, [&](int, int) { return static_cast<std::uint32_t>(random()); });
    std::vector<Scale> scales{{9, 4}, {3, 4}, {2, 5}, {1, 6}, {5, 64}};
    for (int step = 2; step < kStepCount; ++step)
        scales.push_back(stepScale(step));
    for (const Scale s : scales) {
        for (const QPoint scroll : {QPoint(0, 0), QPoint(5, 3), QPoint(-4, -2), QPoint(30, 25)})
            expectPainted(noise, s, scroll, 53, 41, 0);
        expectPainted(noise, s, QPoint(2, 1), 53, 41, 0, 7, 20); // the rows of a paint event
    }
}

// A 1-pixel checkerboard is grey at every step below 100 %, the sampled ones too.
TEST(ZoomedPaint, CheckerboardIsGreyBelow100) {
    const Picture board =
        makePicture(512, 512, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFFu : kOpaque; });
    for (int step = 0; step < kFullSizeStep; ++step)
        for (const QPoint scroll : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(7, 3)})
            expectPainted(board, stepScale(step), scroll, 40, 36, 1);
}

// Where rows are sampled (12.5 % and 6.25 %), stripes of any period up to 24 rows come out within
// one sampled row's share of the true mean whatever their phase, exactly so for periods of 2 and
// 4 rows: they cannot beat.
TEST(ZoomedPaint, SampledRowsDoNotBeatOnStripes) {
    for (const auto& [step, rows] : {std::pair{0, 8}, std::pair{1, 4}})
        for (int period = 2; period <= 24; ++period)
            for (const int width : {1, period / 2}) {
                const Picture stripes = makePicture(
                    24, 1400, [&](int, int y) { return y % period < width ? 0xFFFFFFFFu : kOpaque; });
                const int tolerance = period == 2 || period == 4 ? 1 : 255 / rows + 1;
                for (int phase = 0; phase < period; ++phase)
                    expectPainted(stripes, stepScale(step), QPoint(0, phase), 3, 40, tolerance);
            }
}

} // namespace
} // namespace tesmaro::zoom
