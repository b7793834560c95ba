#include "resize/kernels/RandomFactors.h"

#include "resize/kernels/RowLoops.h"

namespace tesmaro::resize {

void drawFactors(RandomSequence& random, float r, float* factors, int n) {
    if (n <= 0)
        return;
    rowLoops().factors(random, r, factors, n);
    random.skip(static_cast<std::uint64_t>(n));
}

} // namespace tesmaro::resize
