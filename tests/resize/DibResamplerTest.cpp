#include "resize/kernels/DibResampler.h"
#include "KernelTestSupport.h"
#include "core/RasterOp.h"
#include "resize/kernels/BandedStretch.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tesmaro {
namespace {

using testing::Picture;
using testing::ReferenceSettings;
using testing::rgbPixel;
using testing::samePicture;
using testing::viewOf;

struct Outcome {
    bool ok = false;
    Picture picture;
    std::vector<int> titles;
    std::uint32_t randomState = 0;
};

Outcome runKernel(const Picture& src, const ReferenceSettings& s, int threads,
                  RandomSequence start = RandomSequence{}) {
    Outcome o{false, Picture(s.width, s.height, 0xFF000000u), {}, 0};
    RandomSequence rnd = start;
    o.ok = resize::resampleByDib(viewOf(src), viewOf(o.picture), testing::kernelSettings(s), rnd, threads,
                                 [&](int p) { o.titles.push_back(p); });
    o.randomState = rnd.state();
    return o;
}

Outcome runReference(const Picture& src, const ReferenceSettings& s,
                     RandomSequence start = RandomSequence{}) {
    Outcome o;
    RandomSequence rnd = start;
    o.ok = testing::referenceDib(src, o.picture, s, rnd, o.titles);
    o.randomState = rnd.state();
    return o;
}

ReferenceSettings sized(int w, int h, float r = 0, std::int16_t red = 100, std::int16_t green = 100,
                        std::int16_t blue = 100) {
    return ReferenceSettings{w, h, r, red, green, blue};
}

TEST(DibRowStride, RoundsThreeBytesPerPixelUpToWholeWords) {
    EXPECT_EQ(300, resize::DibRowStride(100));
    EXPECT_EQ(304, resize::DibRowStride(101));
    EXPECT_EQ(308, resize::DibRowStride(102));
    EXPECT_EQ(312, resize::DibRowStride(103));
    EXPECT_EQ(4, resize::DibRowStride(1));
    EXPECT_EQ(98304, resize::DibRowStride(32767));
    EXPECT_FALSE(resize::DibRowStride(800000000).has_value()) << "3 * width overflows";
}

TEST(DibResampler, MatchesTheDefinitionOnRandomPictures) {
    // Widths of every padding class (w mod 4 = 0, 1, 2, 3), enlarging far enough that samples
    // run into the padding and the next row, shrinking, and the top row's reads past the end.
    const int sizes[][4] = {{16, 9, 16, 9},
                            {17, 9, 17, 9},
                            {18, 10, 18, 10},
                            {19, 7, 19, 7},
                            {20, 11, 61, 23},
                            {21, 8, 70, 5},
                            {22, 13, 9, 4},
                            {23, 12, 80, 37},
                            {1, 1, 5, 3},
                            {2, 3, 9, 9},
                            {3, 2, 11, 1},
                            {37, 29, 36, 30},
                            // kx here is one float step off when (stride - 1) / 3 is rounded first
                            {116, 9, 115, 7},
                            {103, 6, 310, 5}};
    const ReferenceSettings colour[] = {sized(0, 0), sized(0, 0, 5), sized(0, 0, 0, 50, 200, 0),
                                        sized(0, 0, 5, 73, 100, 150), sized(0, 0, 40, 30000, 100, 1)};
    testing::forEachResizeCase(sizes, colour, 100, [](const Picture& src, const ReferenceSettings& s) {
        const Outcome expected = runReference(src, s);
        const Outcome actual = runKernel(src, s, 1);
        ASSERT_TRUE(expected.ok);
        EXPECT_TRUE(actual.ok);
        EXPECT_TRUE(samePicture(expected.picture, actual.picture));
        EXPECT_EQ(expected.randomState, actual.randomState);
        EXPECT_EQ(expected.titles, actual.titles);
    });
}

TEST(DibResampler, EveryPaddingClassOnSeveralThreadsMatchesTheDefinition) {
    // Source and result widths of all four padding classes, results tall enough that every
    // thread takes several rows at a time.
    // The last ones are wide enough for a row to be computed and written in parts.
    const int sizes[][4] = {{36, 23, 50, 67},
                            {37, 29, 51, 66},
                            {38, 40, 25, 64},
                            {39, 31, 77, 70},
                            {64, 71, 37, 48},
                            {41, 50, 41, 50},
                            {42, 17, 62, 81},
                            {43, 60, 29, 73},
                            {700, 9, 1283, 11},
                            {1301, 5, 1030, 4},
                            // fewer rows, about as many columns: the last samples reach the padding
                            {22, 40, 22, 13},
                            {21, 33, 23, 11}};
    const ReferenceSettings colour[] = {sized(0, 0), sized(0, 0, 5), sized(0, 0, 5, 73, 100, 150)};
    testing::forEachResizeCase(sizes, colour, 300, [](const Picture& src, const ReferenceSettings& s) {
        const Outcome expected = runReference(src, s);
        ASSERT_TRUE(expected.ok);
        for (int threads : {1, 2, 3, 7}) {
            SCOPED_TRACE(::testing::Message() << threads << " threads");
            const Outcome actual = runKernel(src, s, threads);
            EXPECT_TRUE(actual.ok);
            EXPECT_TRUE(samePicture(expected.picture, actual.picture));
            EXPECT_EQ(expected.randomState, actual.randomState);
            EXPECT_EQ(expected.titles, actual.titles);
        }
    });
}

TEST(DibResampler, ThreadsGiveTheSameResultAndSequence) {
    const Picture src = testing::randomPicture(103, 71, 9);
    const RandomSequence start(0xABCDE);
    for (float r : {0.0f, 5.0f}) {
        const ReferenceSettings s = sized(157, 90, r, 120, 100, 80);
        const Outcome one = runKernel(src, s, 1, start);
        for (int threads : {2, 3, 8}) {
            SCOPED_TRACE(::testing::Message() << "r " << r << ", " << threads << " threads");
            const Outcome many = runKernel(src, s, threads, start);
            EXPECT_TRUE(samePicture(one.picture, many.picture));
            EXPECT_EQ(one.randomState, many.randomState);
            EXPECT_EQ(one.titles, many.titles);
        }
    }
}

TEST(DibResampler, AFailingChannelStopsTheRunRightAfterItsDraw) {
    // A negative percent fails at the first non-zero channel; r above 100 at the first negative
    // factor. The sequence must stand where the one-thread run leaves it, whatever the threads.
    Picture black(30, 20, rgbPixel(0, 0, 0)), wideBlack(1200, 4, rgbPixel(0, 0, 0));
    Picture src = testing::randomPicture(30, 20, 5);
    black.at(17, 3) = rgbPixel(0, 40, 0);       // the first non-zero green, read from the bottom up
    wideBlack.at(1000, 2) = rgbPixel(0, 40, 0); // in the third part of its row
    const struct {
        const Picture* picture;
        ReferenceSettings settings;
    } cases[] = {{&black, sized(30, 20, 0, 100, -5, 100)},
                 {&wideBlack, sized(1200, 4, 0, 100, -5, 100)},
                 {&src, sized(41, 33, 250)},
                 {&src, sized(41, 33, -300)},
                 {&src, sized(25, 19, 3.0e38f)}};
    testing::forEachRowLoopForm([&] {
        for (const auto& c : cases) {
            SCOPED_TRACE(::testing::Message() << "r " << c.settings.r << " green " << c.settings.green);
            const Outcome expected = runReference(*c.picture, c.settings);
            ASSERT_FALSE(expected.ok);
            for (int threads : {1, 4}) {
                const Outcome actual = runKernel(*c.picture, c.settings, threads);
                EXPECT_FALSE(actual.ok);
                EXPECT_EQ(expected.randomState, actual.randomState) << threads << " threads";
                EXPECT_EQ(expected.titles, actual.titles) << threads << " threads";
            }
        }
    });
}

TEST(DibResampler, SameSizeOnAWidthOfFourKPlusOneCopiesColumnsAndMixesRowsUpwards) {
    // w = 101: stride 304, kx = 1 exactly; ky = (h - 1)/h, so result row Y (from the bottom)
    // takes the fraction Y/h of source row Y - 1... and only the bottom row is an exact copy.
    const Picture src = testing::randomPicture(101, 4, 21);
    const Outcome o = runKernel(src, sized(101, 4), 2);
    ASSERT_TRUE(o.ok);
    for (int x = 0; x < 101; ++x)
        EXPECT_EQ(src.at(x, 3), o.picture.at(x, 3)) << "bottom row, column " << x;
    // Row Y = 1 from the bottom samples sy = 0.75: 0.25 of bitmap row 0 and 0.75 of row 1.
    for (int x = 0; x < 101; ++x) {
        const std::uint32_t lower = src.at(x, 3), upper = src.at(x, 2), got = o.picture.at(x, 2);
        for (int shift : {0, 8, 16}) {
            const double expected = 0.25 * ((lower >> shift) & 0xFF) + 0.75 * ((upper >> shift) & 0xFF);
            EXPECT_NEAR(expected, static_cast<double>((got >> shift) & 0xFF), 0.5001) << "column " << x;
        }
    }
}

TEST(DibResampler, SameSizeOnWidth100StretchesSlightly) {
    // Stride 300: kx = 299/3/100 = 0.99667, so column 99 samples 98.67 and blends 98 and 99.
    Picture src(100, 1, rgbPixel(0, 0, 0));
    src.at(99, 0) = rgbPixel(0, 0, 255);
    const Outcome o = runKernel(src, sized(100, 1), 1);
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(rgbPixel(0, 0, 171), o.picture.at(99, 0)) << "0.67 * 255 = 170.85";
    EXPECT_EQ(rgbPixel(0, 0, 0), o.picture.at(98, 0));
}

TEST(DibResampler, WidthOfFourKPlusTwoReadsItsPaddingForTheLastColumn) {
    // Stride 308: kx * Wd = 102.33, so column 101 samples 101.33: two thirds of the last pixel
    // and one third of two zero padding bytes and the first byte past the (one-row) buffer.
    Picture src(102, 1, rgbPixel(9, 9, 9));
    src.at(101, 0) = rgbPixel(30, 90, 150);
    const Outcome o = runKernel(src, sized(102, 1), 1);
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(rgbPixel(20, 60, 100), o.picture.at(101, 0));
}

TEST(DibResampler, PercentsScaleAndSaturate) {
    Picture src(8, 3, rgbPixel(100, 200, 60));
    const Outcome o = runKernel(src, sized(8, 3, 0, 100, 200, 0), 2);
    ASSERT_TRUE(o.ok);
    for (std::uint32_t px : o.picture.pixels)
        EXPECT_EQ(rgbPixel(100, 255, 0), px);
}

TEST(DibResampler, HeightOneShows100AndASourceOneRowHighReadsZerosAbove) {
    const Picture src = testing::randomPicture(9, 1, 4);
    const Outcome o = runKernel(src, sized(7, 1), 2);
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(std::vector<int>{100}, o.titles);
    const Outcome tall = runKernel(src, sized(9, 5), 2);
    EXPECT_TRUE(tall.ok);
    EXPECT_EQ((std::vector<int>{0, 25, 50, 75, 100}), tall.titles);
    const Outcome expected = runReference(src, sized(9, 5));
    EXPECT_TRUE(samePicture(expected.picture, tall.picture));
}

TEST(DibResampler, RefusesAnEmptyResultWithoutDrawing) {
    const Picture src = testing::randomPicture(5, 3, 2);
    Picture dest(4, 4);
    for (auto [w, h] : {std::pair{0, 3}, std::pair{3, 0}, std::pair{-2, 5}}) {
        RandomSequence rnd;
        resize::ResampleSettings s;
        s.width = w;
        s.height = h;
        EXPECT_FALSE(resize::resampleByDib(viewOf(src), viewOf(dest), s, rnd, 2, {}));
        EXPECT_EQ(RandomSequence{}.state(), rnd.state());
    }
}

// The five codes written out: D the result pixel, S the resampled one.
std::uint32_t literalOp(std::int32_t code, std::uint32_t d, std::uint32_t s) {
    const std::uint32_t rgb = code == SRCAND      ? d & s
                              : code == SRCERASE  ? s & ~d
                              : code == SRCINVERT ? d ^ s
                              : code == SRCPAINT  ? d | s
                                                  : s;
    return rgb | 0xFF000000u;
}

TEST(DibResampler, CombiningEachRowEqualsCombiningTheFinishedRaster) {
    // The target raster starts non-blank; combining rows as they are made must equal the run
    // and then a 1:1 blit with the code. The first target is larger than its run; the second
    // run is wide enough to be combined in parts, and its narrower target cuts one part short.
    const struct {
        Picture src, before;
        ReferenceSettings s;
    } runs[] = {{testing::randomPicture(58, 41, 21), testing::randomPicture(90, 70, 22),
                 sized(83, 64, 5, 110, 0, 95)},
                {testing::randomPicture(300, 20, 23), testing::randomPicture(700, 30, 25),
                 sized(1100, 25, 5, 100, 100, 100)}};
    for (const auto& [src, before, s] : runs)
        for (std::int32_t code : {SRCCOPY, SRCAND, SRCERASE, SRCINVERT, SRCPAINT})
            for (int threads : {1, 3}) {
                SCOPED_TRACE(::testing::Message() << s.width << " wide, " << std::hex << "code " << code
                                                  << std::dec << ", " << threads << " threads");
                Picture work(s.width, s.height, 0xFF000000u), later = before;
                RandomSequence first;
                ASSERT_TRUE(resize::resampleByDib(viewOf(src), viewOf(work), testing::kernelSettings(s),
                                                  first, threads, {}));
                Picture expected = before;
                for (int y = 0; y < std::min(s.height, before.height); ++y)
                    for (int x = 0; x < std::min(s.width, before.width); ++x)
                        expected.at(x, y) = literalOp(code, expected.at(x, y), work.at(x, y));

                Picture fusedWork(s.width, s.height, 0xFF000000u);
                RandomSequence second;
                ASSERT_TRUE(resize::resampleByDib(viewOf(src), viewOf(fusedWork), testing::kernelSettings(s),
                                                  second, threads, {},
                                                  resize::DibCombine{viewOf(later), code, std::nullopt}));
                EXPECT_TRUE(samePicture(expected, later));
                EXPECT_TRUE(samePicture(work, fusedWork));
                EXPECT_EQ(first.state(), second.state());

                // A cleared target: what it holds is never read, each D is the back colour.
                const std::uint32_t back = testing::rgbPixel(0x21, 0xE4, 0x9B);
                Picture cleared = testing::randomPicture(s.width, s.height, 24),
                        clearedExpected(s.width, s.height);
                for (int y = 0; y < s.height; ++y)
                    for (int x = 0; x < s.width; ++x)
                        clearedExpected.at(x, y) = literalOp(code, back, work.at(x, y));
                RandomSequence third;
                ASSERT_TRUE(resize::resampleByDib(viewOf(src), viewOf(fusedWork), testing::kernelSettings(s),
                                                  third, threads, {},
                                                  resize::DibCombine{viewOf(cleared), code, back}));
                EXPECT_TRUE(samePicture(clearedExpected, cleared));

                Picture blitted = before;
                const resize::PixelRect whole{0, 0, s.width, s.height};
                resize::stretchInBands(viewOf(blitted), whole, viewOf(work), whole, code, threads);
                EXPECT_TRUE(samePicture(blitted, later)) << "the blit the command falls back to";
            }
}

TEST(DibResampler, ChannelsCannotFailOnlyForNonNegativePercentsAndRWithin100) {
    const auto safe = [](float r, std::int16_t red, std::int16_t green, std::int16_t blue) {
        return resize::dibChannelsCannotFail(testing::kernelSettings(sized(4, 4, r, red, green, blue)));
    };
    EXPECT_TRUE(safe(0, 100, 100, 100));
    EXPECT_TRUE(safe(100, 0, 0, 0));
    EXPECT_TRUE(safe(-100, 32767, 1, 0));
    EXPECT_FALSE(safe(100.01f, 100, 100, 100));
    EXPECT_FALSE(safe(-100.01f, 100, 100, 100));
    EXPECT_FALSE(safe(std::nanf(""), 100, 100, 100));
    EXPECT_FALSE(safe(0, -1, 100, 100));
    EXPECT_FALSE(safe(0, 100, -1, 100));
    EXPECT_FALSE(safe(0, 100, 100, -1));
    // At the edge the factor reaches 0 for the largest draws; the run must still succeed.
    const Picture src = testing::randomPicture(64, 48, 23);
    for (float r : {100.0f, -100.0f}) {
        const ReferenceSettings s = sized(200, 150, r, 32767, 32767, 32767);
        ASSERT_TRUE(resize::dibChannelsCannotFail(testing::kernelSettings(s)));
        const Outcome expected = runReference(src, s);
        EXPECT_TRUE(expected.ok);
        EXPECT_TRUE(runKernel(src, s, 2).ok) << "r " << r;
    }
}

} // namespace
} // namespace tesmaro
