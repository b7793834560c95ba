// The fused stretch against the core stretch called once per pass, in order.
#include "resize/kernels/FusedStretch.h"
#include "KernelTestSupport.h"
#include "core/RasterOp.h"
#include "core/Stretch.h"

#include <random>
#include <utility>

namespace tesmaro {
namespace {

using testing::Picture;

constexpr std::int32_t kCodes[] = {SRCCOPY, SRCAND, SRCERASE, SRCINVERT, SRCPAINT};

Picture sequential(Picture dst, const Picture& src, const resize::PixelRect& from,
                   const std::vector<resize::StretchPass>& passes) {
    auto rect = [](const resize::PixelRect& r) {
        return RectF{static_cast<double>(r.x), static_cast<double>(r.y), static_cast<double>(r.width),
                     static_cast<double>(r.height)};
    };
    for (const resize::StretchPass& p : passes)
        stretchBlit(testing::viewOf(dst), rect(p.to), testing::viewOf(src), rect(from), p.rasterCode);
    return dst;
}

Picture fused(Picture dst, const Picture& src, const resize::PixelRect& from,
              const std::vector<resize::StretchPass>& passes, int threads) {
    resize::stretchPassesInBands(testing::viewOf(dst), testing::viewOf(src), from, passes, threads);
    return dst;
}

// Mode "All  "-like cases: the whole source, a main copy at the result size and three
// overlays a little larger or smaller, over a result that already holds a picture.
TEST(FusedStretch, MainCopyAndOverlaysMatchFourSequentialStretches) {
    std::mt19937 gen(11);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); };
    for (int round = 0; round < 300; ++round) {
        const int sw = pick(1, 90), sh = pick(1, 90), dw = pick(1, 140), dh = pick(1, 300);
        const Picture src = testing::randomPicture(sw, sh, 100 + round);
        const Picture before = testing::randomPicture(dw, dh, 5000 + round);
        const bool clearing = round % 2 == 0;
        const std::int32_t code = kCodes[round % 5];
        std::vector<resize::StretchPass> passes{{{0, 0, dw, dh}, clearing ? std::int32_t{SRCCOPY} : code}};
        for (int k = 0; k < 3; ++k)
            passes.push_back(
                {{0, 0, dw + pick(-dw / 3 - 1, dw / 3 + 2), dh + pick(-dh / 3 - 1, dh / 3 + 2)}, code});
        const resize::PixelRect from{0, 0, sw, sh};
        const int threads = pick(1, 4);
        SCOPED_TRACE("round " + std::to_string(round) + ", threads " + std::to_string(threads));
        EXPECT_TRUE(testing::samePicture(sequential(before, src, from, passes),
                                         fused(before, src, from, passes, threads)));
    }
}

// Passes over the same rectangle are combined into one code per pixel: every sequence of
// codes, enlarging and shrinking, must still give what the passes one by one give.
TEST(FusedStretch, EveryCodeSequenceOverOneRectangleMatchesTheSequentialPasses) {
    const Picture src = testing::randomPicture(23, 17, 31);
    for (const auto& [dw, dh] : {std::pair{41, 29}, std::pair{13, 9}}) {
        const Picture before = testing::randomPicture(dw, dh, 32);
        for (int combination = 0; combination < 5 * 5 * 5 * 5; ++combination) {
            std::vector<resize::StretchPass> passes;
            for (int k = 0, c = combination; k < 4; ++k, c /= 5)
                passes.push_back({{0, 0, dw, dh}, kCodes[c % 5]});
            const resize::PixelRect from{0, 0, src.width, src.height};
            SCOPED_TRACE("codes " + std::to_string(combination) + ", size " + std::to_string(dw));
            ASSERT_TRUE(testing::samePicture(sequential(before, src, from, passes),
                                             fused(before, src, from, passes, 1)));
        }
    }
}

// Any rectangles: offsets outside either raster, sizes of zero or less, sources partly outside
// the source raster, and values beyond the range the core stretch limits itself to.
TEST(FusedStretch, ClippingAndOddRectanglesMatchTheCoreStretch) {
    std::mt19937 gen(12);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); };
    for (int round = 0; round < 400; ++round) {
        const int sw = pick(1, 60), sh = pick(1, 60), dw = pick(1, 100), dh = pick(1, 200);
        const Picture src = testing::randomPicture(sw, sh, 200 + round);
        const Picture before = testing::randomPicture(dw, dh, 7000 + round);
        const resize::PixelRect from{pick(-20, sw), pick(-20, sh), pick(-2, 2 * sw + 20),
                                     pick(-2, 2 * sh + 20)};
        std::vector<resize::StretchPass> passes;
        for (int k = pick(0, 5); k > 0; --k)
            passes.push_back({{pick(-40, dw), pick(-40, dh), pick(-3, 2 * dw + 40), pick(-3, 2 * dh + 40)},
                              kCodes[pick(0, 4)]});
        if (round % 50 == 0)
            passes.push_back({{-5, -7, 2000000000, 1500000000}, SRCINVERT});
        if (round % 50 == 1)
            passes.push_back({{-1500000000, -3, 2000000000, dh}, SRCCOPY}); // limited, it ends left of 0
        const int threads = pick(1, 3);
        SCOPED_TRACE("round " + std::to_string(round) + ", threads " + std::to_string(threads));
        EXPECT_TRUE(testing::samePicture(sequential(before, src, from, passes),
                                         fused(before, src, from, passes, threads)));
    }
}

} // namespace
} // namespace tesmaro
