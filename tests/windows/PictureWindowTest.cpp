#include "WindowsFixture.h"

#include <QPointer>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <vector>

namespace tesmaro {
namespace {

using testing::samePixels;

class PictureWindows : public testing::WindowsFixture {};

struct Expected {
    WindowId id;
    const char* name;
    const char* caption;
    QRect client;
    QSize canvas;
    int vbarTop;
    int hbarLeft;
    int shortening;
};

// The design table, written out here rather than read back from the code.
const Expected kPictureWindows[] = {
    {WindowId::Picture1, "frmPicture1", "Picture - источник", {4, 23, 392, 526}, {300, 500}, 24, 0, 0},
    {WindowId::Picture2, "frmPicture2", "Picture - приемник", {404, 23, 392, 527}, {300, 500}, 24, 0, 0},
    {WindowId::Temp, "frmTemp", "Temp", {-3, 23, 392, 318}, {393, 273}, 8, 8, 0},
    {WindowId::MCopy1, "frmMCopy1", "MCopy1 - источник ", {4, 223, 425, 303}, {369, 249}, 0, 0, 20},
    {WindowId::MCopy2, "frmMCopy2", "MCopy2 - приемник", {4, 23, 425, 518}, {289, 249}, 0, 0, 20},
};

void showAndResize(PictureWindowWidget* w, int width, int height) {
    w->window()->show();
    w->resize(width, height);
    QTRY_COMPARE(w->size(), QSize(width, height));
    QTRY_COMPARE(w->picBox->size(), QSize(width, height));
}

// The rectangle of a bar's part (arrow, trough) in the bar's own coordinates.
QPoint partCentre(QScrollBar* bar, QStyle::SubControl part) {
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    opt.upsideDown = bar->invertedAppearance();
    if (bar->orientation() == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar).center();
}

void click(QScrollBar* bar, QStyle::SubControl part) {
    const QPoint at = partCentre(bar, part);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, at);
}

TEST_F(PictureWindows, DesignValuesOfTheScrollableWindows) {
    for (const Expected& e : kPictureWindows) {
        SCOPED_TRACE(e.name);
        ASSERT_FALSE(doc.exists(e.id));
        PictureWindowWidget* w = window(e.id);
        ASSERT_TRUE(doc.exists(e.id));
        EXPECT_FALSE(w->isVisible()) << "created hidden";
        EXPECT_EQ(w->objectName(), e.name);
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(e.caption));
        EXPECT_EQ(w->geometry(), e.client);
        EXPECT_EQ(w->picMain->objectName(), "picMain");
        EXPECT_EQ(w->picMain->size(), e.canvas);
        EXPECT_EQ(w->picMain->pos(), QPoint(0, 0));
        EXPECT_TRUE(w->picMain->canvas()->autoSize());
        EXPECT_EQ(w->picMain->canvas()->backColour(), 0xFFFFFF);
        EXPECT_TRUE(samePixels(testing::filledPicture(e.canvas.width(), e.canvas.height(), 0xFFFFFFFF),
                               w->picMain->canvas()->image()));
        EXPECT_TRUE(w->picMain->canvas()->picture().isNull());
        EXPECT_EQ(w->picBox->objectName(), "picBox");
        EXPECT_EQ(w->picBox->geometry(), QRect(QPoint(0, 0), e.client.size()));
        for (QScrollBar* bar : {w->vsbScroll, w->hsbScroll}) {
            EXPECT_EQ(bar->minimum(), 0);
            EXPECT_EQ(bar->maximum(), 0);
            EXPECT_EQ(bar->value(), 0);
            EXPECT_EQ(bar->singleStep(), 100);
            EXPECT_EQ(bar->pageStep(), 100);
        }
        EXPECT_EQ(w->vsbScroll->objectName(), "vsbScroll");
        EXPECT_EQ(w->hsbScroll->objectName(), "hsbScroll");
        EXPECT_EQ(w->vsbScroll->orientation(), Qt::Vertical);
        EXPECT_EQ(w->vsbScroll->width(), 17);
        EXPECT_EQ(w->hsbScroll->height(), 17);
        EXPECT_EQ(w->vsbScroll->y(), e.vbarTop);
        EXPECT_EQ(w->hsbScroll->x(), e.hbarLeft);
        // The bars lie over the canvas, the horizontal one on top.
        const QObjectList stack = w->picBox->inner()->children();
        EXPECT_LT(stack.indexOf(w->picMain), stack.indexOf(w->vsbScroll));
        EXPECT_LT(stack.indexOf(w->vsbScroll), stack.indexOf(w->hsbScroll));
    }
    // frmPicture1's bars before the window is first shown.
    PictureWindowWidget* p = window(WindowId::Picture1);
    EXPECT_EQ(p->vsbScroll->geometry(), QRect(360, 24, 17, 201));
    EXPECT_EQ(p->hsbScroll->geometry(), QRect(0, 496, 369, 17));
}

TEST_F(PictureWindows, DesignValuesOfTheImageWindows) {
    const struct {
        WindowId id;
        const char* name;
        const char* caption;
        QRect client;
        QSize view;
    } cases[] = {
        {WindowId::Image1, "frmImage1", "Image - источник", {4, 23, 392, 529}, {390, 525}},
        {WindowId::Image2, "frmImage2", "Image - приемник", {404, 23, 392, 536}, {390, 531}},
    };
    for (const auto& e : cases) {
        SCOPED_TRACE(e.name);
        ImageWindowWidget* w = imageWindowOf(e.id);
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->objectName(), e.name);
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(e.caption));
        EXPECT_EQ(w->geometry(), e.client);
        EXPECT_EQ(w->Image1->objectName(), "Image1");
        EXPECT_EQ(w->Image1->geometry(), QRect(QPoint(0, 0), e.view));
        EXPECT_FALSE(w->Image1->view()->stretch());
        EXPECT_TRUE(w->Image1->view()->picture().isNull());
        // Resizing the window leaves the view alone.
        w->window()->show();
        w->resize(200, 100);
        QTRY_COMPARE(w->size(), QSize(200, 100));
        EXPECT_EQ(w->Image1->geometry(), QRect(QPoint(0, 0), e.view));
    }
}

TEST_F(PictureWindows, TempHasAWhiteViewport) {
    PictureWindowWidget* w = window(WindowId::Temp);
    ASSERT_TRUE(w->picMain->canvas()->setCanvasSize(20, 20));
    w->window()->show();
    const QImage shown = w->picBox->inner()->grab().toImage();
    EXPECT_EQ(shown.pixel(200, 150) & 0xFFFFFF, 0xFFFFFFu);
    // The others keep the system default.
    PictureWindowWidget* p = window(WindowId::Picture1);
    EXPECT_EQ(p->picBox->inner()->palette().color(QPalette::Window),
              QApplication::palette(p->picBox->inner()).color(QPalette::Window));
}

TEST_F(PictureWindows, LayoutOnResize) {
    for (const Expected& e : kPictureWindows) {
        SCOPED_TRACE(e.name);
        PictureWindowWidget* w = window(e.id);
        showAndResize(w, 500, 400);
        QWidget* view = w->picBox->inner();
        // The view is the box's inner area, inside its border.
        EXPECT_EQ(view->width(), w->picBox->scaleWidth());
        EXPECT_EQ(view->height(), w->picBox->scaleHeight());
        EXPECT_LT(view->width(), 500);
        EXPECT_GT(view->width(), 490);
        EXPECT_EQ(w->picBox->width() - view->width(), w->picBox->height() - view->height());
        // The bars against the view's right and bottom inner edges, measured from the client size.
        EXPECT_EQ(w->vsbScroll->geometry(), QRect(view->width() - 17, e.vbarTop, 17, 400 - e.shortening));
        EXPECT_EQ(w->hsbScroll->geometry(), QRect(e.hbarLeft, view->height() - 17, 500 - e.shortening, 17));
        EXPECT_EQ(w->picMain->geometry(), QRect(QPoint(0, 0), e.canvas));
    }
}

TEST_F(PictureWindows, TooSmallClientLeavesMultiCopyBarLengths) {
    PictureWindowWidget* w = window(WindowId::MCopy2);
    showAndResize(w, 300, 200);
    ASSERT_EQ(w->vsbScroll->height(), 180);
    ASSERT_EQ(w->hsbScroll->width(), 280);
    showAndResize(w, 15, 10);
    EXPECT_EQ(w->vsbScroll->height(), 180);
    EXPECT_EQ(w->hsbScroll->width(), 280);
    EXPECT_EQ(w->vsbScroll->x(), w->picBox->scaleWidth() - 17);
}

TEST_F(PictureWindows, ScrollingMovesTheCanvas) {
    PictureWindowWidget* w = window(WindowId::Picture1);
    ASSERT_TRUE(w->picMain->canvas()->setPicture(testing::numberedPicture(1024, 768)));
    ASSERT_TRUE(w->window()->setScrollMax(768, 1024));
    showAndResize(w, 392, 526);
    EXPECT_EQ(w->vsbScroll->maximum(), 768);
    EXPECT_EQ(w->hsbScroll->maximum(), 1024);

    w->vsbScroll->setValue(250);
    EXPECT_EQ(w->picMain->pos(), QPoint(0, -250));
    w->hsbScroll->setValue(300);
    EXPECT_EQ(w->picMain->pos(), QPoint(-300, -250));

    // Dragging the thumb to the end: the picture follows live and leaves the view.
    w->vsbScroll->setSliderDown(true);
    w->vsbScroll->setSliderPosition(500);
    EXPECT_EQ(w->picMain->y(), -500);
    w->vsbScroll->setSliderPosition(768);
    w->vsbScroll->setSliderDown(false);
    EXPECT_EQ(w->picMain->y(), -768);
    EXPECT_EQ(w->picMain->geometry().bottom(), -1);
}

TEST_F(PictureWindows, ArrowsAndTroughMoveByOneHundred) {
    PictureWindowWidget* w = window(WindowId::Picture2);
    ASSERT_TRUE(w->window()->setScrollMax(768, 1024));
    showAndResize(w, 392, 527);
    click(w->vsbScroll, QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(w->vsbScroll->value(), 100);
    EXPECT_EQ(w->picMain->y(), -100);
    click(w->vsbScroll, QStyle::SC_ScrollBarSubLine);
    EXPECT_EQ(w->vsbScroll->value(), 0);
    click(w->hsbScroll, QStyle::SC_ScrollBarAddPage);
    EXPECT_EQ(w->hsbScroll->value(), 100);
    EXPECT_EQ(w->picMain->x(), -100);

    // A maximum below one step: the arrow goes to the maximum.
    ASSERT_TRUE(w->window()->setScrollMax(60, 1024));
    click(w->vsbScroll, QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(w->vsbScroll->value(), 60);
    EXPECT_EQ(w->picMain->y(), -60);
}

TEST_F(PictureWindows, ValueDropsToASmallerNewMaximum) {
    PictureWindowWidget* w = window(WindowId::Picture1);
    ASSERT_TRUE(w->window()->setScrollMax(768, 1024));
    w->vsbScroll->setValue(700);
    w->hsbScroll->setValue(200);
    ASSERT_TRUE(w->window()->setScrollMax(500, 1000));
    EXPECT_EQ(w->vsbScroll->value(), 500);
    EXPECT_EQ(w->hsbScroll->value(), 200);
    EXPECT_EQ(w->picMain->pos(), QPoint(-200, -500));
    // A larger maximum keeps the value.
    ASSERT_TRUE(w->window()->setScrollMax(2000, 2000));
    EXPECT_EQ(w->vsbScroll->value(), 500);
    EXPECT_EQ(w->vsbScroll->minimum(), 0);
    // 16-bit range: out-of-range values are refused and change nothing.
    EXPECT_TRUE(w->window()->setScrollMax(32767, 0));
    EXPECT_EQ(w->hsbScroll->value(), 0);
    EXPECT_FALSE(w->window()->setScrollMax(32768, 10));
    EXPECT_FALSE(w->window()->setScrollMax(10, -1));
    EXPECT_EQ(w->vsbScroll->maximum(), 32767);
    EXPECT_EQ(w->hsbScroll->maximum(), 0);
    EXPECT_EQ(w->hsbScroll->minimum(), 0);
}

TEST_F(PictureWindows, MultiCopySourceBarsNeverMove) {
    PictureWindowWidget* w = window(WindowId::MCopy1);
    ASSERT_TRUE(w->picMain->canvas()->setPicture(testing::numberedPicture(800, 600)));
    showAndResize(w, 425, 303);
    click(w->vsbScroll, QStyle::SC_ScrollBarAddLine);
    click(w->hsbScroll, QStyle::SC_ScrollBarAddPage);
    w->vsbScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(w->vsbScroll->value(), 0);
    EXPECT_EQ(w->hsbScroll->value(), 0);
    EXPECT_EQ(w->picMain->pos(), QPoint(0, 0));
}

TEST_F(PictureWindows, ClosedWindowComesBackWithDesignValues) {
    for (const Expected& e : kPictureWindows) {
        SCOPED_TRACE(e.name);
        QPointer<PictureWindowWidget> first = window(e.id);
        first->window()->show();
        first->setGeometry(100, 120, 600, 300);
        first->window()->setTitle("changed");
        ASSERT_TRUE(first->picMain->canvas()->setPicture(testing::numberedPicture(640, 480)));
        first->picMain->canvas()->pset(5, 5, 0);
        ASSERT_TRUE(first->window()->setScrollMax(480, 640));
        first->vsbScroll->setValue(300);

        ASSERT_TRUE(first->close()); // as the close box does
        EXPECT_FALSE(doc.exists(e.id));
        PictureWindowWidget* again = window(e.id);
        EXPECT_NE(again, first.data());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(first.isNull()) << "the closed window is discarded";

        EXPECT_FALSE(again->isVisible());
        EXPECT_EQ(again->windowTitle(), QString::fromUtf8(e.caption));
        EXPECT_EQ(again->geometry(), e.client);
        EXPECT_TRUE(again->picMain->canvas()->picture().isNull());
        EXPECT_TRUE(samePixels(testing::filledPicture(e.canvas.width(), e.canvas.height(), 0xFFFFFFFF),
                               again->picMain->canvas()->image()));
        EXPECT_EQ(again->vsbScroll->maximum(), 0);
        EXPECT_EQ(again->vsbScroll->value(), 0);
        EXPECT_EQ(again->picMain->pos(), QPoint(0, 0));
        EXPECT_EQ(window(e.id), again) << "one instance until closed";
    }
}

TEST_F(PictureWindows, ClosedImageWindowComesBackEmpty) {
    QPointer<ImageWindowWidget> first = imageWindowOf(WindowId::Image2);
    ASSERT_TRUE(first->Image1->view()->setPicture(testing::numberedPicture(50, 40)));
    first->window()->show();
    first->close();
    ImageWindowWidget* again = imageWindowOf(WindowId::Image2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(again->Image1->view()->picture().isNull());
    EXPECT_EQ(again->Image1->size(), QSize(390, 531));
    EXPECT_EQ(again->geometry(), QRect(404, 23, 392, 536));
}

TEST_F(PictureWindows, DiscardedWindowsLoseTheirWidgetsAndNewOnesAreAnnounced) {
    std::vector<std::pair<WindowId, PictureWindowWidget*>> shown;
    QObject::connect(&views, &WindowViews::pictureWindowShown,
                     [&](WindowId id, PictureWindowWidget* w) { shown.emplace_back(id, w); });
    QPointer<PictureWindowWidget> first = window(WindowId::Temp);
    window(WindowId::Temp);
    doc.discard(WindowId::Temp);
    EXPECT_EQ(views.widget(WindowId::Temp), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    PictureWindowWidget* again = window(WindowId::Temp);
    imageWindowOf(WindowId::Image2); // an image window: not a canvas for the tools
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].first, WindowId::Temp);
    EXPECT_EQ(shown[1].second, again);
}

} // namespace
} // namespace tesmaro
