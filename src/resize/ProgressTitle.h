#pragma once
// The progress of a long command in a window title: prefix + percent + suffix. The title is set
// only when the percent changes, which leaves the visible sequence of titles as it is.

#include "document/ProgramWindows.h"

#include <QPointer>
#include <QString>

#include <climits>

namespace tesmaro {

namespace resize {

class ProgressTitle {
public:
    ProgressTitle(ProgramWindow* window, QString prefix, QString suffix = QStringLiteral(" процентов "));
    // Sets the title for percent (a decimal integer without blanks); nothing once the window is gone.
    void show(int percent);

private:
    QPointer<ProgramWindow> m_window;
    QString m_prefix;
    QString m_suffix;
    int m_shown = INT_MIN;
};

} // namespace resize
} // namespace tesmaro
