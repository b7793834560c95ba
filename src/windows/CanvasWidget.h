#pragma once
// A canvas on the screen (picMain of the picture windows, the draft pad, the swatches): draws the
// document's canvas (document/Canvas.h) and follows its changes, and reports the mouse on it in
// canvas pixels. Its size is the canvas's size; its position inside its viewport is the scroll
// offset. On a scaled screen a canvas pixel is a logical pixel: the raster is drawn magnified,
// never resampled to fit.

#include "document/Canvas.h"

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
};

} // namespace tesmaro
