#include "document/Canvas.h"
#include "core/PackedColour.h"
#include "core/RasterOp.h"
#include "support/TestPictures.h"

#include <QFontMetrics>

#include <memory>
#include <vector>

namespace tesmaro {
namespace {

using testing::filledPicture;
using testing::numberedPicture;
using testing::samePixels;

constexpr std::int32_t kWhite = 0xFFFFFF;
constexpr QRgb kWhiteRgb = 0xFFFFFFFF;

std::unique_ptr<Canvas> makeCanvas(int w, int h, std::int32_t back = kWhite) {
    return std::make_unique<Canvas>(w, h, back);
}

// The picture at the top-left of a w x h area of colour `back`, clipped to it.
QImage placed(const QImage& picture, int w, int h, QRgb back) {
    QImage img = filledPicture(w, h, back);
    for (int y = 0; y < std::min(h, picture.height()); ++y)
        for (int x = 0; x < std::min(w, picture.width()); ++x)
            img.setPixel(x, y, picture.pixel(x, y));
    return img;
}

int countColour(const QImage& img, QRgb colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

TEST(Canvas, AutoSizeTakesThePictureSize) {
    auto c = makeCanvas(300, 500);
    const QImage pic = numberedPicture(40, 30);
    ASSERT_TRUE(c->setPicture(pic));
    EXPECT_EQ(c->canvasWidth(), 40);
    EXPECT_EQ(c->canvasHeight(), 30);
    EXPECT_EQ(QSize(c->canvasWidth(), c->canvasHeight()), QSize(40, 30));
    EXPECT_TRUE(samePixels(pic, c->image()));
    EXPECT_TRUE(samePixels(pic, c->picture()));
}

TEST(Canvas, WithoutAutoSizeThePictureSitsTopLeftClipped) {
    auto c = makeCanvas(100, 80);
    c->setAutoSize(false);
    const QImage small = numberedPicture(40, 30);
    ASSERT_TRUE(c->setPicture(small));
    EXPECT_EQ(c->canvasWidth(), 100);
    EXPECT_EQ(c->canvasHeight(), 80);
    EXPECT_TRUE(samePixels(placed(small, 100, 80, kWhiteRgb), c->image()));

    const QImage large = numberedPicture(200, 150);
    ASSERT_TRUE(c->setPicture(large));
    EXPECT_EQ(c->canvasWidth(), 100);
    EXPECT_TRUE(samePixels(placed(large, 100, 80, kWhiteRgb), c->image()));
    // The picture itself is kept whole.
    EXPECT_EQ(c->picture().size(), QSize(200, 150));
}

TEST(Canvas, EmptyPictureKeepsTheSizeAndClearsTheBackground) {
    auto c = makeCanvas(300, 500);
    ASSERT_TRUE(c->setPicture(numberedPicture(40, 30)));
    c->setPixel(5, 5, 0x0000FF);
    ASSERT_TRUE(c->setPicture(QImage()));
    EXPECT_EQ(c->canvasWidth(), 40);
    EXPECT_EQ(c->canvasHeight(), 30);
    EXPECT_TRUE(c->picture().isNull());
    EXPECT_TRUE(samePixels(filledPicture(40, 30, kWhiteRgb), c->image()));
}

TEST(Canvas, ClsDropsDrawingsButKeepsTheBackgroundPicture) {
    auto c = makeCanvas(50, 40, 0x00FF00); // green
    c->setAutoSize(false);
    const QImage pic = numberedPicture(20, 10);
    ASSERT_TRUE(c->setPicture(pic));
    c->setDrawWidth(3);
    c->line(0, 0, 49, 39, 0xFF0000);
    c->cls();
    EXPECT_TRUE(samePixels(placed(pic, 50, 40, 0xFF00FF00), c->image()));
    // A new picture drops drawings too.
    c->pset(45, 35, 0xFF0000);
    ASSERT_TRUE(c->setPicture(pic));
    EXPECT_TRUE(samePixels(placed(pic, 50, 40, 0xFF00FF00), c->image()));
    // The back colour repaints the canvas.
    c->setBackColour(0x0000FF);
    EXPECT_TRUE(samePixels(placed(pic, 50, 40, 0xFFFF0000), c->image()));
}

TEST(Canvas, SizeChangesKeepContentAndFillNewAreaWithBackColour) {
    auto c = makeCanvas(30, 20, 0x00FFFF); // yellow
    const QImage pic = numberedPicture(30, 20);
    ASSERT_TRUE(c->setPicture(pic));
    ASSERT_TRUE(c->setCanvasSize(50, 25));
    EXPECT_EQ(QSize(c->canvasWidth(), c->canvasHeight()), QSize(50, 25));
    EXPECT_TRUE(samePixels(placed(pic, 50, 25, 0xFFFFFF00), c->image()));
    ASSERT_TRUE(c->setCanvasHeight(10));
    ASSERT_TRUE(c->setCanvasWidth(12));
    EXPECT_TRUE(samePixels(placed(pic, 12, 10, 0xFFFFFF00), c->image()));
}

TEST(Canvas, ZeroSideKeepsTheOtherSide) {
    auto c = makeCanvas(30, 20);
    ASSERT_TRUE(c->setCanvasWidth(0));
    EXPECT_EQ(c->canvasWidth(), 0);
    EXPECT_EQ(c->canvasHeight(), 20);
    EXPECT_EQ(c->point(0, 0), kNoColour);
    c->pset(0, 0, 0); // nothing to draw on, nothing happens
    ASSERT_TRUE(c->setCanvasWidth(15));
    EXPECT_EQ(c->canvasWidth(), 15);
    EXPECT_EQ(c->canvasHeight(), 20);
    EXPECT_TRUE(samePixels(filledPicture(15, 20, kWhiteRgb), c->image()));
}

TEST(Canvas, RefusedSizesLeaveTheCanvasUnchanged) {
    auto c = makeCanvas(30, 20);
    const QImage pic = numberedPicture(30, 20);
    ASSERT_TRUE(c->setPicture(pic));
    EXPECT_FALSE(c->setCanvasSize(32768, 10));
    EXPECT_FALSE(c->setCanvasSize(10, 32768));
    EXPECT_FALSE(c->setCanvasSize(-1, 10));
    EXPECT_FALSE(c->setCanvasHeight(-5));
    EXPECT_EQ(c->canvasWidth(), 30);
    EXPECT_EQ(c->canvasHeight(), 20);
    EXPECT_TRUE(samePixels(pic, c->image()));
    // An AutoSize picture larger than a canvas may be is refused too.
    EXPECT_FALSE(c->setPicture(filledPicture(32768, 1, 0xFF000000)));
    EXPECT_TRUE(samePixels(pic, c->image()));
    EXPECT_TRUE(samePixels(pic, c->picture()));
    // The largest side is accepted.
    EXPECT_TRUE(c->setCanvasSize(32767, 1));
    EXPECT_EQ(c->canvasWidth(), 32767);
}

TEST(Canvas, PointReadsPackedColoursAndMinusOneOutside) {
    auto c = makeCanvas(4, 3);
    QImage pic = filledPicture(4, 3, 0xFFFFFFFF);
    pic.setPixel(0, 0, qRgb(0x12, 0x34, 0x56));
    pic.setPixel(2, 0, qRgb(1, 2, 3));
    ASSERT_TRUE(c->setPicture(pic));
    EXPECT_EQ(c->point(0, 0), 0x563412);
    EXPECT_EQ(c->point(2, 0), 0x030201);
    EXPECT_EQ(c->point(3, 2), 0xFFFFFF);
    // Fractions go to the nearest pixel, halves to even.
    EXPECT_EQ(c->point(0.5, 0), 0x563412);
    EXPECT_EQ(c->point(1.5, 0.4), 0x030201);
    EXPECT_EQ(c->point(-0.5, 0), 0x563412);
    for (const auto& p :
         {std::pair{-1.0, 0.0}, std::pair{4.0, 0.0}, std::pair{0.0, -1.0}, std::pair{0.0, 3.0},
          std::pair{-0.6, 0.0}, std::pair{3.5, 0.0}, std::pair{1e12, 1e12}, std::pair{-1e12, 0.0}})
        EXPECT_EQ(c->point(p.first, p.second), kNoColour) << p.first << ", " << p.second;
}

TEST(Canvas, PsetDrawsADotOfTheLineWidthSetPixelExactlyOne) {
    auto c = makeCanvas(30, 30);
    c->pset(10, 10, 0x0000FF);
    EXPECT_EQ(countColour(c->image(), 0xFFFF0000), 1);
    EXPECT_EQ(c->point(10, 10), 0x0000FF);

    c->cls();
    c->setDrawWidth(5);
    c->pset(15, 15, 0x0000FF);
    int across = 0, down = 0;
    for (int i = 0; i < 30; ++i) {
        across += c->point(i, 15) == 0x0000FF;
        down += c->point(15, i) == 0x0000FF;
    }
    EXPECT_EQ(across, 5);
    EXPECT_EQ(down, 5);

    c->cls();
    c->setPixel(3, 4, 0x00FF00);
    EXPECT_EQ(countColour(c->image(), 0xFF00FF00), 1);
    EXPECT_EQ(c->point(3, 4), 0x00FF00);
    // Outside the canvas nothing happens.
    c->setPixel(-1, 4, 0x00FF00);
    c->setPixel(30, 4, 0x00FF00);
    c->pset(-100, -100, 0x00FF00);
    EXPECT_EQ(countColour(c->image(), 0xFF00FF00), 1);
    // A line width below 1 counts as 1.
    c->setDrawWidth(0);
    EXPECT_EQ(c->drawWidth(), 1);
}

TEST(Canvas, LineBoxAndCircleMoveTheCurrentPosition) {
    auto c = makeCanvas(40, 40);
    c->line(2, 3, 20, 3, 0);
    EXPECT_EQ(c->currentX(), 20);
    EXPECT_EQ(c->currentY(), 3);
    EXPECT_EQ(c->point(2, 3), 0);
    EXPECT_EQ(c->point(20, 3), 0);
    EXPECT_EQ(countColour(c->image(), 0xFF000000), 19);
    c->box(5, 10, 9, 14, 0xFF, true);
    EXPECT_EQ(countColour(c->image(), 0xFFFF0000), 25);
    EXPECT_EQ(c->currentX(), 9);
    c->circle(30, 30, 4, 0xFF00);
    EXPECT_EQ(c->currentX(), 30);
    EXPECT_EQ(c->point(30, 30), kWhite); // the interior stays
    EXPECT_EQ(c->point(34, 30), 0xFF00);
    // Far-off coordinates are harmless and quick.
    c->line(-1e30, -1e30, 1e30, 1e30, 0xFF0000);
    EXPECT_EQ(c->point(39, 39), 0xFF0000);
    c->circle(1e15, 1e15, 1e20, 0xFF0000);
}

TEST(Canvas, PrintDrawsOnlyForeColourPixelsFromTheCurrentPosition) {
    auto c = makeCanvas(200, 80, 0xFF0000); // blue background
    QFont font = c->drawFont();
    font.setPixelSize(20);
    c->setDrawFont(font);
    c->setForeColour(0x0000FF); // red
    c->setCurrentPos(30, 20);
    c->print(QString::fromUtf8("ШЖ Hg"));
    const QImage img = c->image();
    int minX = 1000, minY = 1000, red = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(p == 0xFF0000 || p == 0x0000FF)
                << "blended pixel " << std::hex << p << std::dec << " at (" << x << ", " << y << ")";
            if (p == 0xFF0000) {
                ++red;
                minX = std::min(minX, x);
                minY = std::min(minY, y);
            }
        }
    const QFontMetrics fm(font);
    ASSERT_GT(red, 20);
    // The text cell starts at the current position: ink begins at or just after it.
    EXPECT_GE(minX, 30);
    EXPECT_LE(minX, 33);
    EXPECT_GE(minY, 20);
    EXPECT_LE(minY, 20 + fm.ascent() - fm.capHeight() + 1);
    // The position moves to the start of the next line.
    EXPECT_EQ(c->currentX(), 0);
    EXPECT_EQ(c->currentY(), 20 + fm.height());
}

TEST(Canvas, PaintPictureCombinesWithTheRasterCode) {
    auto c = makeCanvas(10, 10, 0x0F0F0F);
    const QImage src = filledPicture(2, 2, 0xFF3C3C3C);
    const ConstRasterView view(reinterpret_cast<const std::uint32_t*>(src.constBits()), 2, 2,
                               static_cast<int>(src.bytesPerLine() / 4));
    c->paintPicture(view, {0, 0, 2, 2}, {4, 4, 4, 4}, SRCINVERT);
    EXPECT_EQ(c->point(4, 4), 0x333333);
    EXPECT_EQ(c->point(7, 7), 0x333333);
    EXPECT_EQ(c->point(8, 8), 0x0F0F0F);
    EXPECT_EQ(c->point(3, 4), 0x0F0F0F);
    // Painting the canvas onto itself reads it as it was.
    c->paintPicture(c->constView(), {3, 3, 5, 5}, {4, 4, 5, 5}, SRCCOPY);
    EXPECT_EQ(c->point(4, 4), 0x0F0F0F);
    EXPECT_EQ(c->point(5, 5), 0x333333);
    EXPECT_EQ(c->point(8, 8), 0x333333);
}

TEST(Canvas, RewriteMirrorsIntoAFreshRasterWhileTheOldOneIsHeld) {
    Canvas canvas(1, 1, 0xFFFFFF);
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

TEST(Canvas, OverwriteViewTakesTheSizeAndDropsThePicture) {
    Canvas canvas(50, 40, 0xFFFFFF);
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
