#pragma once
// frmAbout: the help text in a scrollable, editable text box and a "Закрыть" button. The text is built
// when the window is created; edits live only as long as the window.

#include <QLabel>
#include <QPlainTextEdit>
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
// The one instance, or null when it does not exist.
AboutWindow* frmAboutIfExists();
// Creates it (building its text) when it does not exist yet.
AboutWindow* frmAbout();
void unloadAbout();
} // namespace help

} // namespace tesmaro
