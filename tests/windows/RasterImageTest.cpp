// The canvas operations that rewrite or overwrite a raster without copying what an undo step
// holds (the raster memory itself is tested in tests/core and tests/pictures).
#include "WindowsFixture.h"
#include "windows/Canvas.h"

#include <algorithm>
#include <vector>

namespace tesmaro {
namespace {

using testing::numberedPicture;
using testing::samePixels;

TEST(RasterImage, RewriteMirrorsIntoAFreshRasterWhileTheOldOneIsHeld) {
    Canvas canvas(nullptr, 1, 1, 0xFFFFFF);
    const QImage picture = numberedPicture(37, 23);
    ASSERT_TRUE(canvas.setPicture(picture));
    const QImage held = canvas.image(); // as an undo step holds it
    // Works in place too: each row is read whole before it is written.
    const auto mirror = [](const ConstRasterView& from, const RasterView& to) {
        for (int y = 0; y < to.height; ++y) {
            const std::vector<std::uint32_t> row(from.row(y), from.row(y) + from.width);
            for (int x = 0; x < to.width; ++x)
                to.row(y)[x] = row[to.width - 1 - x];
        }
    };
    canvas.rewrite(mirror);
    EXPECT_TRUE(samePixels(picture, held)) << "the held raster is untouched";
    QImage expected = picture.mirrored(true, false);
    EXPECT_TRUE(samePixels(expected, canvas.image()));
    // Nothing else holds it now: rewritten in place.
    const uchar* pixels = canvas.image().constBits();
    canvas.rewrite(mirror);
    EXPECT_EQ(canvas.image().constBits(), pixels);
    EXPECT_TRUE(samePixels(picture, canvas.image()));
}

TEST(RasterImage, OverwriteViewTakesTheSizeAndDropsThePicture) {
    Canvas canvas(nullptr, 50, 40, 0xFFFFFF);
    ASSERT_TRUE(canvas.setPicture(numberedPicture(50, 40)));
    const QImage held = canvas.image();
    const RasterView v = canvas.overwriteView(20, 10);
    ASSERT_FALSE(v.empty());
    EXPECT_EQ(v.width, 20);
    EXPECT_EQ(v.height, 10);
    EXPECT_EQ(canvas.canvasWidth(), 20);
    EXPECT_EQ(canvas.canvasHeight(), 10);
    EXPECT_TRUE(canvas.picture().isNull());
    EXPECT_TRUE(samePixels(numberedPicture(50, 40), held));
    for (int y = 0; y < 10; ++y)
        std::fill_n(v.row(y), 20, 0xFF00FF00u);
    EXPECT_EQ(canvas.image().pixel(19, 9), 0xFF00FF00u);
    // Refused sizes change nothing.
    EXPECT_TRUE(canvas.overwriteView(0, 10).empty());
    EXPECT_TRUE(canvas.overwriteView(40000, 10).empty());
    EXPECT_EQ(canvas.canvasWidth(), 20);
}

} // namespace
} // namespace tesmaro
