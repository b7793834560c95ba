#include "core/RandomSequence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace tesmaro {
namespace {

TEST(RandomSequence, EveryInstanceDrawsTheSameNumbers) {
    RandomSequence a, b;
    std::vector<float> first;
    for (int i = 0; i < 100; ++i)
        first.push_back(a.next());
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(b.next(), first[static_cast<std::size_t>(i)]);
    EXPECT_NE(first[0], first[1]);
}

TEST(RandomSequence, ValuesAreMultiplesOfTwoToTheMinus24InUnitInterval) {
    RandomSequence r;
    double sum = 0;
    const int n = 200000;
    for (int i = 0; i < n; ++i) {
        const float v = r.next();
        ASSERT_GE(v, 0.0f);
        ASSERT_LT(v, 1.0f);
        const double scaled = static_cast<double>(v) * 16777216.0;
        ASSERT_EQ(scaled, std::floor(scaled)) << "draw " << i << " = " << v;
        sum += v;
    }
    EXPECT_NEAR(sum / n, 0.5, 0.01);
}

TEST(RandomSequence, SkipEqualsStepping) {
    RandomSequence stepped;
    std::uint64_t done = 0;
    // Skips of every length up to 300 and then growing ones, each checked against the same
    // number of single draws from the start.
    for (std::uint64_t n :
         {0ull, 1ull, 2ull, 3ull, 7ull, 64ull, 255ull, 1000ull, 4097ull, 65535ull, 1000003ull}) {
        while (done < n) {
            stepped.next();
            ++done;
        }
        RandomSequence jumped;
        jumped.skip(n);
        ASSERT_EQ(jumped.state(), stepped.state()) << "skip " << n;
        EXPECT_EQ(jumped.next(), RandomSequence(stepped).next()) << "draw after skip " << n;
    }
    for (std::uint64_t n = 0; n < 300; ++n) {
        RandomSequence a, b;
        for (std::uint64_t i = 0; i < n; ++i)
            a.next();
        b.skip(n);
        ASSERT_EQ(a.state(), b.state()) << "skip " << n;
    }
}

TEST(RandomSequence, SkipsComposeFromAnyState) {
    RandomSequence a(0x123456), b(0x123456);
    a.skip(12345);
    a.skip(678);
    for (int i = 0; i < 12345 + 678; ++i)
        b.next();
    EXPECT_EQ(a.state(), b.state());
}

TEST(RandomSequence, FullPeriodOf2To24) {
    // The sequence is a cycle whose length divides 2^24; it is the full 2^24 when the start comes
    // back after 2^24 draws but not after 2^23. One pass records the states big skips must reach.
    const std::uint64_t period = 1ull << 24;
    const std::uint64_t marks[] = {5, 12345, period / 2, period - 1};
    std::uint32_t marked[4] = {};
    RandomSequence r;
    const std::uint32_t start = r.state();
    for (std::uint64_t i = 0; i < period; ++i) {
        for (int m = 0; m < 4; ++m)
            if (marks[m] == i)
                marked[m] = r.state();
        r.next();
    }
    EXPECT_EQ(r.state(), start);
    EXPECT_NE(marked[2], start);
    // Skips beyond the period land where the remainder does.
    const std::uint64_t big[] = {period + 5, (1ull << 40) + 12345, 7 * period + period / 2, ~0ull};
    for (int m = 0; m < 4; ++m) {
        RandomSequence jumped;
        jumped.skip(big[m]);
        EXPECT_EQ(jumped.state(), marked[m]) << "skip " << big[m];
    }
}

} // namespace
} // namespace tesmaro
