#pragma once
// Shared helpers of the kernel tests: views over reference pictures, settings conversion, the
// pixel comparison that names the first difference, and runs under every row-loop form.

#include "ResizeReference.h"
#include "core/Raster.h"
#include "resize/kernels/ResampleSettings.h"
#include "resize/kernels/RowLoops.h"

#include <gtest/gtest.h>

namespace tesmaro::testing {

inline ConstRasterView viewOf(const Picture& p) {
    return {p.pixels.data(), p.width, p.height, p.width};
}
inline RasterView viewOf(Picture& p) {
    return {p.pixels.data(), p.width, p.height, p.width};
}

inline resize::ResampleSettings kernelSettings(const ReferenceSettings& s) {
    resize::ResampleSettings k;
    k.width = s.width;
    k.height = s.height;
    k.randomPercent = s.r;
    k.redPercent = s.red;
    k.greenPercent = s.green;
    k.bluePercent = s.blue;
    return k;
}

inline ::testing::AssertionResult samePicture(const Picture& expected, const Picture& actual) {
    if (expected.width != actual.width || expected.height != actual.height)
        return ::testing::AssertionFailure() << "expected size " << expected.width << "x" << expected.height
                                             << ", got " << actual.width << "x" << actual.height;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            if ((expected.at(x, y) & 0xFFFFFFu) != (actual.at(x, y) & 0xFFFFFFu))
                return ::testing::AssertionFailure()
                       << "expected " << hexColour(expected.at(x, y)) << " at (" << x << ", " << y
                       << "), got " << hexColour(actual.at(x, y));
    return ::testing::AssertionSuccess();
}

// Runs check() once with each row-loop form this machine has selected for the resamplers, then
// gives the choice back to the process.
template <typename Check> void forEachRowLoopForm(Check check) {
    struct Selected {
        explicit Selected(const resize::RowLoops* form) { resize::selectRowLoopsForTests(form); }
        ~Selected() { resize::selectRowLoopsForTests(nullptr); }
    };
    for (const resize::RowLoops* form :
         {&resize::fourLaneRowLoops(), resize::eightLaneRowLoops(), resize::sixteenLaneRowLoops()})
        if (form) {
            const Selected selected(form);
            SCOPED_TRACE(::testing::Message() << form->lanes << "-lane row loops");
            check();
        }
}

// Runs check(source, settings) for every size {source w, h, result w, h} with every colour
// setting, each on its own random source picture (seeds counting up from firstSeed), with
// every row-loop form.
template <std::size_t N, std::size_t M, typename Check>
void forEachResizeCase(const int (&sizes)[N][4], const ReferenceSettings (&colours)[M], unsigned firstSeed,
                       Check check) {
    forEachRowLoopForm([&] {
        unsigned seed = firstSeed;
        for (const auto& sz : sizes)
            for (ReferenceSettings s : colours) {
                s.width = sz[2];
                s.height = sz[3];
                const Picture src = randomPicture(sz[0], sz[1], seed++);
                SCOPED_TRACE(::testing::Message()
                             << sz[0] << "x" << sz[1] << " -> " << s.width << "x" << s.height << " r " << s.r
                             << " percents " << s.red << "/" << s.green << "/" << s.blue);
                check(src, s);
            }
    });
}

} // namespace tesmaro::testing
