#pragma once
// Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo, in every window of the program (the panel, the
// picture windows, the help window), also while a text field has the focus: the fields' own
// typing undo gives way, since what the user undoes here are the pictures. The keys are left
// to a modal dialog while one is open, and do nothing while a command is still running.

#include <QObject>

class QShortcut;
class QWidget;

namespace tesmaro {

class CommandRunner;

class UndoKeys : public QObject {
    Q_OBJECT
public:
    UndoKeys(CommandRunner& runner, QWidget* panel);
    ~UndoKeys() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void undo();
    void redo();

    CommandRunner& m_runner;
};

} // namespace tesmaro
