// The memory of large rasters: reused when freed, touched ahead of need, and given back to the
// system once the program has not used it for the idle delay.
#include "core/RasterMemory.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace tesmaro {
namespace {

using namespace std::chrono_literals;

// Waits up to five seconds for the condition.
template <typename Condition> bool eventually(Condition condition) {
    for (int i = 0; i < 500; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return condition();
}

// Per page of the memory: resident, or -1 for every page when it is not mapped at all.
std::vector<int> residentPages(const RasterMemory& m) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((m.bytes + page - 1) / page);
    if (::mincore(m.pixels, m.bytes, resident.data()) != 0)
        return std::vector<int>(resident.size(), errno == ENOMEM ? -1 : -2);
    return std::vector<int>(resident.begin(), resident.end());
}

class RasterMemoryTest : public ::testing::Test {
protected:
    void SetUp() override { releaseSpareRasterMemory(); }
    void TearDown() override {
        setRasterTouchAhead(true);
        setSpareMemoryIdleDelay(kSpareMemoryIdleDelay);
        releaseSpareRasterMemory();
    }
};

TEST_F(RasterMemoryTest, AFreedBufferIsTheNextOneOfItsSize) {
    setRasterTouchAhead(false);
    EXPECT_EQ(takeRasterMemory(0).pixels, nullptr);
    const std::size_t asked = 3000 * 2000 * 4;
    const RasterMemory a = takeRasterMemory(asked);
    ASSERT_NE(a.pixels, nullptr);
    EXPECT_EQ(a.bytes, std::size_t{24} << 20) << "rounded up to whole 2 MiB pages";
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(a.pixels) % (std::size_t{2} << 20), 0u);
    std::memset(a.pixels, 0x5A, asked);
    EXPECT_FALSE(rasterMemoryReady(asked));
    giveBackRasterMemory(a);
    EXPECT_TRUE(rasterMemoryReady(asked));
    EXPECT_FALSE(rasterMemoryReady(asked + a.bytes)) << "another size";
    EXPECT_EQ(spareRasterBytes(), a.bytes);
    const RasterMemory b = takeRasterMemory(asked - 5);
    EXPECT_EQ(b.pixels, a.pixels);
    EXPECT_EQ(spareRasterBytes(), 0u);
    giveBackRasterMemory(b);
}

// While a buffer is in use, memory for the next one of its size is touched ahead: all its pages
// are resident before it is written. Switching touching ahead off gives that memory back.
TEST_F(RasterMemoryTest, TheNextBufferOfASizeIsTouchedAhead) {
    const std::size_t asked = 2100 * 1700 * 4;
    const RasterMemory first = takeRasterMemory(asked);
    ASSERT_NE(first.pixels, nullptr);
    ASSERT_TRUE(eventually([&] { return rasterMemoryReady(asked); }));
    const RasterMemory second = takeRasterMemory(asked);
    ASSERT_NE(second.pixels, nullptr);
    const std::vector<int> pages = residentPages(second);
    EXPECT_TRUE(std::all_of(pages.begin(), pages.end(), [](int r) { return r > 0 && (r & 1); }));
    ASSERT_TRUE(eventually([&] { return rasterMemoryReady(asked); })) << "and again for a third";
    setRasterTouchAhead(false);
    EXPECT_FALSE(rasterMemoryReady(asked));
    EXPECT_EQ(spareRasterBytes(), 0u);
    giveBackRasterMemory(first);
    giveBackRasterMemory(second);
}

TEST_F(RasterMemoryTest, AnIdleProgramGivesItsSpareMemoryBack) {
    setSpareMemoryIdleDelay(150ms);
    const std::size_t asked = 1500 * 1000 * 4;
    const RasterMemory kept = takeRasterMemory(asked);
    ASSERT_NE(kept.pixels, nullptr);
    std::memset(kept.pixels, 1, asked);
    giveBackRasterMemory(kept);
    ASSERT_TRUE(eventually([&] { return spareRasterBytes() == 0; }))
        << "still held: " << spareRasterBytes() << " bytes";
    const std::vector<int> pages = residentPages(kept);
    EXPECT_EQ(pages.front(), -1) << "the kept buffer is unmapped";
    // Memory keeps being recycled after a release.
    const RasterMemory again = takeRasterMemory(asked);
    ASSERT_NE(again.pixels, nullptr);
    giveBackRasterMemory(again);
    EXPECT_TRUE(rasterMemoryReady(asked));
    EXPECT_TRUE(eventually([&] { return spareRasterBytes() == 0; }));
}

TEST(RasterMemoryDeathTest, ThePendingReleaseDoesNotHoldTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            giveBackRasterMemory(takeRasterMemory(std::size_t{8} << 20));
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
}

} // namespace
} // namespace tesmaro
