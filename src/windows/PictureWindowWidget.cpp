#include "windows/PictureWindowWidget.h"

#include "windows/WheelScrolling.h"

#include "windows/PictureDrop.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QPalette>
#include <QResizeEvent>

#include <algorithm>

namespace tesmaro {

namespace {
constexpr int kBorder = 2; // the viewport's sunken single border
constexpr int kScrollStep = 100;
constexpr int kDesignVbarFromRight = 32;
constexpr int kDesignVbarLength = 201;
constexpr int kDesignHbarFromBottom = 30;
constexpr int kDesignHbarLength = 369;
} // namespace

PicBox::PicBox(QWidget* parent) : QFrame(parent), m_inner(new QWidget(this)) {
    setObjectName("picBox");
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kBorder);
    m_inner->setObjectName("picBoxInner");
    m_inner->move(kBorder, kBorder);
}

int PicBox::scaleWidth() const {
    return std::max(0, width() - 2 * kBorder);
}
int PicBox::scaleHeight() const {
    return std::max(0, height() - 2 * kBorder);
}

void PicBox::fitInner() {
    m_inner->setGeometry(kBorder, kBorder, scaleWidth(), scaleHeight());
}

void PicBox::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    fitInner();
}

PictureWindowWidget::PictureWindowWidget(PictureWindow& window)
    : QWidget(nullptr), m_design(window.design()), m_window(&window) {
    const PictureWindowDesign& design = m_design;
    setObjectName(design.objectName);
    setWindowTitle(window.title());
    setAttribute(Qt::WA_DeleteOnClose, false);

    picBox = new PicBox(this);
    if (design.whiteViewport) {
        QPalette pal = picBox->inner()->palette();
        pal.setColor(QPalette::Window, Qt::white);
        picBox->inner()->setPalette(pal);
        picBox->inner()->setAutoFillBackground(true);
    }
    picMain = new CanvasWidget(*window.picMain, picBox->inner());
    picMain->move(0, 0);

    vsbScroll = new QScrollBar(Qt::Vertical, picBox->inner());
    vsbScroll->setObjectName("vsbScroll");
    hsbScroll = new QScrollBar(Qt::Horizontal, picBox->inner());
    hsbScroll->setObjectName("hsbScroll");
    for (QScrollBar* bar : {vsbScroll, hsbScroll}) {
        bar->setSingleStep(kScrollStep);
        bar->setPageStep(kScrollStep);
    }
    followScroll();
    // Design geometry, kept until the layout first runs when the window is shown (frmMCopy1,
    // never shown, keeps it). frmPicture1's bars stand at (360, 24), 201 long, and (0, 496),
    // 369 long; the others take the same distances from their own client edges.
    const int clientW = design.client.width(), clientH = design.client.height();
    picBox->setGeometry(0, 0, clientW, clientH);
    picBox->fitInner();
    vsbScroll->setGeometry(clientW - kDesignVbarFromRight, design.vbarTop, kBarThickness, kDesignVbarLength);
    hsbScroll->setGeometry(design.hbarLeft, clientH - kDesignHbarFromBottom, kDesignHbarLength,
                           kBarThickness);
    // The bars lie over the picture: horizontal on top, then vertical, then the canvas.
    picMain->lower();
    hsbScroll->raise();

    // Scroll and Change alike: the canvas follows the thumb live, through the document.
    connect(vsbScroll, &QScrollBar::valueChanged, this, [this](int v) {
        if (m_window)
            m_window->scroll->setVerticalValue(v);
    });
    connect(hsbScroll, &QScrollBar::valueChanged, this, [this](int v) {
        if (m_window)
            m_window->scroll->setHorizontalValue(v);
    });
    connect(window.scroll, &ScrollBars::changed, this, &PictureWindowWidget::followScroll);
    connect(&window, &ProgramWindow::titleChanged, this, [this] {
        if (m_window)
            setWindowTitle(m_window->title());
    });
    connect(&window, &ProgramWindow::visibilityChanged, this, [this] {
        if (m_window)
            setVisible(m_window->isVisible());
    });
    connect(&window, &ProgramWindow::raiseRequested, this, &QWidget::raise);
    new WheelScrolling(this, vsbScroll, hsbScroll);

    // Screen readers tell the windows' controls apart by the window's own caption.
    const QString caption = design.caption.trimmed();
    picMain->setAccessibleName(caption + QStringLiteral(": рисунок"));
    vsbScroll->setAccessibleName(caption + QStringLiteral(": вертикальная прокрутка"));
    hsbScroll->setAccessibleName(caption + QStringLiteral(": горизонтальная прокрутка"));

    setGeometry(design.client);
    setVisible(window.isVisible());
}

void PictureWindowWidget::followScroll() {
    if (!m_window)
        return;
    const ScrollState& v = m_window->scroll->vertical();
    const ScrollState& h = m_window->scroll->horizontal();
    vsbScroll->setRange(v.minimum, v.maximum);
    vsbScroll->setValue(v.value);
    hsbScroll->setRange(h.minimum, h.maximum);
    hsbScroll->setValue(h.value);
    picMain->move(-h.value, -v.value);
}

void PictureWindowWidget::layoutControls() {
    const int clientW = width(), clientH = height();
    picBox->setGeometry(0, 0, clientW, clientH);
    picBox->fitInner();
    const int viewW = picBox->scaleWidth(), viewH = picBox->scaleHeight();
    vsbScroll->move(viewW - vsbScroll->width(), vsbScroll->y());
    const int vLength = clientH - m_design.barShortening;
    if (vLength >= 0)
        vsbScroll->resize(vsbScroll->width(), vLength);
    hsbScroll->move(hsbScroll->x(), viewH - hsbScroll->height());
    const int hLength = clientW - m_design.barShortening;
    if (hLength >= 0)
        hsbScroll->resize(hLength, hsbScroll->height());
}

void PictureWindowWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void PictureWindowWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closeRequested();
}

void PictureWindowWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedPicturePath(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void PictureWindowWidget::dropEvent(QDropEvent* event) {
    const QString path = droppedPicturePath(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    emit pictureDropped(path);
}

} // namespace tesmaro
