// Pictures whose pixels live in the raster memory: shared and detached as any picture is, and
// their memory given back when the last copy goes.
#include "pictures/RasterImage.h"

#include "core/RasterMemory.h"

#include <gtest/gtest.h>

namespace tesmaro {
namespace {

TEST(RasterImage, LargeRastersShareAndDetachLikeAnyPicture) {
    QImage a = newRaster(2000, 1500); // 11 MiB: memory of its own
    ASSERT_FALSE(a.isNull());
    EXPECT_EQ(a.format(), QImage::Format_RGB32);
    EXPECT_EQ(a.bytesPerLine(), 8000);
    a.fill(0xFF102030);
    const QImage shared = a;
    EXPECT_EQ(shared.constBits(), a.constBits());
    // Writing through a view gives the writer pixels of its own; the other copy keeps its own.
    const RasterView v = rasterOf(a);
    v.row(7)[9] = 0xFF0000FF;
    EXPECT_NE(shared.constBits(), a.constBits());
    EXPECT_EQ(shared.pixel(9, 7), 0xFF102030u);
    EXPECT_EQ(a.pixel(9, 7), 0xFF0000FFu);
    EXPECT_EQ(a.pixel(10, 7), 0xFF102030u);
    // A detached raster is written in place.
    const uchar* before = a.constBits();
    rasterOf(a);
    EXPECT_EQ(a.constBits(), before);
    EXPECT_TRUE(newRaster(0, 5).isNull());
    EXPECT_TRUE(newRaster(5, -1).isNull());
    EXPECT_EQ(newRaster(30, 20).size(), QSize(30, 20));
}

TEST(RasterImage, TheLastCopyGivesTheMemoryBack) {
    setRasterTouchAhead(false);
    releaseSpareRasterMemory();
    const uchar* pixels = nullptr;
    {
        const QImage picture = newRaster(3000, 2000);
        ASSERT_FALSE(picture.isNull());
        pixels = picture.constBits();
        { const QImage copy = picture; }
        EXPECT_EQ(spareRasterBytes(), 0u) << "still in use";
    }
    EXPECT_EQ(spareRasterBytes(), std::size_t{24} << 20);
    EXPECT_EQ(newRaster(3000, 2000).constBits(), pixels) << "used again";
    setRasterTouchAhead(true);
    releaseSpareRasterMemory();
}

} // namespace
} // namespace tesmaro
