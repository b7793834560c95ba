#pragma once
// What kind of desktop session the program runs in, and the platform plugin it prefers there.

namespace tesmaro {

// True in a Wayland session (WAYLAND_DISPLAY set), whether the program talks Wayland itself or
// runs on XWayland: either way the screen can only be read through the desktop portal.
bool isWaylandSession();

// To be called before QApplication is created. In a Wayland session that also offers X11
// (XWayland: DISPLAY set too), and unless the user chose a plugin with QT_QPA_PLATFORM, runs the
// program on X11: placing the main window and keeping it above the others work only there.
void preferXWayland();

} // namespace tesmaro
