#include "document/ImageView.h"
#include "support/TestPictures.h"

#include <memory>

namespace tesmaro {
namespace {

using testing::filledPicture;
using testing::numberedPicture;
using testing::samePixels;

TEST(ImageView, StretchOffTakesThePictureSize) {
    ImageView view(390, 525);
    const QImage pic = numberedPicture(40, 30);
    ASSERT_TRUE(view.setPicture(pic));
    EXPECT_EQ(view.viewWidth(), 40);
    EXPECT_EQ(view.viewHeight(), 30);
    EXPECT_TRUE(samePixels(pic, view.picture()));
}

TEST(ImageView, StretchOnKeepsTheViewSizeAndThePictureWhole) {
    ImageView view(390, 525);
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

TEST(ImageView, EmptyPictureKeepsTheSize) {
    ImageView view(390, 525);
    ASSERT_TRUE(view.setPicture(numberedPicture(40, 30)));
    ASSERT_TRUE(view.setPicture(QImage()));
    EXPECT_TRUE(view.picture().isNull());
    EXPECT_EQ(view.viewWidth(), 40);
    EXPECT_EQ(view.viewHeight(), 30);
}

TEST(ImageView, RefusedSizesChangeNothing) {
    ImageView view(390, 525);
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
