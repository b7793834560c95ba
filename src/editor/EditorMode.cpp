// Editor mode "On" / "Off": with the editor on the panel sits at the screen's left edge and its
// timer keeps it above whatever window the user turns to, without taking the focus.
#include "editor/EditorCommands.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QWidget>

namespace tesmaro::editor {
namespace {
// 6500 twips at 15 twips per pixel.
constexpr int kOffLeft = 433;
} // namespace

void setEditorMode(Document& doc, QWidget& panel, bool on) {
    if (on) {
        // The panel itself, whose option was just clicked. Not whatever the desktop reports
        // active now: after a quick click the window manager may not yet have moved the focus.
        doc.state.OnTopWindow = platform().stacking->windowId(&panel);
        // move() places the outer (frame) left edge; pos().y() is the frame's top, kept as it is.
        panel.move(0, panel.pos().y());
    } else {
        // The always-on-top state stays: nothing takes it away.
        panel.move(kOffLeft, panel.pos().y());
    }
}

void keepPanelOnTop(Document& doc, QWidget& panel) {
    AppState& s = doc.state;
    s.ForegroundNow = platform().stacking->foregroundWindow();
    if (s.ForegroundNow == s.OnTopWindow)
        return;
    // A modal dialog of the program (a message box over a picture window, the colour or font
    // dialog) must stay in front of the panel, or the user could not answer it; the panel is
    // kept above the rest again once the dialog is gone.
    QWidget* modal = QApplication::activeModalWidget();
    platform().stacking->keepOnTop(modal && modal->isVisible() ? modal->window() : &panel);
}

} // namespace tesmaro::editor
