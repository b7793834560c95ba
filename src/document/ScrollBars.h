#pragma once
// The two scroll bars of a scrolled picture (a picture window, the draft pad) as the document
// keeps them: range and position, in picture pixels. They follow a scroll bar's rules: the value
// always lies within the range, a range whose maximum falls below its minimum takes the minimum
// as its maximum, and a smaller maximum pulls the value down with it. Steps and looks are the
// views' affair.

#include <QObject>

namespace tesmaro {

struct ScrollState {
    int minimum = 0;
    int maximum = 0;
    int value = 0;
    friend bool operator==(const ScrollState&, const ScrollState&) = default;
};

class ScrollBars : public QObject {
    Q_OBJECT
public:
    explicit ScrollBars(QObject* parent = nullptr) : QObject(parent) {}

    const ScrollState& vertical() const { return m_vertical; }
    const ScrollState& horizontal() const { return m_horizontal; }

    void setVerticalRange(int minimum, int maximum);
    void setHorizontalRange(int minimum, int maximum);
    // The maximum alone; a minimum above it comes down to it.
    void setVerticalMaximum(int maximum);
    void setHorizontalMaximum(int maximum);
    // Clamped to the range.
    void setVerticalValue(int value);
    void setHorizontalValue(int value);
    // Both bars as they were (undo and redo).
    void restore(const ScrollState& vertical, const ScrollState& horizontal);

signals:
    // A range or a value changed.
    void changed();

private:
    void set(ScrollState& bar, int minimum, int maximum, int value);

    ScrollState m_vertical;
    ScrollState m_horizontal;
};

} // namespace tesmaro
