#pragma once
// The random aging factor of both resamplers: 1 + (r - 2*r*u) / 100 for a draw u of the
// program's sequence, computed as single-precision operations in exactly this order:
// (2*r)*u, r minus that, divided by 100, plus 1. With r = 0 it is exactly 1.

namespace tesmaro::resize {

inline float randomFactor(float r, float u) {
    return 1.0f + (r - 2.0f * r * u) / 100.0f;
}

} // namespace tesmaro::resize
