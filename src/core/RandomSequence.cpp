#include "core/RandomSequence.h"

namespace tesmaro {

void RandomSequence::skip(std::uint64_t n) {
    // Compose the affine step with itself by squaring: (a, c) applied twice is (a*a, a*c + c).
    std::uint32_t a = kMultiplier, c = kIncrement;
    std::uint32_t accA = 1, accC = 0;
    while (n) {
        if (n & 1) {
            accA = (accA * a) & kMask;
            accC = (accC * a + c) & kMask;
        }
        c = (c * a + c) & kMask;
        a = (a * a) & kMask;
        n >>= 1;
    }
    m_state = (accA * m_state + accC) & kMask;
}

} // namespace tesmaro
