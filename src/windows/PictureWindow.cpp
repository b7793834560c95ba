#include "windows/PictureWindow.h"

#include "core/PackedColour.h"

#include <QCloseEvent>
#include <QPalette>
#include <QResizeEvent>

namespace tesmaro {

namespace {
constexpr int kBorder = 2; // the viewport's sunken single border
constexpr int kScrollStep = 100;
} // namespace

PicBox::PicBox(QWidget* parent) : QFrame(parent), m_inner(new QWidget(this)) {
    setObjectName("picBox");
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kBorder);
    m_inner->setObjectName("picBoxInner");
    m_inner->move(kBorder, kBorder);
}

int PicBox::scaleWidth() const { return std::max(0, width() - 2 * kBorder); }
int PicBox::scaleHeight() const { return std::max(0, height() - 2 * kBorder); }

void PicBox::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    m_inner->setGeometry(kBorder, kBorder, scaleWidth(), scaleHeight());
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
    // Design positions; the layout moves the bars against the far edges.
    const int clientW = design.client.width(), clientH = design.client.height();
    vsbScroll->setGeometry(clientW - 32, design.vbarTop, kBarThickness, 201);
    hsbScroll->setGeometry(design.hbarLeft, clientH - 30, 369, kBarThickness);
    // The bars lie over the picture: horizontal on top, then vertical, then the canvas.
    picMain->lower();
    hsbScroll->raise();

    // Scroll and Change alike: the canvas follows the thumb live.
    connect(vsbScroll, &QScrollBar::valueChanged, picMain, [this](int v) { picMain->move(picMain->x(), -v); });
    connect(hsbScroll, &QScrollBar::valueChanged, picMain, [this](int v) { picMain->move(-v, picMain->y()); });

    setGeometry(design.client);
    layoutControls();
}

void PictureWindow::layoutControls() {
    const int clientW = width(), clientH = height();
    picBox->setGeometry(0, 0, clientW, clientH);
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
    if (height < -32768 || height > 32767 || width < -32768 || width > 32767)
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
