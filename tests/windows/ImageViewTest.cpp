#include "windows/ImageView.h"
#include "WindowsFixture.h"

#include <QPixmap>

#include <memory>

namespace tesmaro {
namespace {

using testing::filledPicture;
using testing::numberedPicture;
using testing::samePixels;

TEST(ImageView, StretchOffTakesThePictureSize) {
    ImageView view(nullptr, 390, 525);
    const QImage pic = numberedPicture(40, 30);
    ASSERT_TRUE(view.setPicture(pic));
    EXPECT_EQ(view.viewWidth(), 40);
    EXPECT_EQ(view.viewHeight(), 30);
    EXPECT_TRUE(samePixels(pic, view.picture()));
}

TEST(ImageView, StretchOnKeepsTheViewSizeAndThePictureWhole) {
    ImageView view(nullptr, 390, 525);
    view.setStretch(true);
    const QImage pic = numberedPicture(40, 30);
    ASSERT_TRUE(view.setPicture(pic));
    EXPECT_EQ(view.viewWidth(), 390);
    EXPECT_EQ(view.viewHeight(), 525);
    EXPECT_TRUE(samePixels(pic, view.picture()));
    ASSERT_TRUE(view.setViewSize(100, 60));
    EXPECT_TRUE(samePixels(pic, view.picture()));
    // Turning Stretch off gives the view the picture's size again.
    view.setStretch(false);
    EXPECT_EQ(view.viewWidth(), 40);
    EXPECT_EQ(view.viewHeight(), 30);
}

TEST(ImageView, StretchedDisplayRepeatsPixels) {
    ImageView view(nullptr, 10, 4);
    view.setStretch(true);
    QImage pic(2, 1, QImage::Format_RGB32);
    pic.setPixel(0, 0, 0xFFFF0000);
    pic.setPixel(1, 0, 0xFF0000FF);
    ASSERT_TRUE(view.setPicture(pic));
    const QImage shown = view.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(10, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFF, x < 5 ? 0xFF0000u : 0x0000FFu)
                << "at (" << x << ", " << y << ")";
}

TEST(ImageView, EmptyPictureKeepsTheSize) {
    ImageView view(nullptr, 390, 525);
    ASSERT_TRUE(view.setPicture(numberedPicture(40, 30)));
    ASSERT_TRUE(view.setPicture(QImage()));
    EXPECT_TRUE(view.picture().isNull());
    EXPECT_EQ(view.viewWidth(), 40);
    EXPECT_EQ(view.viewHeight(), 30);
}

TEST(ImageView, RefusedSizesChangeNothing) {
    ImageView view(nullptr, 390, 525);
    const QImage pic = numberedPicture(40, 30);
    ASSERT_TRUE(view.setPicture(pic));
    EXPECT_FALSE(view.setPicture(filledPicture(32768, 1, 0xFF000000)));
    EXPECT_FALSE(view.setViewSize(-1, 5));
    EXPECT_FALSE(view.setViewSize(5, 32768));
    EXPECT_EQ(view.viewWidth(), 40);
    EXPECT_TRUE(samePixels(pic, view.picture()));
    // Stretched, any picture fits the view.
    view.setStretch(true);
    EXPECT_TRUE(view.setPicture(filledPicture(32768, 1, 0xFF000000)));
    EXPECT_EQ(view.viewWidth(), 40);
}

} // namespace
} // namespace tesmaro
