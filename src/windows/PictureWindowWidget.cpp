#include "windows/PictureWindowWidget.h"

#include "windows/WheelScrolling.h"

#include "windows/WindowBehaviour.h"
#include "windows/Zoom.h"

#include <QCloseEvent>
#include <QKeySequence>
#include <QPalette>
#include <QResizeEvent>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <cmath>

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
    : QWidget(nullptr), m_design(window.design()), m_window(&window), m_zoomStep(zoom::kFullSizeStep) {
    const PictureWindowDesign& design = m_design;
    setObjectName(design.objectName);
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
    followWindow(*this, window);
    m_zoomShown = new QLabel(picBox->inner());
    m_zoomShown->setObjectName("zoomShown");
    m_zoomShown->setAutoFillBackground(true);
    m_zoomShown->setMargin(3);
    m_zoomShown->move(4, 4);
    m_zoomShown->hide();
    WheelScrolling::Zoom wheelZoom;
    if (zooms()) {
        wheelZoom = [this](int notches, QPointF at) {
            int step = m_zoomStep;
            for (; notches > 0; --notches)
                step = zoom::stepIn(step);
            for (; notches < 0; ++notches)
                step = zoom::stepOut(step);
            setZoomStep(step, picBox->inner()->mapFrom(this, at));
        };
        // The keys are the same in a Russian layout: neither plus, minus nor 0 is a letter.
        const auto keys = [this](std::initializer_list<QKeySequence> sequences,
                                 const std::function<int()>& step) {
            for (const QKeySequence& keys : sequences) {
                auto* shortcut = new QShortcut(keys, this);
                shortcut->setContext(Qt::WindowShortcut);
                connect(shortcut, &QShortcut::activated, this,
                        [this, step] { setZoomStep(step(), zoom::viewCentre(picBox->inner()->size())); });
            }
        };
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier,
                                    keypad = Qt::ControlModifier | Qt::KeypadModifier,
                                    shifted = Qt::ControlModifier | Qt::ShiftModifier;
        keys({QKeyCombination(ctrl, Qt::Key_Plus), QKeyCombination(ctrl, Qt::Key_Equal),
              QKeyCombination(shifted, Qt::Key_Plus), QKeyCombination(shifted, Qt::Key_Equal),
              QKeyCombination(keypad, Qt::Key_Plus)},
             [this] { return zoom::stepIn(m_zoomStep); });
        keys({QKeyCombination(ctrl, Qt::Key_Minus), QKeyCombination(keypad, Qt::Key_Minus)},
             [this] { return zoom::stepOut(m_zoomStep); });
        keys({QKeyCombination(ctrl, Qt::Key_0), QKeyCombination(keypad, Qt::Key_0)},
             [] { return zoom::kFullSizeStep; });
    }
    new WheelScrolling(this, vsbScroll, hsbScroll, wheelZoom);
    if (zooms())
        picMain->setAccessibleDescription(QStringLiteral("масштаб 100 %"));

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
    const zoom::Scale scale = picMain->scale();
    picMain->move(static_cast<int>(-qint64(h.value) * scale.num / scale.den),
                  static_cast<int>(-qint64(v.value) * scale.num / scale.den));
}

bool PictureWindowWidget::zooms() const {
    return m_design.objectName != QLatin1String("frmMCopy1");
}

void PictureWindowWidget::setZoomStep(int step, QPointF anchor) {
    if (!zooms() || !m_window)
        return;
    step = std::clamp(step, 0, zoom::kStepCount - 1);
    const zoom::Scale from = zoom::stepScale(m_zoomStep), to = zoom::stepScale(step);
    m_zoomStep = step;
    picMain->setScale(to);
    // A scroll bar's step stays a hundred view pixels' worth of picture at every zoom.
    const int barStep = std::max(1, static_cast<int>(std::lround(100.0 * to.den / to.num)));
    for (QScrollBar* bar : {vsbScroll, hsbScroll}) {
        bar->setSingleStep(barStep);
        bar->setPageStep(barStep);
    }
    // The picture pixel under the anchor before is the one under it after: the scroll position is
    // that pixel less the whole pixels between the view's corner and the anchor at the new zoom.
    const QPoint scroll(m_window->scroll->horizontal().value, m_window->scroll->vertical().value);
    const QPoint kept =
        zoom::picturePixel(anchor, scroll, from) - zoom::picturePixel(anchor, QPoint(0, 0), to);
    m_window->scroll->setHorizontalValue(kept.x());
    m_window->scroll->setVerticalValue(kept.y());
    followScroll();
    showZoom();
}

void PictureWindowWidget::showZoom() {
    const QString percent = QString::fromStdString(zoom::stepText(m_zoomStep)) + QStringLiteral(" %");
    picMain->setAccessibleDescription(QStringLiteral("масштаб ") + percent);
    m_zoomShown->setText(percent);
    m_zoomShown->adjustSize();
    m_zoomShown->raise();
    m_zoomShown->show();
    // For a moment: the same label, hidden by the last change's timer.
    auto* timer = m_zoomShown->findChild<QTimer*>();
    if (!timer) {
        timer = new QTimer(m_zoomShown);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, m_zoomShown, &QWidget::hide);
    }
    timer->start(1200);
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
    acceptPictureDrag(event);
}

void PictureWindowWidget::dropEvent(QDropEvent* event) {
    if (const QString path = takePictureDrop(event); !path.isEmpty())
        emit pictureDropped(path);
}

} // namespace tesmaro
