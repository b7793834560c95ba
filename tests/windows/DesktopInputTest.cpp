// The picture windows on today's desktops: the wheel scrolls through the windows' own bars,
// a canvas hears the pointer on whole pixels, and pictures that come with a device pixel ratio
// (a "@2x" file, a snapshot of a scaled screen) still show one picture pixel per pixel.
#include "WindowsFixture.h"
#include "windows/CanvasWidget.h"
#include "windows/ImageViewWidget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace tesmaro {
namespace {

using testing::numberedPicture;
using testing::samePixels;

// A wheel turn delivered where the pointer is, with QApplication's propagation to the parents.
void turnWheel(QWidget* under, QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPointF at(5, 5);
    QWheelEvent event(at, under->mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(under, &event);
}

class WheelOverPictureWindow : public testing::WindowsFixture {
protected:
    void SetUp() override {
        win = window(WindowId::Picture1);
        ASSERT_TRUE(win->window()->setScrollMax(1000, 800));
        win->window()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(win));
    }
    PictureWindowWidget* win = nullptr;
};

TEST_F(WheelOverPictureWindow, EachWheelMovesItsBarByOneStepAndTheCanvasFollows) {
    ASSERT_EQ(win->vsbScroll->singleStep(), 100);
    // Over the canvas, which passes the wheel on to its window.
    turnWheel(win->picMain, QPoint(0, -120)); // towards the user: down
    EXPECT_EQ(win->vsbScroll->value(), 100);
    EXPECT_EQ(win->hsbScroll->value(), 0);
    EXPECT_EQ(win->picMain->y(), -100);

    turnWheel(win->picMain, QPoint(0, -120), Qt::ShiftModifier);
    EXPECT_EQ(win->vsbScroll->value(), 100);
    EXPECT_EQ(win->hsbScroll->value(), 100);
    EXPECT_EQ(win->picMain->x(), -100);

    turnWheel(win->picMain, QPoint(-120, 0)); // tilted to the right
    EXPECT_EQ(win->hsbScroll->value(), 200);
    turnWheel(win->picMain, QPoint(120, 0));
    EXPECT_EQ(win->hsbScroll->value(), 100);
    turnWheel(win->picMain, QPoint(0, 120));
    EXPECT_EQ(win->vsbScroll->value(), 0);
    EXPECT_EQ(win->hsbScroll->value(), 100);
}

TEST_F(WheelOverPictureWindow, OverTheBarsTheSameRuleHolds) {
    // A bar left to itself would move by three steps, or a page with Shift.
    turnWheel(win->vsbScroll, QPoint(0, -120));
    EXPECT_EQ(win->vsbScroll->value(), 100);
    turnWheel(win->hsbScroll, QPoint(0, -120), Qt::ShiftModifier);
    EXPECT_EQ(win->hsbScroll->value(), 100);
    EXPECT_EQ(win->vsbScroll->value(), 100);
}

TEST_F(WheelOverPictureWindow, FineWheelsAddUpToWholeNotchesAndBarsStayInRange) {
    turnWheel(win->picMain, QPoint(0, -60));
    EXPECT_EQ(win->vsbScroll->value(), 0);
    turnWheel(win->picMain, QPoint(0, -60));
    EXPECT_EQ(win->vsbScroll->value(), 100);
    // Turning back forgets the half notch gone the other way.
    turnWheel(win->picMain, QPoint(0, -60));
    turnWheel(win->picMain, QPoint(0, 120));
    EXPECT_EQ(win->vsbScroll->value(), 0);

    turnWheel(win->picMain, QPoint(0, 120));
    EXPECT_EQ(win->vsbScroll->value(), 0);
    turnWheel(win->picMain, QPoint(0, -120 * 15));
    EXPECT_EQ(win->vsbScroll->value(), 1000);
    EXPECT_EQ(win->picMain->y(), -1000);
}

TEST(CanvasPointer, PositionsBetweenDevicePixelsAreOnThePixelTheyLieIn) {
    Canvas model(40, 30, 0xFFFFFF);
    CanvasWidget canvas(model, nullptr);
    canvas.show();
    QSignalSpy down(&canvas, &CanvasWidget::mouseDown), move(&canvas, &CanvasWidget::mouseMove),
        up(&canvas, &CanvasWidget::mouseUp);
    auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, at, canvas.mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(&canvas, &event);
    };
    send(QEvent::MouseButtonPress, QPointF(10.5, 7.5), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, QPointF(11.75, 0.25), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPointF(-0.5, 29.5), Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(down.count(), 1);
    ASSERT_EQ(move.count(), 1);
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(down.at(0).at(1).toDouble(), 10.0);
    EXPECT_EQ(down.at(0).at(2).toDouble(), 7.0);
    EXPECT_EQ(move.at(0).at(1).toDouble(), 11.0);
    EXPECT_EQ(move.at(0).at(2).toDouble(), 0.0);
    EXPECT_EQ(up.at(0).at(1).toDouble(), -1.0); // left of the canvas stays left of it
    EXPECT_EQ(up.at(0).at(2).toDouble(), 29.0);
}

TEST(CanvasPointer, ThePixelComesFromTheExactPositionInTheWindow) {
    // On a 2x screen Qt rounds the position of a pointer at 10.5 to 11 for a widget inside a
    // window; the position in the window keeps the half.
    QWidget window;
    Canvas model(40, 30, 0xFFFFFF);
    CanvasWidget canvas(model, &window);
    canvas.move(7, 9);
    window.show();
    QSignalSpy down(&canvas, &CanvasWidget::mouseDown);
    const QPointF inWindow = QPointF(7, 9) + QPointF(10.5, 20.5);
    QMouseEvent rounded(QEvent::MouseButtonPress, QPointF(11, 21), inWindow, window.mapToGlobal(inWindow),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&canvas, &rounded);
    // A made-up event whose window position is elsewhere counts where it says it is.
    QMouseEvent madeUp(QEvent::MouseButtonPress, QPointF(3, 4), QPointF(500, 500), QPointF(500, 500),
                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&canvas, &madeUp);
    ASSERT_EQ(down.count(), 2);
    EXPECT_EQ(down.at(0).at(1).toDouble(), 10.0);
    EXPECT_EQ(down.at(0).at(2).toDouble(), 20.0);
    EXPECT_EQ(down.at(1).at(1).toDouble(), 3.0);
    EXPECT_EQ(down.at(1).at(2).toDouble(), 4.0);
}

// What a widget shows, one screen pixel per widget pixel.
QImage shown(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(PictureWithPixelRatio, CanvasShowsAndKeepsEveryPicturePixel) {
    QImage picture = numberedPicture(31, 17);
    picture.setDevicePixelRatio(2);
    for (bool autoSize : {true, false}) {
        SCOPED_TRACE(autoSize ? "AutoSize" : "fixed size");
        Canvas model(31, 17, 0xFFFFFF);
        CanvasWidget canvas(model, nullptr);
        model.setAutoSize(autoSize);
        ASSERT_TRUE(model.setPicture(picture));
        EXPECT_EQ(canvas.size(), QSize(31, 17));
        EXPECT_EQ(model.image().devicePixelRatio(), 1.0);
        EXPECT_TRUE(samePixels(numberedPicture(31, 17), model.image()));
        EXPECT_TRUE(samePixels(numberedPicture(31, 17), shown(canvas)));
    }
}

TEST(PictureWithPixelRatio, ImageViewShowsItAtItsSizeInPixels) {
    QImage picture = numberedPicture(23, 19);
    picture.setDevicePixelRatio(2);
    ImageView model(5, 5);
    ImageViewWidget view(model, nullptr);
    ASSERT_TRUE(model.setPicture(picture));
    EXPECT_EQ(view.size(), QSize(23, 19));
    EXPECT_TRUE(samePixels(numberedPicture(23, 19), shown(view)));
}

TEST(CanvasPointer, MouseSignalsCarryButtonAndCanvasPixels) {
    Canvas model(50, 50, 0xFFFFFF);
    CanvasWidget c(model, nullptr);
    c.show();
    QSignalSpy down(&c, &CanvasWidget::mouseDown), up(&c, &CanvasWidget::mouseUp);
    QTest::mousePress(&c, Qt::RightButton, Qt::NoModifier, QPoint(12, 7));
    QTest::mouseRelease(&c, Qt::RightButton, Qt::NoModifier, QPoint(12, 7));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down.at(0).at(0).toInt(), 2);
    EXPECT_EQ(down.at(0).at(1).toDouble(), 12.0);
    EXPECT_EQ(down.at(0).at(2).toDouble(), 7.0);
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up.at(0).at(0).toInt(), 2);
}

TEST(ImageViewShown, StretchedDisplayRepeatsPixels) {
    ImageView model(10, 4);
    ImageViewWidget view(model, nullptr);
    model.setStretch(true);
    QImage pic(2, 1, QImage::Format_RGB32);
    pic.setPixel(0, 0, 0xFFFF0000);
    pic.setPixel(1, 0, 0xFF0000FF);
    ASSERT_TRUE(model.setPicture(pic));
    const QImage shown = view.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(10, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFF, x < 5 ? 0xFF0000u : 0x0000FFu)
                << "at (" << x << ", " << y << ")";
}

} // namespace
} // namespace tesmaro
