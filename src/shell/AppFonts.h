#pragma once
// The control font ships inside the program (the Qt resources under :/fonts, the faces of
// Debian's fonts-paratype), so the main window is laid out the same, pixel for pixel, on a
// machine that lacks the font package. Regular for every control; bold because the font dialog
// may give the label font of the editor bold weight.

namespace tesmaro {

// Adds the shipped faces to the application's fonts; before any widget is built. false when a
// face could not be registered (the controls then fall back to the fonts of the system).
bool registerShippedFonts();

} // namespace tesmaro
