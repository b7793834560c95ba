#pragma once
// The mouse wheel over a scrolled picture: it moves the area's own scroll bars, so the picture
// follows them as it does a click on a bar. The vertical wheel moves the vertical bar; Shift with
// the vertical wheel, or a horizontal wheel (tilt, touchpad), the horizontal bar. One notch is one
// single step of the bar; finer wheels add up until they make a whole notch.

#include <QObject>
#include <QPoint>
#include <QPointF>

#include <functional>

class QScrollBar;
class QWidget;

namespace tesmaro {

class WheelScrolling : public QObject {
public:
    // With Ctrl held the wheel zooms instead: one call per whole notch, +1 towards larger (away
    // from the user), with the pointer's position in area's coordinates.
    using Zoom = std::function<void(int notches, QPointF at)>;

    // Takes the wheel over area and over every widget inside it at the time of the call (the
    // canvas, the bars themselves), before they see it: Qt hands a wheel on to the parent of a
    // widget that ignores it only for wheel events of the window system. Owned by area.
    WheelScrolling(QWidget* area, QScrollBar* vertical, QScrollBar* horizontal, Zoom zoom = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scroll(QScrollBar* bar, int& rest, int delta);

    QWidget* m_area;
    QScrollBar* m_vertical;
    QScrollBar* m_horizontal;
    Zoom m_zoom;
    int m_restZoom = 0;
    int m_restV = 0; // wheel turned short of a whole notch, per direction
    int m_restH = 0;
};

} // namespace tesmaro
