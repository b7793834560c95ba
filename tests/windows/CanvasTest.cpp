#include "windows/Canvas.h"
#include "WindowsFixture.h"
#include "core/RasterOp.h"

#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace tesmaro {
namespace {

using testing::filledPicture;
using testing::numberedPicture;
using testing::samePixels;

constexpr std::int32_t kWhite = 0xFFFFFF;
constexpr QRgb kWhiteRgb = 0xFFFFFFFF;

std::unique_ptr<Canvas> makeCanvas(int w, int h, std::int32_t back = kWhite) {
    return std::make_unique<Canvas>(nullptr, w, h, back);
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
    EXPECT_EQ(c->size(), QSize(40, 30));
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
    EXPECT_EQ(c->size(), QSize(50, 25));
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

TEST(Canvas, MouseSignalsCarryButtonAndCanvasPixels) {
    auto c = makeCanvas(50, 50);
    c->show();
    QSignalSpy down(c.get(), &Canvas::mouseDown), up(c.get(), &Canvas::mouseUp);
    QTest::mousePress(c.get(), Qt::RightButton, Qt::NoModifier, QPoint(12, 7));
    QTest::mouseRelease(c.get(), Qt::RightButton, Qt::NoModifier, QPoint(12, 7));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down.at(0).at(0).toInt(), 2);
    EXPECT_EQ(down.at(0).at(1).toDouble(), 12.0);
    EXPECT_EQ(down.at(0).at(2).toDouble(), 7.0);
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up.at(0).at(0).toInt(), 2);
}

} // namespace
} // namespace tesmaro
