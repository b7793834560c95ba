#include "KernelTestSupport.h"
#include "core/Stretch.h"
#include "resize/kernels/BandedStretch.h"
#include "resize/kernels/Mirror.h"
#include "resize/kernels/ParallelRows.h"
#include "resize/kernels/RowLoops.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace tesmaro {
namespace {

using testing::Picture;
using testing::rgbPixel;
using testing::samePicture;
using testing::viewOf;

TEST(MirrorRow, ReversesEveryWidth) {
    for (int width = 0; width <= 37; ++width) {
        std::vector<std::uint32_t> row(static_cast<std::size_t>(width));
        for (int x = 0; x < width; ++x)
            row[static_cast<std::size_t>(x)] = 0xFF000000u | static_cast<std::uint32_t>(x * 7919);
        const std::vector<std::uint32_t> before = row;
        resize::mirrorRow(row.data(), width);
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(before[static_cast<std::size_t>(width - 1 - x)], row[static_cast<std::size_t>(x)])
                << "width " << width << ", column " << x;
        resize::mirrorRow(row.data(), width);
        EXPECT_EQ(before, row) << "mirroring twice restores width " << width;
    }
}

TEST(MirrorRow, ThreeColoursSwapEndsAndKeepTheMiddle) {
    std::uint32_t row[3] = {rgbPixel(255, 0, 0), rgbPixel(0, 255, 0), rgbPixel(0, 0, 255)};
    resize::mirrorRow(row, 3);
    EXPECT_EQ(rgbPixel(0, 0, 255), row[0]);
    EXPECT_EQ(rgbPixel(0, 255, 0), row[1]);
    EXPECT_EQ(rgbPixel(255, 0, 0), row[2]);
}

TEST(RunRows, ReportsProgressInOrderOnTheCallingThread) {
    for (int threads : {1, 2, 5})
        for (int take : {1, 7, 300}) {
            SCOPED_TRACE(::testing::Message() << threads << " threads, " << take << " rows per take");
            std::vector<int> reported;
            std::vector<std::atomic<int>> worked(200);
            const auto caller = std::this_thread::get_id();
            bool offThread = false;
            const int failed = resize::runRows(
                200, threads,
                [&](int row, int worker) {
                    EXPECT_LT(worker, threads);
                    ++worked[static_cast<std::size_t>(row)];
                    return true;
                },
                [&](int row) {
                    offThread |= std::this_thread::get_id() != caller;
                    reported.push_back(row);
                },
                take);
            EXPECT_EQ(200, failed);
            for (const auto& w : worked)
                EXPECT_EQ(1, w.load());
            ASSERT_EQ(200u, reported.size());
            for (int i = 0; i < 200; ++i)
                EXPECT_EQ(i, reported[static_cast<std::size_t>(i)]);
            EXPECT_FALSE(offThread);
        }
}

TEST(RunRows, StopsReportingAtTheFirstFailedRow) {
    for (int threads : {1, 3})
        for (int take : {1, 4, 16}) {
            SCOPED_TRACE(::testing::Message() << threads << " threads, " << take << " rows per take");
            std::vector<int> reported;
            std::atomic<bool> afterFailureInItsTake{false};
            const int failed = resize::runRows(
                100, threads,
                [&](int row, int) {
                    // A take runs its rows in order and ends at a failed one.
                    if (row > 41 && row / take == 41 / take)
                        afterFailureInItsTake = true;
                    return row != 41 && row != 77;
                },
                [&](int row) { reported.push_back(row); }, take);
            EXPECT_EQ(41, failed);
            ASSERT_EQ(41u, reported.size());
            EXPECT_EQ(40, reported.back());
            EXPECT_FALSE(afterFailureInItsTake);
        }
}

TEST(RunRows, RethrowsAWorkersExceptionAfterAllThreadsStop) {
    EXPECT_THROW(resize::runRows(50, 3,
                                 [](int row, int) -> bool {
                                     if (row == 20)
                                         throw std::runtime_error("row 20");
                                     return true;
                                 },
                                 {}),
                 std::runtime_error);
}

TEST(FactorPlanes, HoldTheDrawsOneByOneChannelByChannel) {
    // Column k of plane c takes draw 3k + c; the sequence it started from stays where it was.
    for (int n : {1, 7, 8, 9, 16, 17, 31, 1000}) {
        const std::ptrdiff_t stride = n + 5;
        std::vector<float> factors(static_cast<std::size_t>(3 * stride), -1.0f);
        const RandomSequence start(0x777);
        resize::rowLoops().factorPlanes(start, 5.0f, factors.data(), stride, n);
        RandomSequence single(0x777);
        for (int k = 0; k < n; ++k)
            for (int c = 0; c < 3; ++c) {
                const float u = single.next();
                const float expected = 1 + (5.0f - 2 * 5.0f * u) / 100;
                ASSERT_EQ(expected, factors[static_cast<std::size_t>(c * stride + k)])
                    << "column " << k << ", channel " << c << " of " << n;
            }
        EXPECT_EQ(-1.0f, factors[static_cast<std::size_t>(n)]) << "nothing past the columns";
        EXPECT_EQ(0x777u, start.state());
    }
}

TEST(StretchInBands, EqualsOneStretchOverTheWholeRaster) {
    const Picture src = testing::randomPicture(97, 211, 5);
    for (auto rect : {resize::PixelRect{0, 0, 300, 400}, resize::PixelRect{0, 0, 31, 133}}) {
        Picture whole = testing::randomPicture(310, 410, 6), banded = whole;
        stretchBlit(viewOf(whole),
                    RectF{0, 0, static_cast<double>(rect.width), static_cast<double>(rect.height)},
                    viewOf(src), RectF{0, 0, 97, 211}, 0x8800C6);
        resize::stretchInBands(viewOf(banded), rect, viewOf(src), resize::PixelRect{0, 0, 97, 211}, 0x8800C6,
                               4);
        EXPECT_TRUE(samePicture(whole, banded));
    }
}

} // namespace
} // namespace tesmaro
