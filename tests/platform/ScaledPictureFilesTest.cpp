// Picture files named for scaled screens ("name@2x.png") come with a device pixel ratio from Qt's
// reader; a load still takes them pixel for pixel, at their size in pixels.
#include "support/AppFixture.h"

#include <QTemporaryDir>

namespace tesmaro::testing {
namespace {

// Pixels that differ from their neighbours, some of them half transparent.
QImage translucentPicture(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y,
                         qRgba((x * 9 + y) & 255, (y * 7) & 255, (x ^ y) * 5 & 255, (x + y) % 3 ? 255 : 128));
    return img;
}

// The picture over white, as a load makes it opaque.
QImage overWhite(const QImage& picture) {
    QImage out(picture.size(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            const int a = qAlpha(p);
            auto blend = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            out.setPixel(x, y, qRgb(blend(qRed(p)), blend(qGreen(p)), blend(qBlue(p))));
        }
    return out;
}

class ScaledPictureFiles : public AppFixture {};

TEST_F(ScaledPictureFiles, DoubleSizeFileLoadsWholeIntoPictureAndImage) {
    QTemporaryDir dir;
    const QImage picture = translucentPicture(41, 27);
    const QString path = dir.filePath("icon@2x.png");
    ASSERT_TRUE(picture.save(path));
    ASSERT_EQ(QImage(path).devicePixelRatio(), 2.0) << "Qt no longer reads a ratio from the name";
    const QImage expected = overWhite(picture);

    for (QRadioButton* target : {main->Option2, main->Option1}) {
        SCOPED_TRACE(target->objectName().toStdString());
        target->setChecked(true);
        // AutoSize on for the canvas, Stretch off for the view: either takes the picture's size.
        (target == main->Option2 ? main->Option6 : main->Option5)->setChecked(true);
        fake->files.answer = {OpenFileResult::Outcome::Chosen, path};
        main->Command1->click();
        EXPECT_TRUE(fake->messages.shown.empty());
        EXPECT_EQ(main->Text7->text(), "27");
        EXPECT_EQ(main->Text8->text(), "41");
        // Colours within one step: the painter rounds its blend its own way.
        EXPECT_TRUE(samePixels(expected, QImage(fake->filePath("Temp.bmp")), 1));
        if (target == main->Option2) {
            const Canvas* canvas = pictureWindow(WindowId::Picture1)->picMain;
            EXPECT_TRUE(samePixels(expected, canvas->image(), 1));
        } else {
            ImageViewWidget* view = imageWindowWidget(WindowId::Image1)->Image1;
            EXPECT_EQ(view->size(), QSize(41, 27));
            EXPECT_TRUE(
                samePixels(expected, view->grab().toImage().convertToFormat(QImage::Format_RGB32), 1));
        }
    }
}

} // namespace
} // namespace tesmaro::testing
