// Editor mode "On" / "Off": with the editor on the panel sits at the screen's left edge and its
// timer keeps it above whatever window the user turns to, without taking the focus.
#include "editor/EditorCommands.h"
#include "platform/Platform.h"

namespace tesmaro::editor {
namespace {
// 6500 twips at 15 twips per pixel.
constexpr int kOffLeft = 433;
} // namespace

void setEditorMode(Document& doc, bool on) {
    if (on) {
        // The panel itself, whose option was just clicked. Not whatever the desktop reports
        // active now: after a quick click the window manager may not yet have moved the focus.
        doc.state.OnTopWindow = doc.front().panelWindowId();
        doc.front().movePanelTo(0);
    } else {
        // The always-on-top state stays: nothing takes it away.
        doc.front().movePanelTo(kOffLeft);
    }
}

void keepPanelOnTop(Document& doc) {
    AppState& s = doc.state;
    s.ForegroundNow = platform().stacking->foregroundWindow();
    if (s.ForegroundNow == s.OnTopWindow)
        return;
    doc.front().keepPanelOnTop();
}

} // namespace tesmaro::editor
