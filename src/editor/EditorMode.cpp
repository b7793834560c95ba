// Editor mode "On" / "Off": with the editor on the main window sits at the screen's left edge and
// Timer2 keeps it above whatever window the user turns to, without taking the focus.
#include "editor/EditorCommands.h"
#include "platform/Platform.h"
#include "shell/MainWindow.h"

#include <QApplication>

namespace tesmaro::editor {
namespace {
// 6500 twips at 15 twips per pixel.
constexpr int kOffLeft = 433;
} // namespace

void Option20_Click(MainWindow& w) {
    w.Timer2->start();
    // The window in front now is the main window itself, whose option was just clicked.
    w.state.OnTopWindow = platform().stacking->foregroundWindow();
    // move() places the outer (frame) left edge; pos().y() is the frame's top, kept as it is.
    w.move(0, w.pos().y());
}

void Option21_Click(MainWindow& w) {
    w.Timer2->stop();
    // The always-on-top state stays: nothing takes it away.
    w.move(kOffLeft, w.pos().y());
}

void Timer2_Timer(MainWindow& w) {
    AppState& s = w.state;
    s.ForegroundNow = platform().stacking->foregroundWindow();
    if (s.ForegroundNow == s.OnTopWindow)
        return;
    // A modal dialog of the program (a message box over a picture window, the colour or font
    // dialog) must stay in front of the main window, or the user could not answer it; the main
    // window is kept above the rest again once the dialog is gone.
    QWidget* modal = QApplication::activeModalWidget();
    platform().stacking->keepOnTop(modal && modal->isVisible() ? modal->window() : &w);
}

} // namespace tesmaro::editor
