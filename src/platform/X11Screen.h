#pragma once
// The X11 screen as the X server counts it, for what Qt's public API gives only in scaled pixels.

#include <QSize>

namespace tesmaro {

// Size of the X root window in the server's pixels; an empty size without an X11 connection
// (another platform plugin, tests offscreen).
QSize x11RootSize();

} // namespace tesmaro
