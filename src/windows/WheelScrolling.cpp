#include "windows/WheelScrolling.h"

#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

namespace tesmaro {
namespace {
constexpr int kNotch = 120; // angle delta of one wheel notch, in eighths of a degree
} // namespace

WheelScrolling::WheelScrolling(QWidget* area, QScrollBar* vertical, QScrollBar* horizontal, Zoom zoom)
    : QObject(area), m_area(area), m_vertical(vertical), m_horizontal(horizontal), m_zoom(std::move(zoom)) {
    area->installEventFilter(this);
    for (QWidget* inside : area->findChildren<QWidget*>())
        inside->installEventFilter(this);
}

bool WheelScrolling::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    auto* wheel = static_cast<QWheelEvent*>(event);
    QPoint delta = wheel->angleDelta();
    if (m_zoom && (wheel->modifiers() & Qt::ControlModifier)) {
        const int turn = delta.y() != 0 ? delta.y() : delta.x();
        if ((m_restZoom > 0) != (turn > 0))
            m_restZoom = 0;
        m_restZoom += turn;
        const int notches = m_restZoom / kNotch;
        m_restZoom -= notches * kNotch;
        if (notches != 0)
            m_zoom(notches, m_area->mapFromGlobal(wheel->globalPosition()));
        wheel->accept();
        return true;
    }
    // Shift turns the vertical wheel sideways, unless the system has done so already.
    if ((wheel->modifiers() & Qt::ShiftModifier) && delta.x() == 0)
        delta = QPoint(delta.y(), 0);
    scroll(m_vertical, m_restV, delta.y());
    scroll(m_horizontal, m_restH, delta.x());
    wheel->accept();
    return true;
}

void WheelScrolling::scroll(QScrollBar* bar, int& rest, int delta) {
    if (delta == 0)
        return;
    if ((rest > 0) != (delta > 0))
        rest = 0; // turning back starts afresh
    rest += delta;
    const int notches = rest / kNotch;
    rest -= notches * kNotch;
    // Turning the wheel away from the user (a positive delta) scrolls towards the top or left.
    if (notches != 0)
        bar->setValue(bar->value() - notches * bar->singleStep());
}

} // namespace tesmaro
