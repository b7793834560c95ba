#include "windows/PictureWindow.h"

#include "core/PackedColour.h"
#include "core/PictureLimits.h"
#include "windows/WheelScrolling.h"

#include <QCloseEvent>
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

PictureWindow::PictureWindow(const PictureWindowDesign& design) : QWidget(nullptr), m_design(design) {
    setObjectName(design.objectName);
    setWindowTitle(design.caption);
    setAttribute(Qt::WA_DeleteOnClose, false);

    picBox = new PicBox(this);
    if (design.whiteViewport) {
        QPalette pal = picBox->inner()->palette();
        pal.setColor(QPalette::Window, Qt::white);
        picBox->inner()->setPalette(pal);
        picBox->inner()->setAutoFillBackground(true);
    }
    picMain = new Canvas(picBox->inner(), design.canvasWidth, design.canvasHeight, design.canvasBack);
    picMain->move(0, 0);

    vsbScroll = new QScrollBar(Qt::Vertical, picBox->inner());
    vsbScroll->setObjectName("vsbScroll");
    hsbScroll = new QScrollBar(Qt::Horizontal, picBox->inner());
    hsbScroll->setObjectName("hsbScroll");
    for (QScrollBar* bar : {vsbScroll, hsbScroll}) {
        bar->setRange(0, 0);
        bar->setSingleStep(kScrollStep);
        bar->setPageStep(kScrollStep);
        bar->setValue(0);
    }
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

    // Scroll and Change alike: the canvas follows the thumb live.
    connect(vsbScroll, &QScrollBar::valueChanged, picMain,
            [this](int v) { picMain->move(picMain->x(), -v); });
    connect(hsbScroll, &QScrollBar::valueChanged, picMain,
            [this](int v) { picMain->move(-v, picMain->y()); });
    new WheelScrolling(this, vsbScroll, hsbScroll);

    // Screen readers tell the windows' controls apart by the window's own caption.
    const QString window = design.caption.trimmed();
    picMain->setAccessibleName(window + QStringLiteral(": рисунок"));
    vsbScroll->setAccessibleName(window + QStringLiteral(": вертикальная прокрутка"));
    hsbScroll->setAccessibleName(window + QStringLiteral(": горизонтальная прокрутка"));

    setGeometry(design.client);
}

void PictureWindow::layoutControls() {
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

bool PictureWindow::setScrollMax(int height, int width) {
    // A negative maximum would drag the minimum below 0 with it.
    if (height < 0 || height > kMaxPictureSide || width < 0 || width > kMaxPictureSide)
        return false;
    // QScrollBar lowers the value to a smaller maximum itself, emitting valueChanged.
    vsbScroll->setMaximum(height);
    hsbScroll->setMaximum(width);
    return true;
}

void PictureWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void PictureWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    setProperty("unloaded", true);
    deleteLater();
}

} // namespace tesmaro
