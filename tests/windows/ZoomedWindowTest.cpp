// Zoom in a picture window: the keys and Ctrl with the wheel step it around their anchor, the
// picture pixel under the anchor kept; the window shows the picture blown up in sharp blocks; a
// click lands on the picture pixel under it; the zoom is the window's, not the document's.
#include "WindowsFixture.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace tesmaro {
namespace {

using testing::numberedPicture;

class ZoomedWindow : public testing::WindowsFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(doc.pictureWindow(WindowId::Picture1).picMain->setPicture(numberedPicture(300, 200)));
        ASSERT_TRUE(doc.pictureWindow(WindowId::Picture1).setScrollMax(200, 300));
        win = window(WindowId::Picture1);
        doc.pictureWindow(WindowId::Picture1).show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(win));
    }
    QPoint scroll() const {
        const PictureWindow& w = *win->window();
        return {w.scroll->horizontal().value, w.scroll->vertical().value};
    }
    // The picture pixel a view point of picBox's inner area shows, as the screen shows it.
    QRgb shownAt(QPoint view) {
        const QImage shown = win->picBox->inner()->grab().toImage();
        return shown.pixel(view) & 0xFFFFFF;
    }
    void ctrlWheel(QPoint view, int notches) {
        const QPointF at = win->picMain->mapFrom(win->picBox->inner(), QPointF(view));
        QWheelEvent event(at, win->picMain->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(win->picMain, &event);
    }
    PictureWindowWidget* win = nullptr;
};

TEST_F(ZoomedWindow, WheelAndKeysKeepThePixelUnderTheirAnchor) {
    const QImage picture = numberedPicture(300, 200);
    const QPoint pointer(101, 77);
    const QRgb under = picture.pixel(pointer) & 0xFFFFFF;
    // Up to 3200 % and down to 6.25 %, one notch at a time: the same pixel under the pointer
    // wherever the picture's edge does not stop it.
    for (int notch = 0; notch < 10; ++notch) {
        ctrlWheel(pointer, 1);
        EXPECT_EQ(shownAt(pointer), under) << "zoom step " << win->zoomStep();
    }
    EXPECT_EQ(win->zoomStep(), zoom::kStepCount - 1);
    EXPECT_EQ(win->picMain->accessibleDescription(), "масштаб 3200 %");
    while (win->zoomStep() > zoom::kFullSizeStep) {
        ctrlWheel(pointer, -1);
        EXPECT_EQ(shownAt(pointer), under) << "zoom step " << win->zoomStep();
    }
    EXPECT_EQ(scroll(), QPoint(0, 0)) << "back at 100 % the picture is where it was";
    // The keys step around the view's centre; Ctrl+0 returns to 100 %.
    QTest::keyClick(win, Qt::Key_Equal, Qt::ControlModifier);
    QTest::keyClick(win, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(win->zoomStep(), zoom::kFullSizeStep + 2);
    QTest::keyClick(win, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(win->zoomStep(), zoom::kFullSizeStep + 1);
    QTest::keyClick(win, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(win->zoomStep(), zoom::kFullSizeStep);
    EXPECT_EQ(win->picMain->accessibleDescription(), "масштаб 100 %");
}

TEST_F(ZoomedWindow, BlocksAreSharpAndAClickLandsOnThePixelUnderIt) {
    win->setZoomStep(12, QPointF(0, 0)); // 800 %
    ASSERT_EQ(win->picMain->scale(), (zoom::Scale{8, 1}));
    const QImage picture = numberedPicture(300, 200);
    win->findChild<QLabel*>("zoomShown")->hide(); // the zoom shown in the corner for a moment
    const QImage shown = win->picBox->inner()->grab().toImage();
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFF, picture.pixel(x / 8, y / 8) & 0xFFFFFF) << x << ", " << y;
    QSignalSpy down(win->picMain, &CanvasWidget::mouseDown);
    QTest::mouseClick(win->picMain, Qt::LeftButton, Qt::NoModifier, QPoint(8 * 13 + 7, 8 * 5));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down.at(0).at(1).toDouble(), 13.0);
    EXPECT_EQ(down.at(0).at(2).toDouble(), 5.0);
}

TEST_F(ZoomedWindow, TheZoomIsTheWindowsAndGoesWithIt) {
    win->setZoomStep(zoom::kFullSizeStep + 2, QPointF(0, 0));
    // A command replacing the picture keeps the zoom; the document knows nothing of it.
    ASSERT_TRUE(doc.pictureWindow(WindowId::Picture1).picMain->setPicture(numberedPicture(40, 30)));
    EXPECT_EQ(win->zoomStep(), zoom::kFullSizeStep + 2);
    EXPECT_EQ(win->picMain->size(), QSize(80, 60));
    // A discarded window comes back at 100 %; a window that never shows does not zoom.
    doc.discard(WindowId::Picture1);
    EXPECT_EQ(window(WindowId::Picture1)->zoomStep(), zoom::kFullSizeStep);
    PictureWindowWidget* hidden = window(WindowId::MCopy1);
    hidden->setZoomStep(zoom::kFullSizeStep + 3, QPointF(0, 0));
    EXPECT_EQ(hidden->zoomStep(), zoom::kFullSizeStep);
}

} // namespace
} // namespace tesmaro
