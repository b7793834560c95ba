#pragma once
// The random aging factor of both resamplers: 1 + (r - 2*r*u) / 100 for a draw u of the
// program's sequence, computed as single-precision operations in exactly this order:
// (2*r)*u, r minus that, divided by 100, plus 1. With r = 0 it is exactly 1.

#include "core/RandomSequence.h"

namespace tesmaro::resize {

inline float randomFactor(float r, float u) {
    return 1.0f + (r - 2.0f * r * u) / 100.0f;
}

// factors[i] = randomFactor(r, u_i) for the next n draws u_0..u_{n-1} of random, which is
// advanced by n. Does nothing for n <= 0.
void drawFactors(RandomSequence& random, float r, float* factors, int n);

} // namespace tesmaro::resize
