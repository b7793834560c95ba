#pragma once
// frmAbout: the help text in a scrollable, editable text box and a "Закрыть" button. The text is built
// when the window is created; edits live only as long as the window.

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace tesmaro {

class AboutWindow : public QWidget {
    Q_OBJECT
public:
    AboutWindow();

    QPlainTextEdit* Text1;
    QPushButton* Command1;
    QLabel *Label1, *Label2, *Label3;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// The help text, assembled from its fragments: fifteen paragraphs, each opened by its indent of blanks
// and closed by "\r\n\r\n" (the third by a single "\r\n"), so the text ends in "\r\n\r\n".
// Independent of the program's state.
QString buildHelpText();

namespace help {

// The help window's life: created (its text built) when first asked for, discarded with its
// edits when the user closes it, created afresh when asked for again. Whoever holds this (the
// control panel) has the one window; it goes with the holder.
class AboutWindowHolder {
public:
    AboutWindowHolder() = default;
    ~AboutWindowHolder();
    AboutWindowHolder(const AboutWindowHolder&) = delete;
    AboutWindowHolder& operator=(const AboutWindowHolder&) = delete;

    // The window, created if it does not exist.
    AboutWindow* window();
    // The window, or null when it does not exist (also once closed, before its deletion).
    AboutWindow* existing() const;
    // Discards it (nothing is asked); nothing when it does not exist.
    void unload();

private:
    QPointer<AboutWindow> m_window;
};

} // namespace help

} // namespace tesmaro
