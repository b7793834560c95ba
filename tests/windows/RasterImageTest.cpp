// Rasters for large pictures: memory of their own (huge pages, recycled when freed), shared and
// detached as any picture is, and the canvas operations that rewrite or overwrite a raster
// without copying what an undo step holds.
#include "pictures/RasterImage.h"
#include "support/TestPictures.h"

#include <QTest>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace tesmaro {
namespace {

using testing::numberedPicture;
using testing::samePixels;

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
}

TEST(RasterImage, AFreedLargeRasterIsUsedAgain) {
    const uchar* first = nullptr;
    {
        QImage a = newRaster(3000, 2000);
        ASSERT_FALSE(a.isNull());
        first = a.constBits();
    }
    const QImage b = newRaster(3000, 2000);
    EXPECT_EQ(b.constBits(), first) << "the memory of the freed raster, already touched";
    EXPECT_TRUE(newRaster(0, 5).isNull());
    EXPECT_TRUE(newRaster(5, -1).isNull());
    const QImage small = newRaster(30, 20);
    EXPECT_EQ(small.size(), QSize(30, 20));
}

// While a raster is in use, memory for the next one of its size is touched ahead: the second
// raster's pages are all resident before it is written.
TEST(RasterImage, TheNextRasterOfASizeFindsItsMemoryTouched) {
    const QImage first = newRaster(2100, 1700);
    ASSERT_FALSE(first.isNull());
    ASSERT_TRUE(QTest::qWaitFor([] { return rasterMemoryReady(2100, 1700); }, 5000));
    const QImage second = newRaster(2100, 1700);
    ASSERT_FALSE(second.isNull());
    const long page = ::sysconf(_SC_PAGESIZE);
    const std::size_t bytes = std::size_t(second.sizeInBytes());
    std::vector<unsigned char> resident((bytes + page - 1) / page);
    ASSERT_EQ(::mincore(const_cast<uchar*>(second.constBits()), bytes, resident.data()), 0);
    EXPECT_TRUE(std::all_of(resident.begin(), resident.end(), [](unsigned char r) { return r & 1; }));
}

} // namespace
} // namespace tesmaro
