#pragma once
// The progress of a long command in a window title: prefix + percent + suffix. The title is set
// only when the percent changes, which leaves the visible sequence of titles as it is.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <climits>

namespace tesmaro::resize {

class ProgressTitle {
public:
    ProgressTitle(QWidget* window, QString prefix, QString suffix = QStringLiteral(" процентов "));
    // Sets the title for percent (a decimal integer without blanks); nothing once the window is gone.
    void show(int percent);

private:
    QPointer<QWidget> m_window;
    QString m_prefix;
    QString m_suffix;
    int m_shown = INT_MIN;
};

} // namespace tesmaro::resize
