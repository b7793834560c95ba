#pragma once
// Names and descriptions a screen reader speaks for the main window's controls. Captions that
// say enough stay the names; text fields, scroll bars and canvases have no caption of their own,
// and some captions repeat ("Image", "Picture", "Цвет", "MCopy"), so those get names that say what
// the control is for, each name still starting with the caption a user sees.

namespace tesmaro {

class MainWindow;

// Sets the accessible names and descriptions of every control of the built window.
void nameMainWindowControls(MainWindow& w);

} // namespace tesmaro
