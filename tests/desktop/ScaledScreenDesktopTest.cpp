// The program on a screen scaled 2x (Xvfb 2560 x 1600, QT_SCALE_FACTOR=2): the start-up size
// fields and the snapshot count the screen's own pixels, every one of them, and the canvases take
// the pointer on whole picture pixels.
#include "support/AppFixture.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

#include <memory>

namespace tesmaro::testing {
namespace {

constexpr QSize kScreen(2560, 1600);

// A pattern of single device pixels, each unlike its neighbours.
QImage devicePattern(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 37 + y * 11) & 255, (x * 3 + y * 29) & 255, ((x ^ y) * 7) & 255));
    return img;
}

// A window that paints the pattern at one pattern pixel per device pixel.
class PatternWindow : public QWidget {
public:
    explicit PatternWindow(const QImage& pattern)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint), m_pattern(pattern) {
        m_pattern.setDevicePixelRatio(2);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, m_pattern);
    }

private:
    QImage m_pattern;
};

QImage screenNow() {
    QImage shot =
        QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    shot.setDevicePixelRatio(1);
    return shot;
}

// Where a widget's top-left pixel is on the screen, in device pixels. The window manager may put a
// window at an odd device pixel, which Qt's logical window position cannot say.
QPoint deviceOrigin(QWidget* widget) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return {};
    QWidget* top = widget->window();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> t(
        xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, static_cast<xcb_window_t>(top->winId()), root, 0, 0), nullptr),
        &std::free);
    if (!t)
        return {};
    return QPoint(t->dst_x, t->dst_y) + widget->mapTo(top, QPoint(0, 0)) * 2;
}

class ScaledScreen : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
        installQtPlatformRecording(messages, folder);
        main = startMainWindow();
    }
    void TearDown() override { discardWindows(main); }

    FakeMessageBoxes messages;
    FakeAppFolder folder;
    std::unique_ptr<MainWindow> main;
};

TEST_F(ScaledScreen, StartUpFieldsShowTheScreenInItsOwnPixels) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().size(), kScreen / 2);
    for (QLineEdit* e : {main->Text3, main->Text13, main->Text7, main->Text17})
        EXPECT_EQ(e->text(), "1600") << e->objectName().toStdString();
    for (QLineEdit* e : {main->Text4, main->Text14, main->Text8, main->Text18})
        EXPECT_EQ(e->text(), "2560") << e->objectName().toStdString();
    EXPECT_EQ(main->Text15->text(), "1600 * 2560");
}

TEST_F(ScaledScreen, SnapshotHoldsEveryPixelOfTheWholeScreen) {
    // The pattern in the bottom-right corner, 240 x 160 device pixels.
    const QImage pattern = devicePattern(240, 160);
    const QRect place(kScreen.width() - 240, kScreen.height() - 160, 240, 160);
    PatternWindow marker(pattern);
    marker.setGeometry(QRect(place.topLeft() / 2, place.size() / 2));
    marker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&marker));
    ASSERT_TRUE(QTest::qWaitFor([&] { return samePixels(pattern, screenNow().copy(place)); }, 5000))
        << "the pattern is not on the screen where the test put it";

    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    ASSERT_TRUE(main->Option7->isChecked());
    main->Command1->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return main->isVisible() && currentDocument()->exists(WindowId::Temp) &&
                   pictureWindow(WindowId::Temp)->isVisible();
        },
        10000));
    EXPECT_TRUE(messages.shown.empty());

    const QImage temp = QImage(folder.path() + "/Temp.bmp").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(temp.size(), kScreen);
    EXPECT_TRUE(samePixels(pattern, temp.copy(place)));
    EXPECT_TRUE(samePixels(temp, pictureWindow(WindowId::Temp)->picMain->image()));
    EXPECT_EQ(pictureWindow(WindowId::Temp)->picMain->canvasWidth(), 2560);
    EXPECT_EQ(main->Text7->text(), "1600");
    EXPECT_EQ(main->Text8->text(), "2560");
}

TEST_F(ScaledScreen, CanvasShowsEachPicturePixelAsTwoByTwoScreenPixels) {
    const QImage picture = devicePattern(60, 40);
    ASSERT_TRUE(pictureWindow(WindowId::Picture1)->picMain->setPicture(picture));
    PictureWindowWidget* win = pictureWindowWidget(WindowId::Picture1);
    win->move(100, 100);
    pictureWindow(WindowId::Picture1)->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(win));
    const QPoint origin = deviceOrigin(win->picMain);
    QImage magnified(120, 80, QImage::Format_RGB32);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x)
            magnified.setPixel(x, y, picture.pixel(x / 2, y / 2));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return samePixels(magnified, screenNow().copy(QRect(origin, QSize(120, 80)))); }, 5000));
    EXPECT_TRUE(samePixels(magnified, screenNow().copy(QRect(origin, QSize(120, 80)))));
}

TEST_F(ScaledScreen, CanvasHearsThePointerOnWholePicturePixels) {
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    if (xdotool.isEmpty())
        GTEST_SKIP() << "xdotool is not installed";
    PictureWindowWidget* win = pictureWindowWidget(WindowId::Picture1);
    win->move(100, 100);
    pictureWindow(WindowId::Picture1)->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(win));
    QSignalSpy down(win->picMain, &CanvasWidget::mouseDown);
    // The device pixel right of and below the canvas pixel (10, 20)'s top-left: logical 10.5, 20.5.
    const QPoint origin = deviceOrigin(win->picMain);
    const QPoint at = origin + QPoint(2 * 10 + 1, 2 * 20 + 1);
    ASSERT_EQ(QProcess::execute(xdotool, {"mousemove", "--sync", QString::number(at.x()),
                                          QString::number(at.y()), "click", "1"}),
              0);
    ASSERT_TRUE(down.count() > 0 || down.wait(5000));
    EXPECT_EQ(down.at(0).at(1).toDouble(), 10.0);
    EXPECT_EQ(down.at(0).at(2).toDouble(), 20.0);
}

TEST_F(ScaledScreen, WheelOverTheCanvasScrollsItsWindow) {
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    if (xdotool.isEmpty())
        GTEST_SKIP() << "xdotool is not installed";
    ASSERT_TRUE(pictureWindow(WindowId::Picture1)->setScrollMax(1000, 1000));
    PictureWindowWidget* win = pictureWindowWidget(WindowId::Picture1);
    win->move(100, 100);
    pictureWindow(WindowId::Picture1)->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(win));
    const QPoint at = deviceOrigin(win->picMain) + QPoint(100, 100);
    ASSERT_EQ(
        QProcess::execute(xdotool, {"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()),
                                    "click", "5"}), // the wheel turned down one notch
        0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return win->vsbScroll->value() == 100; }, 5000))
        << "value " << win->vsbScroll->value();
    ASSERT_EQ(QProcess::execute(xdotool, {"keydown", "shift", "click", "5", "keyup", "shift"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return win->hsbScroll->value() == 100; }, 5000))
        << "value " << win->hsbScroll->value();
    EXPECT_EQ(win->vsbScroll->value(), 100);
}

} // namespace
} // namespace tesmaro::testing
