#include "windows/CanvasWidget.h"

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

void CanvasWidget::follow() {
    if (m_canvas && size() != QSize(m_canvas->canvasWidth(), m_canvas->canvasHeight()))
        resize(m_canvas->canvasWidth(), m_canvas->canvasHeight());
    update();
}

void CanvasWidget::paintEvent(QPaintEvent*) {
    if (!m_canvas || m_canvas->image().isNull())
        return;
    QPainter p(this);
    p.drawImage(0, 0, m_canvas->image());
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
    return QPointF(std::floor(at.x()), std::floor(at.y()));
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
