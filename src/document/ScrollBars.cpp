#include "document/ScrollBars.h"

#include <algorithm>

namespace tesmaro {

void ScrollBars::set(ScrollState& bar, int minimum, int maximum, int value) {
    const ScrollState next{minimum, std::max(minimum, maximum),
                           std::clamp(value, minimum, std::max(minimum, maximum))};
    if (next == bar)
        return;
    bar = next;
    emit changed();
}

void ScrollBars::setVerticalRange(int minimum, int maximum) {
    set(m_vertical, minimum, maximum, m_vertical.value);
}

void ScrollBars::setHorizontalRange(int minimum, int maximum) {
    set(m_horizontal, minimum, maximum, m_horizontal.value);
}

void ScrollBars::setVerticalMaximum(int maximum) {
    set(m_vertical, std::min(m_vertical.minimum, maximum), maximum, m_vertical.value);
}

void ScrollBars::setHorizontalMaximum(int maximum) {
    set(m_horizontal, std::min(m_horizontal.minimum, maximum), maximum, m_horizontal.value);
}

void ScrollBars::setVerticalValue(int value) {
    set(m_vertical, m_vertical.minimum, m_vertical.maximum, value);
}

void ScrollBars::setHorizontalValue(int value) {
    set(m_horizontal, m_horizontal.minimum, m_horizontal.maximum, value);
}

void ScrollBars::restore(const ScrollState& vertical, const ScrollState& horizontal) {
    const bool same = vertical == m_vertical && horizontal == m_horizontal;
    m_vertical = vertical;
    m_horizontal = horizontal;
    if (!same)
        emit changed();
}

} // namespace tesmaro
