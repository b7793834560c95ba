// A canvas that takes a picture of its own size uses the picture's pixels until it draws: these
// tests check that nothing it does afterwards reaches the picture it was given, its kept
// picture, or another canvas holding the same picture.
#include "document/Canvas.h"
#include "support/TestPictures.h"

#include <memory>

namespace tesmaro {
namespace {

using testing::filledPicture;
using testing::numberedPicture;
using testing::samePixels;

std::unique_ptr<Canvas> makeCanvas(int w, int h, std::int32_t back) {
    return std::make_unique<Canvas>(w, h, back);
}

QImage withPixel(QImage img, int x, int y, QRgb colour) {
    img.setPixel(x, y, colour);
    return img;
}

TEST(CanvasPicture, DrawingLeavesTheGivenPictureAlone) {
    const QImage given = numberedPicture(40, 30);
    const QImage original = given.copy();
    auto a = makeCanvas(10, 10, 0xFFFFFF);
    auto b = makeCanvas(10, 10, 0xFFFFFF);
    ASSERT_TRUE(a->setPicture(given));
    ASSERT_TRUE(b->setPicture(a->image())); // a copy from one canvas to another
    a->setPixel(3, 4, 0x0000FF);
    EXPECT_TRUE(samePixels(withPixel(original, 3, 4, 0xFFFF0000), a->image()));
    EXPECT_TRUE(samePixels(original, given));
    EXPECT_TRUE(samePixels(original, a->picture()));
    EXPECT_TRUE(samePixels(original, b->image()));
    b->pset(10, 10, 0x00FF00);
    EXPECT_TRUE(samePixels(withPixel(original, 3, 4, 0xFFFF0000), a->image()));
    EXPECT_TRUE(samePixels(withPixel(original, 10, 10, 0xFF00FF00), b->image()));
    a->cls();
    EXPECT_TRUE(samePixels(original, a->image()));
}

TEST(CanvasPicture, ClearingResizingOrRecolouringLeavesTheGivenPictureAlone) {
    const QImage given = numberedPicture(20, 12);
    const QImage original = given.copy();
    auto c = makeCanvas(5, 5, 0x00FFFF); // yellow

    ASSERT_TRUE(c->setPicture(given));
    ASSERT_TRUE(c->setCanvasSize(25, 10));
    QImage expected = filledPicture(25, 10, 0xFFFFFF00);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            expected.setPixel(x, y, original.pixel(x, y));
    EXPECT_TRUE(samePixels(expected, c->image()));

    ASSERT_TRUE(c->setPicture(given));
    c->setBackColour(0x0000FF); // the picture covers the whole canvas
    EXPECT_TRUE(samePixels(original, c->image()));

    c->setAutoSize(false);
    ASSERT_TRUE(c->setPicture(numberedPicture(8, 6)));
    expected = filledPicture(20, 12, 0xFFFF0000);
    const QImage small = numberedPicture(8, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            expected.setPixel(x, y, small.pixel(x, y));
    EXPECT_TRUE(samePixels(expected, c->image()));

    c->setAutoSize(true);
    ASSERT_TRUE(c->setPicture(given));
    c->clearPicture();
    EXPECT_TRUE(samePixels(filledPicture(20, 12, 0xFFFF0000), c->image()));
    EXPECT_TRUE(samePixels(original, given));
}

} // namespace
} // namespace tesmaro
