#include "resize/kernels/PixelAccessResampler.h"
#include "KernelTestSupport.h"

#include <gtest/gtest.h>

namespace tesmaro {
namespace {

using testing::Picture;
using testing::ReferenceSettings;
using testing::rgbPixel;
using testing::samePicture;
using testing::viewOf;

constexpr std::uint32_t kMarker = 0xFF123456u;

struct Outcome {
    Picture picture;
    std::vector<int> titles;
    std::uint32_t randomState = 0;
};

Outcome runKernel(const Picture& src, const ReferenceSettings& s, int threads,
                  RandomSequence start = RandomSequence{}) {
    Outcome o{Picture(s.width, s.height, kMarker), {}, 0};
    RandomSequence rnd = start;
    EXPECT_TRUE(resize::resampleByPixelAccess(viewOf(src), viewOf(o.picture), testing::kernelSettings(s), rnd,
                                              threads, [&](int p) { o.titles.push_back(p); }));
    o.randomState = rnd.state();
    return o;
}

Outcome runReference(const Picture& src, const ReferenceSettings& s,
                     RandomSequence start = RandomSequence{}) {
    Outcome o{Picture(s.width, s.height, kMarker), {}, 0};
    RandomSequence rnd = start;
    testing::referencePixelAccess(src, o.picture, s, rnd, o.titles);
    o.randomState = rnd.state();
    return o;
}

ReferenceSettings sized(int w, int h, float r = 0, std::int16_t red = 100, std::int16_t green = 100,
                        std::int16_t blue = 100) {
    return ReferenceSettings{w, h, r, red, green, blue};
}

// Both outcomes alike; the random state and titles as well as every pixel.
void expectSame(const Outcome& expected, const Outcome& actual) {
    EXPECT_TRUE(samePicture(expected.picture, actual.picture));
    EXPECT_EQ(expected.randomState, actual.randomState) << "the sequence stands elsewhere after the run";
    EXPECT_EQ(expected.titles, actual.titles);
}

TEST(PixelAccessResampler, MatchesTheDefinitionOnRandomPictures) {
    // Source widths of every row-padding class, shrinking, enlarging and odd factors.
    const int sizes[][4] = {{17, 9, 17, 9},   {16, 11, 40, 23}, {18, 7, 5, 3},   {19, 13, 31, 29},
                            {33, 21, 20, 34}, {1, 1, 6, 4},     {12, 5, 12, 17}, {45, 30, 44, 31}};
    const ReferenceSettings colour[] = {sized(0, 0),
                                        sized(0, 0, 5),
                                        sized(0, 0, 0, 50, 200, 0),
                                        sized(0, 0, 5, 73, 100, 150),
                                        sized(0, 0, 150, 100, 100, 100),
                                        sized(0, 0, 5, 100, -10, 100)};
    testing::forEachResizeCase(sizes, colour, 1, [](const Picture& src, const ReferenceSettings& s) {
        expectSame(runReference(src, s), runKernel(src, s, 1));
    });
}

TEST(PixelAccessResampler, EveryPaddingClassOnSeveralThreadsMatchesTheDefinition) {
    // Source and result widths of all four classes of width mod 4, results tall enough that
    // every thread takes several rows at a time.
    // The last ones are wide enough for a row to be computed and written in parts.
    const int sizes[][4] = {{36, 23, 50, 67},   {37, 29, 51, 66},  {38, 40, 25, 64}, {39, 31, 77, 70},
                            {64, 71, 37, 48},   {41, 50, 41, 50},  {42, 17, 62, 81}, {43, 60, 29, 73},
                            {700, 9, 1283, 11}, {1301, 5, 1030, 4}};
    const ReferenceSettings colour[] = {sized(0, 0), sized(0, 0, 5), sized(0, 0, 5, 73, 100, 150),
                                        sized(0, 0, 5, 100, -10, 300)};
    testing::forEachResizeCase(sizes, colour, 300, [](const Picture& src, const ReferenceSettings& s) {
        const Outcome expected = runReference(src, s);
        for (int threads : {1, 2, 3, 7}) {
            SCOPED_TRACE(::testing::Message() << threads << " threads");
            expectSame(expected, runKernel(src, s, threads));
        }
    });
}

TEST(PixelAccessResampler, ThreadsGiveTheSameResultAndSequence) {
    const Picture src = testing::randomPicture(101, 67, 7);
    const RandomSequence start(0x123456);
    for (float r : {0.0f, 5.0f}) {
        const ReferenceSettings s = sized(150, 91, r, 90, 100, 120);
        const Outcome one = runKernel(src, s, 1, start);
        for (int threads : {2, 3, 8}) {
            SCOPED_TRACE(::testing::Message() << "r " << r << ", " << threads << " threads");
            expectSame(one, runKernel(src, s, threads, start));
        }
    }
}

TEST(PixelAccessResampler, AbsurdRandomPercentSkipsTheDrawsOfAFailedPixel) {
    // A random step beyond the 32-bit range fails its pixel before all three draws are taken,
    // so later pixels see the sequence shifted; several threads must not change that.
    const Picture src = testing::randomPicture(23, 11, 3);
    for (float r : {3.0e7f, -3.0e7f, 3.0e38f}) {
        const ReferenceSettings s = sized(29, 13, r);
        SCOPED_TRACE(::testing::Message() << "r " << r);
        const Outcome expected = runReference(src, s);
        expectSame(expected, runKernel(src, s, 4));
    }
}

TEST(PixelAccessResampler, SameSizeCopiesEveryPixel) {
    const Picture src = testing::randomPicture(13, 6, 11);
    const Outcome o = runKernel(src, sized(13, 6), 2);
    EXPECT_TRUE(samePicture(src, o.picture));
    RandomSequence after; // three draws per pixel even with r = 0
    after.skip(3 * 13 * 6);
    EXPECT_EQ(after.state(), o.randomState);
}

TEST(PixelAccessResampler, DoublingTheWidthBlendsWithTheMarginAndHalves) {
    Picture src(4, 1);
    const int blue[] = {10, 20, 30, 41};
    for (int x = 0; x < 4; ++x)
        src.at(x, 0) = rgbPixel(0, 0, blue[x]);
    const Outcome o = runKernel(src, sized(8, 1), 1);
    // Column 0 samples index 0.5: half black margin, half column 0; odd columns repeat a
    // source column, even ones blend two; 35.5 goes to 36; the last column is column 3 unblended.
    const int expected[] = {5, 10, 15, 20, 25, 30, 36, 41};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(rgbPixel(0, 0, expected[x]), o.picture.at(x, 0) | 0xFF000000u) << "column " << x;
}

TEST(PixelAccessResampler, CorrectionRoundsHalvesToEvenAndSaturates) {
    Picture src(3, 1);
    src.at(0, 0) = rgbPixel(201, 200, 0);
    src.at(1, 0) = rgbPixel(203, 100, 0);
    src.at(2, 0) = rgbPixel(0, 127, 9);
    const Outcome o = runKernel(src, sized(3, 1, 0, 50, 200, 0), 1);
    EXPECT_EQ(rgbPixel(100, 255, 0), o.picture.at(0, 0)) << "100.5 goes to 100, 400 saturates";
    EXPECT_EQ(rgbPixel(102, 200, 0), o.picture.at(1, 0)) << "101.5 goes to 102";
    EXPECT_EQ(rgbPixel(0, 254, 0), o.picture.at(2, 0)) << "blue 0 percent removes blue";
}

TEST(PixelAccessResampler, NegativePercentLeavesPixelsWithThatChannelUnwritten) {
    Picture src(4, 2);
    src.at(0, 0) = rgbPixel(10, 20, 0);
    src.at(1, 0) = rgbPixel(10, 20, 30);
    src.at(2, 0) = rgbPixel(0, 0, 0);
    src.at(3, 0) = rgbPixel(200, 0, 1);
    src.at(0, 1) = rgbPixel(1, 1, 5);
    src.at(1, 1) = rgbPixel(5, 6, 6);
    src.at(2, 1) = rgbPixel(0, 0, 255);
    src.at(3, 1) = rgbPixel(9, 9, 0);
    const Outcome o = runKernel(src, sized(4, 2, 0, 100, 100, -10), 2);
    EXPECT_EQ(rgbPixel(10, 20, 0), o.picture.at(0, 0));
    EXPECT_EQ(kMarker, o.picture.at(1, 0)) << "blue -3";
    EXPECT_EQ(rgbPixel(0, 0, 0), o.picture.at(2, 0));
    EXPECT_EQ(rgbPixel(200, 0, 0), o.picture.at(3, 0)) << "-0.1 rounds to 0";
    EXPECT_EQ(rgbPixel(1, 1, 0), o.picture.at(0, 1)) << "-0.5 goes to the even 0";
    EXPECT_EQ(kMarker, o.picture.at(1, 1)) << "-0.6 rounds to -1";
    EXPECT_EQ(kMarker, o.picture.at(2, 1));
    EXPECT_EQ(rgbPixel(9, 9, 0), o.picture.at(3, 1));
    RandomSequence after;
    after.skip(3 * 8);
    EXPECT_EQ(after.state(), o.randomState) << "unwritten pixels still take their draws";
}

TEST(PixelAccessResampler, RandomFactorStaysWithinItsBoundsPerChannel) {
    Picture src(40, 30, rgbPixel(200, 200, 200));
    const Outcome o = runKernel(src, sized(40, 30, 5), 2);
    int differing = 0;
    for (std::uint32_t px : o.picture.pixels) {
        const int ch[3] = {static_cast<int>(px & 0xFF), static_cast<int>((px >> 8) & 0xFF),
                           static_cast<int>((px >> 16) & 0xFF)};
        for (int c : ch) {
            EXPECT_GE(c, 190);
            EXPECT_LE(c, 210);
        }
        differing += (ch[0] != ch[1] || ch[1] != ch[2]) ? 1 : 0;
    }
    EXPECT_GT(differing, 1000) << "the channels of one pixel get independent factors";
}

TEST(PixelAccessResampler, ProgressEndsEachPhaseAt30And100) {
    const Picture src = testing::randomPicture(5, 3, 2);
    const Outcome o = runKernel(src, sized(4, 7), 2);
    const std::vector<int> expected{10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    EXPECT_EQ(expected, o.titles);
}

TEST(PixelAccessResampler, RefusesAnEmptyResultWithoutDrawing) {
    const Picture src = testing::randomPicture(5, 3, 2);
    Picture dest(4, 4, kMarker);
    RandomSequence rnd;
    resize::ResampleSettings s;
    s.width = 0;
    s.height = 4;
    EXPECT_FALSE(resize::resampleByPixelAccess(viewOf(src), viewOf(dest), s, rnd, 2, {}));
    EXPECT_EQ(RandomSequence{}.state(), rnd.state());
}

} // namespace
} // namespace tesmaro
