#pragma once
// A canvas on the screen (picMain of the picture windows, the draft pad, the swatches): draws the
// document's canvas (document/Canvas.h) at a zoom and follows its changes, and reports the mouse
// on it in canvas pixels. Its size is the canvas's size at the zoom; its position inside its
// viewport is the scroll offset at the zoom. Only what a paint event exposes is drawn, from the
// canvas itself (windows/ZoomedPaint.h): no zoomed copy is kept. On a scaled screen a canvas
// pixel at 100 % is a logical pixel: the raster is drawn magnified, never resampled to fit.

#include "document/Canvas.h"
#include "windows/Zoom.h"
#include "windows/ZoomedPaint.h"

#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QWidget>

class QMouseEvent;

namespace tesmaro {

class CanvasWidget : public QWidget {
    Q_OBJECT
public:
    CanvasWidget(Canvas& canvas, QWidget* parent);

    // The canvas shown; null once the document has discarded it.
    Canvas* canvas() const { return m_canvas; }

    // View pixels per canvas pixel; 100 % unless set. The widget takes the canvas's size at it.
    zoom::Scale scale() const { return m_scale; }
    void setScale(zoom::Scale scale);

signals:
    // Button: 1 left, 2 right, 4 middle; in mouseMove the sum of the buttons held. The position
    // is the whole canvas pixel under the pointer (the pointer may fall between device pixels of
    // a scaled screen: 10.5 is on pixel 10).
    void mouseDown(int button, double x, double y);
    void mouseMove(int buttons, double x, double y);
    void mouseUp(int button, double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void follow();
    // The whole canvas pixel under the pointer of a mouse event.
    QPointF pointerPixel(const QMouseEvent& event) const;

    QPointer<Canvas> m_canvas;
    zoom::Scale m_scale;
    zoom::ZoomedPainter m_painter;
    QImage m_shown; // what a zoomed paint event draws, reused
};

} // namespace tesmaro
