#include "WindowsFixture.h"
#include "windows/Windows.h"

#include <QPointer>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <optional>

namespace tesmaro {
namespace {

using testing::samePixels;
using windows::Id;

class PictureWindows : public testing::WindowsFixture {};

struct Expected {
    Id id;
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
    {Id::Picture1, "frmPicture1", "Picture - источник", {4, 23, 392, 526}, {300, 500}, 24, 0, 0},
    {Id::Picture2, "frmPicture2", "Picture - приемник", {404, 23, 392, 527}, {300, 500}, 24, 0, 0},
    {Id::Temp, "frmTemp", "Temp", {-3, 23, 392, 318}, {393, 273}, 8, 8, 0},
    {Id::MCopy1, "frmMCopy1", "MCopy1 - источник ", {4, 223, 425, 303}, {369, 249}, 0, 0, 20},
    {Id::MCopy2, "frmMCopy2", "MCopy2 - приемник", {4, 23, 425, 518}, {289, 249}, 0, 0, 20},
};

PictureWindow* window(Id id) {
    switch (id) {
    case Id::Picture1:
        return windows::frmPicture1();
    case Id::Picture2:
        return windows::frmPicture2();
    case Id::Temp:
        return windows::frmTemp();
    case Id::MCopy1:
        return windows::frmMCopy1();
    default:
        return windows::frmMCopy2();
    }
}

void showAndResize(PictureWindow* w, int width, int height) {
    w->show();
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
        ASSERT_FALSE(windows::exists(e.id));
        PictureWindow* w = window(e.id);
        ASSERT_TRUE(windows::exists(e.id));
        EXPECT_FALSE(w->isVisible()) << "created hidden";
        EXPECT_EQ(w->objectName(), e.name);
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(e.caption));
        EXPECT_EQ(w->geometry(), e.client);
        EXPECT_EQ(w->picMain->objectName(), "picMain");
        EXPECT_EQ(w->picMain->size(), e.canvas);
        EXPECT_EQ(w->picMain->pos(), QPoint(0, 0));
        EXPECT_TRUE(w->picMain->autoSize());
        EXPECT_EQ(w->picMain->backColour(), 0xFFFFFF);
        EXPECT_TRUE(samePixels(testing::filledPicture(e.canvas.width(), e.canvas.height(), 0xFFFFFFFF),
                               w->picMain->image()));
        EXPECT_TRUE(w->picMain->picture().isNull());
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
    PictureWindow* p = windows::frmPicture1();
    EXPECT_EQ(p->vsbScroll->geometry(), QRect(360, 24, 17, 201));
    EXPECT_EQ(p->hsbScroll->geometry(), QRect(0, 496, 369, 17));
}

TEST_F(PictureWindows, DesignValuesOfTheImageWindows) {
    const struct {
        Id id;
        ImageWindow* (*get)();
        const char* name;
        const char* caption;
        QRect client;
        QSize view;
    } cases[] = {
        {Id::Image1, windows::frmImage1, "frmImage1", "Image - источник", {4, 23, 392, 529}, {390, 525}},
        {Id::Image2, windows::frmImage2, "frmImage2", "Image - приемник", {404, 23, 392, 536}, {390, 531}},
    };
    for (const auto& e : cases) {
        SCOPED_TRACE(e.name);
        ImageWindow* w = e.get();
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->objectName(), e.name);
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(e.caption));
        EXPECT_EQ(w->geometry(), e.client);
        EXPECT_EQ(w->Image1->objectName(), "Image1");
        EXPECT_EQ(w->Image1->geometry(), QRect(QPoint(0, 0), e.view));
        EXPECT_FALSE(w->Image1->stretch());
        EXPECT_TRUE(w->Image1->picture().isNull());
        // Resizing the window leaves the view alone.
        w->show();
        w->resize(200, 100);
        QTRY_COMPARE(w->size(), QSize(200, 100));
        EXPECT_EQ(w->Image1->geometry(), QRect(QPoint(0, 0), e.view));
    }
}

TEST_F(PictureWindows, TempHasAWhiteViewport) {
    PictureWindow* w = windows::frmTemp();
    ASSERT_TRUE(w->picMain->setCanvasSize(20, 20));
    w->show();
    const QImage shown = w->picBox->inner()->grab().toImage();
    EXPECT_EQ(shown.pixel(200, 150) & 0xFFFFFF, 0xFFFFFFu);
    // The others keep the system default.
    PictureWindow* p = windows::frmPicture1();
    EXPECT_EQ(p->picBox->inner()->palette().color(QPalette::Window),
              QApplication::palette(p->picBox->inner()).color(QPalette::Window));
}

TEST_F(PictureWindows, LayoutOnResize) {
    for (const Expected& e : kPictureWindows) {
        SCOPED_TRACE(e.name);
        PictureWindow* w = window(e.id);
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
    PictureWindow* w = windows::frmMCopy2();
    showAndResize(w, 300, 200);
    ASSERT_EQ(w->vsbScroll->height(), 180);
    ASSERT_EQ(w->hsbScroll->width(), 280);
    showAndResize(w, 15, 10);
    EXPECT_EQ(w->vsbScroll->height(), 180);
    EXPECT_EQ(w->hsbScroll->width(), 280);
    EXPECT_EQ(w->vsbScroll->x(), w->picBox->scaleWidth() - 17);
}

TEST_F(PictureWindows, ScrollingMovesTheCanvas) {
    PictureWindow* w = windows::frmPicture1();
    ASSERT_TRUE(w->picMain->setPicture(testing::numberedPicture(1024, 768)));
    ASSERT_TRUE(w->setScrollMax(768, 1024));
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
    PictureWindow* w = windows::frmPicture2();
    ASSERT_TRUE(w->setScrollMax(768, 1024));
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
    ASSERT_TRUE(w->setScrollMax(60, 1024));
    click(w->vsbScroll, QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(w->vsbScroll->value(), 60);
    EXPECT_EQ(w->picMain->y(), -60);
}

TEST_F(PictureWindows, ValueDropsToASmallerNewMaximum) {
    PictureWindow* w = windows::frmPicture1();
    ASSERT_TRUE(w->setScrollMax(768, 1024));
    w->vsbScroll->setValue(700);
    w->hsbScroll->setValue(200);
    ASSERT_TRUE(w->setScrollMax(500, 1000));
    EXPECT_EQ(w->vsbScroll->value(), 500);
    EXPECT_EQ(w->hsbScroll->value(), 200);
    EXPECT_EQ(w->picMain->pos(), QPoint(-200, -500));
    // A larger maximum keeps the value.
    ASSERT_TRUE(w->setScrollMax(2000, 2000));
    EXPECT_EQ(w->vsbScroll->value(), 500);
    EXPECT_EQ(w->vsbScroll->minimum(), 0);
    // 16-bit range: out-of-range values are refused and change nothing.
    EXPECT_TRUE(w->setScrollMax(32767, 0));
    EXPECT_EQ(w->hsbScroll->value(), 0);
    EXPECT_FALSE(w->setScrollMax(32768, 10));
    EXPECT_FALSE(w->setScrollMax(10, -1));
    EXPECT_EQ(w->vsbScroll->maximum(), 32767);
    EXPECT_EQ(w->hsbScroll->maximum(), 0);
    EXPECT_EQ(w->hsbScroll->minimum(), 0);
}

TEST_F(PictureWindows, MultiCopySourceBarsNeverMove) {
    PictureWindow* w = windows::frmMCopy1();
    ASSERT_TRUE(w->picMain->setPicture(testing::numberedPicture(800, 600)));
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
        QPointer<PictureWindow> first = window(e.id);
        first->show();
        first->setGeometry(100, 120, 600, 300);
        first->setWindowTitle("changed");
        ASSERT_TRUE(first->picMain->setPicture(testing::numberedPicture(640, 480)));
        first->picMain->pset(5, 5, 0);
        ASSERT_TRUE(first->setScrollMax(480, 640));
        first->vsbScroll->setValue(300);

        ASSERT_TRUE(first->close()); // as the close box does
        EXPECT_FALSE(windows::exists(e.id));
        PictureWindow* again = window(e.id);
        EXPECT_NE(again, first.data());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(first.isNull()) << "the closed window is discarded";

        EXPECT_FALSE(again->isVisible());
        EXPECT_EQ(again->windowTitle(), QString::fromUtf8(e.caption));
        EXPECT_EQ(again->geometry(), e.client);
        EXPECT_TRUE(again->picMain->picture().isNull());
        EXPECT_TRUE(samePixels(testing::filledPicture(e.canvas.width(), e.canvas.height(), 0xFFFFFFFF),
                               again->picMain->image()));
        EXPECT_EQ(again->vsbScroll->maximum(), 0);
        EXPECT_EQ(again->vsbScroll->value(), 0);
        EXPECT_EQ(again->picMain->pos(), QPoint(0, 0));
        EXPECT_EQ(window(e.id), again) << "one instance until closed";
    }
}

TEST_F(PictureWindows, ClosedImageWindowComesBackEmpty) {
    QPointer<ImageWindow> first = windows::frmImage2();
    ASSERT_TRUE(first->Image1->setPicture(testing::numberedPicture(50, 40)));
    first->show();
    first->close();
    ImageWindow* again = windows::frmImage2();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(again->Image1->picture().isNull());
    EXPECT_EQ(again->Image1->size(), QSize(390, 531));
    EXPECT_EQ(again->geometry(), QRect(404, 23, 392, 536));
}

TEST_F(PictureWindows, UnloadDiscardsAndCreationListenersSeeNewWindows) {
    std::vector<std::pair<Id, QWidget*>> created;
    std::optional<windows::CreationListener> listener;
    listener.emplace([&](Id id, QWidget* w) { created.emplace_back(id, w); });
    QPointer<PictureWindow> first = windows::frmTemp();
    windows::frmTemp();
    windows::unload(Id::Temp);
    EXPECT_FALSE(windows::exists(Id::Temp));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    PictureWindow* again = windows::frmTemp();
    windows::unload(Id::Image1); // never created: nothing happens
    listener.reset();
    windows::frmImage2(); // no listener any more
    ASSERT_EQ(created.size(), 2u);
    EXPECT_EQ(created[0].first, Id::Temp);
    EXPECT_EQ(created[1].second, again);
}

} // namespace
} // namespace tesmaro
