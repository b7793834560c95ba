#include "ResizeFixture.h"
#include "resize/ResizeCommands.h"

namespace tesmaro {
namespace {

using testing::currentDocument;
using testing::Picture;
using testing::pictureWindow;
using testing::rgbPixel;
using testing::samePicture;

class Reverse : public testing::CommandTest {
protected:
    Picture show(PictureWindow* window, const Picture& p) {
        EXPECT_TRUE(window->picMain->setPicture(testing::toImage(p)));
        return p;
    }
    Picture content(PictureWindow* window) { return testing::fromImage(window->picMain->image()); }
};

TEST_F(Reverse, MirrorsTheFirstPictureWithItsTitles) {
    PictureWindow* window = pictureWindow(WindowId::Picture1);
    Picture p(3, 4);
    for (int y = 0; y < 4; ++y) {
        p.at(0, y) = rgbPixel(255, 0, y);
        p.at(1, y) = rgbPixel(0, 255, y);
        p.at(2, y) = rgbPixel(0, 0, 255 - y);
    }
    show(window, p);
    QStringList* titles = testing::recordTitles(window);
    main->Command5->click();

    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(p.at(2, y), content(window).at(0, y));
        EXPECT_EQ(p.at(1, y), content(window).at(1, y)) << "the middle column stays";
        EXPECT_EQ(p.at(0, y), content(window).at(2, y));
    }
    QStringList expected;
    for (int percent : {12, 25, 37, 50, 62, 75, 87, 100})
        expected << QStringLiteral("Реверс   выполнено %1 процентов ").arg(percent);
    expected << "Picture1 - источник";
    EXPECT_EQ(expected, *titles);
    EXPECT_EQ("Picture2 - приемник", pictureWindow(WindowId::Picture2)->title());
    EXPECT_EQ(4, main->document().state.PicHeight);
    EXPECT_EQ(3, main->document().state.PicWidth);
    EXPECT_FALSE(window->isVisible()) << "Reverse does not show the window";
    EXPECT_TRUE(fake->messages.shown.empty());
    EXPECT_EQ((std::vector<bool>{true, false}), fake->busy.history);
}

TEST_F(Reverse, SecondPictureTwiceIsRestored) {
    PictureWindow* window = pictureWindow(WindowId::Picture2);
    const Picture p = show(window, testing::randomPicture(33, 17, 3));
    show(pictureWindow(WindowId::Picture1), testing::randomPicture(5, 5, 4));
    main->Option30->setChecked(true);
    main->Command5->click();
    Picture mirrored(33, 17);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 33; ++x)
            mirrored.at(x, y) = p.at(32 - x, y);
    EXPECT_TRUE(samePicture(mirrored, content(window)));
    EXPECT_EQ(17, main->document().state.PicHeight);
    EXPECT_EQ(33, main->document().state.PicWidth);
    main->Command5->click();
    EXPECT_TRUE(samePicture(p, content(window)));
    EXPECT_EQ("Picture1 - источник", pictureWindow(WindowId::Picture1)->title());
    EXPECT_EQ("Picture2 - приемник", pictureWindow(WindowId::Picture2)->title());
}

TEST_F(Reverse, OnePixelStaysAndStillShowsBothHalves) {
    PictureWindow* window = pictureWindow(WindowId::Picture1);
    show(window, Picture(1, 1, rgbPixel(1, 2, 3)));
    QStringList* titles = testing::recordTitles(window);
    main->Command5->click();
    EXPECT_EQ(rgbPixel(1, 2, 3), content(window).at(0, 0));
    EXPECT_EQ((QStringList{"Реверс   выполнено 50 процентов ", "Реверс   выполнено 100 процентов ",
                           "Picture1 - источник"}),
              *titles);
    EXPECT_EQ(1, main->document().state.PicWidth);
    EXPECT_EQ(1, main->document().state.PicHeight);
}

TEST_F(Reverse, ANeverLoadedWindowMirrorsItsEmptyBox) {
    main->Command5->click();
    EXPECT_TRUE(fake->messages.shown.empty());
    EXPECT_FALSE(pictureWindow(WindowId::Picture1)->isVisible());
    EXPECT_EQ(pictureWindow(WindowId::Picture1)->picMain->canvasWidth(), main->document().state.PicWidth);
    EXPECT_EQ("Picture1 - источник", pictureWindow(WindowId::Picture1)->title());
}

} // namespace
} // namespace tesmaro
