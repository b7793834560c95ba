#include "resize/kernels/RandomFactors.h"

#include "resize/kernels/Lanes.h"

#include <array>

namespace tesmaro::resize {
namespace {

constexpr int kChains = 8;

// The step of the sequence applied kChains times: state -> a*state + c (mod 2^24).
struct Jump {
    std::uint32_t a;
    std::uint32_t c;
};

constexpr Jump chainJump() {
    Jump j{1, 0};
    for (int i = 0; i < kChains; ++i) {
        j.a = (j.a * RandomSequence::kMultiplier) & RandomSequence::kMask;
        j.c = (j.c * RandomSequence::kMultiplier + RandomSequence::kIncrement) & RandomSequence::kMask;
    }
    return j;
}

} // namespace

void drawFactors(RandomSequence& random, float r, float* factors, int n) {
    if (n <= 0)
        return;
    constexpr Jump jump = chainJump();
    constexpr float kScale = 1.0f / 16777216.0f;
    // Eight interleaved chains, each jumping eight draws ahead, so the multiplications overlap.
    std::array<std::uint32_t, kChains> state{};
    RandomSequence walk = random;
    for (int k = 0; k < kChains; ++k) {
        walk.next();
        state[k] = walk.state();
    }
    int i = 0;
    for (; i + kChains <= n; i += kChains)
        for (int k = 0; k < kChains; ++k) {
            factors[i + k] = static_cast<float>(state[k]) * kScale;
            state[k] = (state[k] * jump.a + jump.c) & RandomSequence::kMask;
        }
    for (int k = 0; i + k < n; ++k)
        factors[i + k] = static_cast<float>(state[k]) * kScale;

    const Floats4 rr = splat4(r), twoR = splat4(2.0f * r), hundred = splat4(100.0f), one = splat4(1.0f);
    int j = 0;
    for (; j + 4 <= n; j += 4)
        store4(factors + j, one + (rr - twoR * load4(factors + j)) / hundred);
    for (; j < n; ++j)
        factors[j] = randomFactor(r, factors[j]);
    random.skip(static_cast<std::uint64_t>(n));
}

} // namespace tesmaro::resize
