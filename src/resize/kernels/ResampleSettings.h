#pragma once
// What both bilinear resamplers are given: the result size and the colour settings of the
// multicopy run.

#include <cstdint>

namespace tesmaro::resize {

struct ResampleSettings {
    std::int32_t width = 0;  // result width Wd, pixels
    std::int32_t height = 0; // result height Hd, pixels
    float randomPercent = 0; // r: each channel is scaled by a random factor in (1 - r/100, 1 + r/100]
    std::int16_t redPercent = 100;
    std::int16_t greenPercent = 100;
    std::int16_t bluePercent = 100;
};

} // namespace tesmaro::resize
