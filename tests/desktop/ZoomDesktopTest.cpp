// Zoom on a real X screen: Ctrl with the real wheel blows the picture up around the pointer in
// sharp blocks, the picture pixel under the pointer the same before and after, and a click with
// the segment tool at 800 % sets exactly the picture pixel under it, as "Сохранить из" saves it.
#include "support/AppFixture.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

namespace tesmaro::testing {
namespace {

QImage screenNow() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage numbered(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 37 + y * 11) & 255, (x * 3 + y * 29) & 255, ((x ^ y) * 7) & 255));
    return img;
}

class ZoomOnScreen : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        xdotool = QStandardPaths::findExecutable("xdotool");
        if (xdotool.isEmpty())
            GTEST_SKIP() << "xdotool is not installed";
        ASSERT_TRUE(pictureWindow(WindowId::Picture1)->picMain->setPicture(picture));
        ASSERT_TRUE(pictureWindow(WindowId::Picture1)->setScrollMax(picture.height(), picture.width()));
        win = pictureWindowWidget(WindowId::Picture1);
        win->move(300, 100);
        pictureWindow(WindowId::Picture1)->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(win));
        QTest::qWait(200);
    }
    int run(const QStringList& args) { return QProcess::execute(xdotool, args); }
    QPoint onScreen(QPoint inCanvasArea) { return win->picBox->inner()->mapToGlobal(inCanvasArea); }

    const QImage picture = numbered(120, 90);
    QString xdotool;
    PictureWindowWidget* win = nullptr;
};

TEST_F(ZoomOnScreen, CtrlWheelBlowsUpAroundThePointerAndAClickSetsThePixelUnderIt) {
    const QPoint pointer(53, 41); // in the canvas's area: picture pixel (53, 41) at 100 %
    const QPoint at = onScreen(pointer);
    ASSERT_EQ(run({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y())}), 0);
    const QRgb before = screenNow().pixel(at) & 0xFFFFFF;
    ASSERT_EQ(before, picture.pixel(53, 41) & 0xFFFFFF);
    // Three notches away from the user with Ctrl held: 150, 200, 300 %.
    ASSERT_EQ(run({"keydown", "ctrl", "click", "4", "click", "4", "click", "4", "keyup", "ctrl"}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return win->zoomStep() == zoom::kFullSizeStep + 3; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(screenNow().pixel(at) & 0xFFFFFF, before) << "the pixel under the pointer stays";

    // Up to 800 %, then every screen pixel of the view is its picture pixel's colour.
    ASSERT_EQ(run({"keydown", "ctrl", "click", "4", "click", "4", "click", "4", "keyup", "ctrl"}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return win->zoomStep() == 12; }, 5000));
    win->findChild<QLabel*>("zoomShown")->hide();
    QTest::qWait(100);
    const QImage screen = screenNow();
    const PictureWindow& model = *win->window();
    const QPoint scroll(model.scroll->horizontal().value, model.scroll->vertical().value);
    const QPoint origin = onScreen(QPoint(0, 0));
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) {
            const QPoint pixel = scroll + QPoint(x / 8, y / 8);
            if (pixel.x() >= picture.width() || pixel.y() >= picture.height())
                continue;
            ASSERT_EQ(screen.pixel(origin + QPoint(x, y)) & 0xFFFFFF, picture.pixel(pixel) & 0xFFFFFF)
                << "view " << x << ", " << y;
        }
    EXPECT_EQ(screen.pixel(at) & 0xFFFFFF, before);

    // A click with "отрезок" on the right-hand part of a block: exactly that pixel, in black.
    main->Option24->setChecked(true);
    const QPoint target = scroll + QPoint(9, 6); // the picture pixel of view block (9, 6)
    const QPoint click = onScreen(QPoint(9 * 8 + 6, 6 * 8 + 5));
    ASSERT_EQ(
        run({"mousemove", "--sync", QString::number(click.x()), QString::number(click.y()), "click", "1"}),
        0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->history().undoSteps() == 1; }, 5000));
    main->Text5->setText("zoomed");
    main->Option2->setChecked(true);
    main->Option29->setChecked(true);
    main->Check6->setChecked(false);
    main->Command2->click();
    QImage expected = picture;
    expected.setPixel(target, 0xFF000000);
    EXPECT_TRUE(samePixels(expected, QImage(fake->filePath("zoomed.bmp"))));
}

} // namespace
} // namespace tesmaro::testing
