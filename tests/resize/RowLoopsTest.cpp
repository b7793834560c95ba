#include "resize/kernels/RowLoops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace tesmaro {
namespace {

using resize::RowLoops;

// Bit-for-bit equality of two float buffers, naming the first difference.
::testing::AssertionResult sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return ::testing::AssertionFailure() << "expected " << a[i] << " at " << i << ", got " << b[i];
    return ::testing::AssertionSuccess();
}

// Each wider form against the four-lane one; the parameter is the number of lanes.
class RowLoopForms : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        const RowLoops* form = GetParam() == 8 ? resize::eightLaneRowLoops() : resize::sixteenLaneRowLoops();
        if (!form)
            GTEST_SKIP() << "this processor has no " << GetParam() << "-lane loops";
        wide = *form;
    }
    const RowLoops& four = resize::fourLaneRowLoops();
    RowLoops wide{};
    std::mt19937 gen{2024};

    std::vector<float> floats(std::size_t n, float lo, float hi) {
        std::uniform_real_distribution<float> d(lo, hi);
        std::vector<float> v(n);
        for (float& x : v)
            x = d(gen);
        return v;
    }
    std::vector<std::uint32_t> pixels(std::size_t n) {
        std::vector<std::uint32_t> v(n);
        for (auto& p : v)
            p = gen();
        return v;
    }
};

TEST_P(RowLoopForms, BlendsAgree) {
    for (int n : {4, 8, 12, 36, 4004}) {
        const auto a = floats(n, 0, 83556), b = floats(n, -83556, 83556);
        for (float w : {0.0f, 0.25f, 0.3333333f, 0.9999f}) {
            std::vector<float> x(n), y(n);
            four.blend(a.data(), b.data(), 1 - w, w, x.data(), n);
            wide.blend(a.data(), b.data(), 1 - w, w, y.data(), n);
            EXPECT_TRUE(sameBits(x, y)) << "blend, n " << n;
            four.blendHundredths(a.data(), b.data(), 1 - w, w, x.data(), n);
            wide.blendHundredths(a.data(), b.data(), 1 - w, w, y.data(), n);
            EXPECT_TRUE(sameBits(x, y)) << "hundredths, n " << n;
        }
    }
}

TEST_P(RowLoopForms, ChannelConversionsAgree) {
    const float percent[3] = {-7, 100, 32767};
    for (int count : {1, 2, 3, 4, 5, 6, 7, 17, 640}) {
        const auto px = pixels(count);
        std::vector<float> x(4 * count + 1), y(4 * count + 1);
        four.channels(px.data(), count, x.data());
        wide.channels(px.data(), count, y.data());
        EXPECT_TRUE(sameBits(x, y)) << "count " << count;
        x.assign(3 * count + 1, 0);
        y.assign(3 * count + 1, 0);
        four.weightedChannels(px.data(), count, percent, x.data());
        wide.weightedChannels(px.data(), count, percent, y.data());
        x.pop_back();
        y.pop_back();
        EXPECT_TRUE(sameBits(x, y)) << "weighted, count " << count;
    }
}

TEST_P(RowLoopForms, ResultColumnsAgreeIncludingFailures) {
    int failures = 0, successes = 0;
    for (int count : {1, 2, 3, 4, 5, 6, 7, 300}) {
        const int columns = 50;
        const auto v = floats(4 * columns + 8, -2000, 40000);
        std::vector<int> x0(count);
        for (int& x : x0)
            x = static_cast<int>(gen() % (columns - 1));
        const auto b = floats(count, 0, 1);
        std::vector<float> a(count);
        for (int k = 0; k < count; ++k)
            a[k] = 1 - b[k];
        const auto factors = floats(3 * count + 1, -0.2f, 1.8f);
        for (const float* f : {static_cast<const float*>(nullptr), factors.data()}) {
            std::vector<std::uint32_t> p(count, 0x12345678u), q(count, 0x12345678u);
            four.pixelAccessColumns(v.data(), x0.data(), a.data(), b.data(), f, p.data(), count);
            wide.pixelAccessColumns(v.data(), x0.data(), a.data(), b.data(), f, q.data(), count);
            EXPECT_EQ(p, q) << "pixel access, count " << count;
            // Non-negative values for a run that succeeds, then the same with failures.
            const auto positive = floats(4 * columns + 8, 0, 400);
            for (const std::vector<float>* values : {&positive, &v}) {
                std::vector<std::uint32_t> s(count, 0), t(count, 0);
                const int i =
                    four.dibColumns(values->data(), x0.data(), a.data(), b.data(), f, s.data(), count, count);
                const int j =
                    wide.dibColumns(values->data(), x0.data(), a.data(), b.data(), f, t.data(), count, count);
                EXPECT_EQ(i, j) << "failing draw, count " << count;
                if (i < 0) {
                    EXPECT_EQ(s, t) << "bitmap columns, count " << count;
                    ++successes;
                } else {
                    ++failures;
                }
            }
        }
    }
    EXPECT_GT(failures, 3);
    EXPECT_GT(successes, 3);
}

TEST_P(RowLoopForms, RandomFactorsAgree) {
    for (int n : {1, 31, 32, 33, 7681}) {
        for (float r : {0.0f, 5.0f, -250.0f, 3.0e38f}) {
            const RandomSequence start(gen() & RandomSequence::kMask);
            std::vector<float> x(n), y(n);
            four.factors(start, r, x.data(), n);
            wide.factors(start, r, y.data(), n);
            EXPECT_TRUE(sameBits(x, y)) << "n " << n << ", r " << r;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(WiderForms, RowLoopForms, ::testing::Values(8, 16),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "Lanes";
                         });

} // namespace
} // namespace tesmaro
