#include "resize/ProgressTitle.h"

#include "document/ProgramWindows.h"

#include <utility>

namespace tesmaro::resize {

ProgressTitle::ProgressTitle(ProgramWindow* window, QString prefix, QString suffix)
    : m_window(window), m_prefix(std::move(prefix)), m_suffix(std::move(suffix)) {}

void ProgressTitle::show(int percent) {
    if (percent == m_shown || !m_window)
        return;
    m_shown = percent;
    m_window->setTitle(m_prefix + QString::number(percent) + m_suffix);
}

} // namespace tesmaro::resize
