#pragma once
// Window stacking on X11 through the window manager's hints (_NET_ACTIVE_WINDOW,
// _NET_WM_STATE_ABOVE). Without an X11 display it reports no foreground window and does nothing.

#include "platform/Platform.h"

namespace tesmaro {

WindowStacking& x11Stacking();

} // namespace tesmaro
