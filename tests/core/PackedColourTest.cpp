#include "core/PackedColour.h"
#include "core/RasterOp.h"

#include <gtest/gtest.h>

#include <limits>

namespace tesmaro {
namespace {

void expectRgb(std::int32_t packed, int r, int g, int b) {
    const Rgb v = splitPacked(packed);
    EXPECT_EQ(v.r, r) << "red of " << packed;
    EXPECT_EQ(v.g, g) << "green of " << packed;
    EXPECT_EQ(v.b, b) << "blue of " << packed;
}

TEST(PackedColour, SplitsRedLow) {
    expectRgb(0x123456, 0x56, 0x34, 0x12);
    expectRgb(0, 0, 0, 0);
    expectRgb(0xFFFFFF, 255, 255, 255);
    expectRgb(255, 255, 0, 0);
    expectRgb(65536, 0, 0, 1);
}

TEST(PackedColour, NoColourSplitsToBlack) {
    expectRgb(kNoColour, 0, 0, 0);
    EXPECT_EQ(pixelFromPacked(kNoColour), 0xFF000000u);
}

TEST(PackedColour, OutOfRangeValuesSplitByTruncation) {
    // B = C / 65536 and G = (C - 65536 B) / 256 truncated toward zero; a negative R counts as 0.
    expectRgb(0x7FFFFFFF, 255, 255, 32767);
    expectRgb(-256, 0, -1, 0);
    expectRgb(std::numeric_limits<std::int32_t>::min(), 0, 0, -32768);
    // Pixels clamp each channel to 0..255.
    EXPECT_EQ(pixelFromPacked(0x7FFFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(pixelFromPacked(std::numeric_limits<std::int32_t>::min()), 0xFF000000u);
}

TEST(PackedColour, ComposeClampsHighAndRefusesNegative) {
    EXPECT_EQ(composeRgb(1, 2, 3), 1 + 256 * 2 + 65536 * 3);
    EXPECT_EQ(composeRgb(300, 0, 0), 255);
    EXPECT_EQ(composeRgb(0, 1000, 0), 255 * 256);
    EXPECT_EQ(composeRgb(256, 256, 256), 0xFFFFFF);
    EXPECT_FALSE(composeRgb(-1, 0, 0).has_value());
    EXPECT_FALSE(composeRgb(0, -1, 0).has_value());
    EXPECT_FALSE(composeRgb(0, 0, -1).has_value());
}

TEST(PackedColour, PixelRoundTrip) {
    EXPECT_EQ(pixelFromPacked(0x123456), 0xFF563412u);
    EXPECT_EQ(packedFromPixel(0xFF563412u), 0x123456);
    EXPECT_EQ(packedFromPixel(0x00563412u), 0x123456); // alpha is ignored
    for (std::int32_t c : {0, 1, 0xFF, 0xFF00, 0xFF0000, 0xABCDEF, 0xFFFFFF})
        EXPECT_EQ(packedFromPixel(pixelFromPacked(c)), c);
}

TEST(RasterOp, FiveCodesOnEveryChannel) {
    const std::uint32_t d = 0xFFF0CC0Fu, s = 0xFF3CAA55u;
    EXPECT_EQ(applyRasterOp(SRCCOPY, d, s), 0xFF3CAA55u);
    EXPECT_EQ(applyRasterOp(SRCAND, d, s), 0xFF308805u);
    EXPECT_EQ(applyRasterOp(SRCERASE, d, s), 0xFF0C2250u);
    EXPECT_EQ(applyRasterOp(SRCINVERT, d, s), 0xFFCC665Au);
    EXPECT_EQ(applyRasterOp(SRCPAINT, d, s), 0xFFFCEE5Fu);
    // The result is opaque even when the inputs carry no alpha.
    EXPECT_EQ(applyRasterOp(SRCINVERT, 0x00FFFFFFu, 0x00FFFFFFu), 0xFF000000u);
}

} // namespace
} // namespace tesmaro
