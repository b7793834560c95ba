#include "windows/CanvasWidget.h"

#include "pictures/RasterImage.h"
#include "windows/AccessibleSurfaces.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace tesmaro {
namespace {

int vbButton(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int vbButtons(Qt::MouseButtons b) {
    return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) | (b & Qt::MiddleButton ? 4 : 0);
}

} // namespace

CanvasWidget::CanvasWidget(Canvas& canvas, QWidget* parent) : QWidget(parent), m_canvas(&canvas) {
    setObjectName("picMain");
    installAccessibleSurfaces();
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&canvas, &Canvas::changed, this, &CanvasWidget::follow);
    follow();
}

void CanvasWidget::setScale(zoom::Scale scale) {
    m_scale = zoom::isValid(scale) ? scale : zoom::Scale{};
    follow();
}

void CanvasWidget::follow() {
    if (!m_canvas)
        return;
    // The canvas's far edge, a fraction of a view pixel below 100 %, still shows.
    const QSize zoomed(
        static_cast<int>((qint64(m_canvas->canvasWidth()) * m_scale.num + m_scale.den - 1) / m_scale.den),
        static_cast<int>((qint64(m_canvas->canvasHeight()) * m_scale.num + m_scale.den - 1) / m_scale.den));
    if (size() != zoomed)
        resize(zoomed);
    update();
}

void CanvasWidget::paintEvent(QPaintEvent* event) {
    if (!m_canvas || m_canvas->image().isNull())
        return;
    QPainter p(this);
    if (m_scale == zoom::Scale{}) {
        p.drawImage(0, 0, m_canvas->image());
        return;
    }
    // The exposed part, from a view pixel where a canvas pixel begins: widget (0, 0) is the
    // canvas's top-left, so the painter's scroll position there is a whole canvas pixel.
    const QRect exposed = event->rect().intersected(rect());
    if (exposed.isEmpty())
        return;
    const int left = exposed.left() / m_scale.num * m_scale.num;
    const int top = exposed.top() / m_scale.num * m_scale.num;
    const QSize size(exposed.right() + 1 - left, exposed.bottom() + 1 - top);
    if (m_shown.width() < size.width() || m_shown.height() < size.height())
        m_shown = QImage(size.expandedTo(m_shown.size()), QImage::Format_RGB32);
    const RasterView target = rasterOf(m_shown);
    m_painter.paint(constRasterOf(m_canvas->image()), m_scale, left / m_scale.num * m_scale.den,
                    top / m_scale.num * m_scale.den,
                    RasterView{target.pixels, size.width(), size.height(), target.stride}, 0xFFFFFFFFu);
    p.drawImage(QPoint(left, top), m_shown, QRect(QPoint(0, 0), size));
}

// On a scaled screen the pointer moves in fractions of a canvas pixel; it is on the pixel it lies
// in (10.5 is on pixel 10). Qt hands a widget inside a window its position rounded to whole
// pixels (10.5 becomes 11) but keeps the exact one relative to the window; widgets sit at whole
// pixels of it. An event whose window position is not the same point (one made up by a program)
// is taken at its own position.
QPointF CanvasWidget::pointerPixel(const QMouseEvent& event) const {
    QPointF at = event.position();
    const QPointF exact = event.scenePosition() - QPointF(mapTo(window(), QPoint(0, 0)));
    if (std::abs(exact.x() - at.x()) <= 0.5 && std::abs(exact.y() - at.y()) <= 0.5)
        at = exact;
    // At any zoom the pixel whose block the pointer is in.
    return QPointF(zoom::picturePixel(at, QPoint(0, 0), m_scale));
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    const QPointF at = pointerPixel(*event);
    emit mouseDown(vbButton(event->button()), at.x(), at.y());
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = pointerPixel(*event);
    emit mouseMove(vbButtons(event->buttons()), at.x(), at.y());
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF at = pointerPixel(*event);
    emit mouseUp(vbButton(event->button()), at.x(), at.y());
}

} // namespace tesmaro
