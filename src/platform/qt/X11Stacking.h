#pragma once
// Window stacking on X11 through the window manager's hints. The foreground window is the root
// window's _NET_ACTIVE_WINDOW (a client window id, comparable with windowId of our own windows);
// keepOnTop asks the window manager to add _NET_WM_STATE_ABOVE to the live, mapped window and
// to restack it on top, which neither moves, resizes nor activates it and leaves the focus
// where it is. The state lasts for the run: Qt carries it over a later hide and show.
// Without an X11 display (another platform plugin, tests offscreen) it reports no foreground
// window (0) and does nothing.

#include "platform/Platform.h"

namespace tesmaro {

WindowStacking& x11Stacking();

} // namespace tesmaro
