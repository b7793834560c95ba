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
    // Nondecreasing sample columns below `columns`, steps drawn from 0..maxStep.
    std::vector<int> sampleColumns(int count, int columns, int maxStep) {
        std::vector<int> x0(static_cast<std::size_t>(count));
        int x = static_cast<int>(gen() % 3);
        for (int& c : x0) {
            c = std::min(x, columns - 2);
            x += static_cast<int>(gen() % static_cast<unsigned>(maxStep + 1));
        }
        return x0;
    }
};

TEST_P(RowLoopForms, BlendsAgree) {
    for (int n : {1, 3, 4, 8, 12, 17, 36, 4004}) {
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

TEST_P(RowLoopForms, PlanesAgree) {
    const float percent[3] = {-7, 100, 32767};
    for (int count : {1, 2, 3, 7, 8, 9, 15, 16, 17, 33, 640}) {
        const auto px = pixels(count);
        const std::ptrdiff_t stride = count + 3;
        for (const float* p : {static_cast<const float*>(nullptr), percent}) {
            std::vector<float> x(3 * stride, -1), y(3 * stride, -1);
            four.planes(px.data(), count, p, x.data(), stride);
            wide.planes(px.data(), count, p, y.data(), stride);
            EXPECT_TRUE(sameBits(x, y)) << "count " << count << (p ? ", weighted" : "");
        }
    }
}

TEST_P(RowLoopForms, BlendsFromPixelsEqualPlanesThenBlends) {
    const float percent[3] = {-7, 100, 32767};
    for (int count : {1, 7, 8, 9, 16, 17, 33, 640}) {
        const auto a = pixels(count), b = pixels(count);
        const std::ptrdiff_t stride = count + 5;
        for (float w : {0.25f, 0.3333333f, 0.9999f}) {
            SCOPED_TRACE(::testing::Message() << count << " pixels, weight " << w);
            std::vector<float> planesA(3 * stride), planesB(3 * stride), twoSteps(3 * stride, -1);
            four.planes(a.data(), count, nullptr, planesA.data(), stride);
            four.planes(b.data(), count, nullptr, planesB.data(), stride);
            for (int c = 0; c < 3; ++c)
                four.blend(planesA.data() + c * stride, planesB.data() + c * stride, 1 - w, w,
                           twoSteps.data() + c * stride, count);
            std::vector<float> x(3 * stride, -1), y(3 * stride, -1);
            four.blendPixels(a.data(), b.data(), 1 - w, w, x.data(), stride, count);
            wide.blendPixels(a.data(), b.data(), 1 - w, w, y.data(), stride, count);
            EXPECT_TRUE(sameBits(twoSteps, x)) << "four lanes";
            EXPECT_TRUE(sameBits(twoSteps, y)) << "wide";

            four.planes(a.data(), count, percent, planesA.data(), stride);
            four.planes(b.data(), count, percent, planesB.data(), stride);
            for (int c = 0; c < 3; ++c)
                four.blendHundredths(planesA.data() + c * stride, planesB.data() + c * stride, 1 - w, w,
                                     twoSteps.data() + c * stride, count);
            four.blendPixelsHundredths(a.data(), b.data(), percent, 1 - w, w, x.data(), stride, count);
            wide.blendPixelsHundredths(a.data(), b.data(), percent, 1 - w, w, y.data(), stride, count);
            EXPECT_TRUE(sameBits(twoSteps, x)) << "four lanes, hundredths";
            EXPECT_TRUE(sameBits(twoSteps, y)) << "wide, hundredths";
        }
    }
}

TEST_P(RowLoopForms, ResultColumnsAgreeIncludingFailures) {
    int failures = 0, successes = 0, unwritten = 0;
    for (int count : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 33, 64, 65, 300})
        // Steps of at most 1 and 2 keep groups of columns close (one window of the plane),
        // steps of up to 9 spread them (gathered one by one).
        for (int maxStep : {1, 2, 9}) {
            SCOPED_TRACE(::testing::Message() << count << " columns, steps up to " << maxStep);
            const int columns = maxStep * count + 8;
            const std::ptrdiff_t stride = columns + resize::kPlaneSlack;
            const auto x0 = sampleColumns(count, columns, maxStep);
            const auto b = floats(count, 0, 1);
            std::vector<float> a(count);
            for (int k = 0; k < count; ++k)
                a[k] = 1 - b[k];
            const auto v = floats(3 * stride, -2000, 40000), positive = floats(3 * stride, 0, 400);
            // r = 250 turns some factors negative, so channels fail there too.
            const resize::ColumnDraws mild{RandomSequence(gen() & RandomSequence::kMask), 5.0f},
                wild{RandomSequence(gen() & RandomSequence::kMask), 250.0f};
            for (const resize::ColumnDraws* draws :
                 {static_cast<const resize::ColumnDraws*>(nullptr), &mild, &wild}) {
                SCOPED_TRACE(draws ? "r " + std::to_string(draws->r) : std::string("no factors"));
                std::vector<std::uint32_t> p(count, 0x12345678u), q(count, 0x12345678u);
                four.pixelAccessColumns(v.data(), stride, x0.data(), a.data(), b.data(), draws, p.data(),
                                        count);
                wide.pixelAccessColumns(v.data(), stride, x0.data(), a.data(), b.data(), draws, q.data(),
                                        count);
                EXPECT_EQ(p, q) << "pixel access";
                unwritten += static_cast<int>(std::count(p.begin(), p.end(), 0x12345678u));
                // Non-negative values for a run that succeeds, then the same with failures.
                for (const std::vector<float>* values : {&positive, &v})
                    for (int writeCount : {count, count / 2}) {
                        std::vector<std::uint32_t> s(count, 0), t(count, 0);
                        const int i = four.dibColumns(values->data(), stride, x0.data(), a.data(), b.data(),
                                                      draws, s.data(), count, writeCount);
                        const int j = wide.dibColumns(values->data(), stride, x0.data(), a.data(), b.data(),
                                                      draws, t.data(), count, writeCount);
                        EXPECT_EQ(i, j) << "failing draw";
                        if (i < 0) {
                            EXPECT_EQ(s, t) << "bitmap columns, " << writeCount << " written";
                            ++successes;
                        } else {
                            ++failures;
                        }
                    }
            }
        }
    EXPECT_GT(failures, 20);
    EXPECT_GT(successes, 20);
    EXPECT_GT(unwritten, 20);
}

TEST_P(RowLoopForms, RandomFactorsAgree) {
    for (int n : {1, 7, 8, 15, 16, 17, 47, 48, 49, 2561}) {
        for (float r : {0.0f, 5.0f, -250.0f, 3.0e38f}) {
            const RandomSequence start(gen() & RandomSequence::kMask);
            const std::ptrdiff_t stride = n + 2;
            std::vector<float> x(3 * stride, -1), y(3 * stride, -1);
            four.factorPlanes(start, r, x.data(), stride, n);
            wide.factorPlanes(start, r, y.data(), stride, n);
            EXPECT_TRUE(sameBits(x, y)) << "n " << n << ", r " << r;
        }
    }
}

// TESMARO_DISABLE's names, each leaving out its own form only.
TEST(RowLoopChoice, DisabledNamesLeaveTheirFormsOut) {
    const RowLoops* four = &resize::fourLaneRowLoops();
    const RowLoops* eight = resize::eightLaneRowLoops();
    const RowLoops* sixteen = resize::sixteenLaneRowLoops();
    const struct {
        const char* disabled;
        const RowLoops* expected;
    } cases[] = {{"", sixteen ? sixteen
                      : eight ? eight
                              : four},
                 {"avx512", eight ? eight : four},
                 {"avx2", sixteen ? sixteen : four},
                 {"avx2 avx512", four},
                 {"avx512,avx2", four},
                 {" avx2,,avx512 ", four},
                 {"avx51 avx2x AVX512", sixteen ? sixteen
                                        : eight ? eight
                                                : four}};
    for (const auto& c : cases)
        EXPECT_EQ(&resize::widestRowLoops(c.disabled), c.expected) << '"' << c.disabled << '"';
}

INSTANTIATE_TEST_SUITE_P(WiderForms, RowLoopForms, ::testing::Values(8, 16),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "Lanes";
                         });

} // namespace
} // namespace tesmaro
