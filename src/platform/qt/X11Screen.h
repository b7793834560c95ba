#pragma once
// The X11 screen as the X server counts it, for what Qt's public API gives only in scaled pixels,
// and Qt's own connection to it for the window stacking.

#include <QSize>

struct xcb_connection_t;
struct xcb_screen_t;

namespace tesmaro {

struct QtX11Screen {
    xcb_connection_t* connection = nullptr;
    xcb_screen_t* screen = nullptr;
};

// Qt's X connection and the screen of its display name; both null without an X11 connection
// (another platform plugin, tests offscreen).
QtX11Screen qtX11Screen();

// Size of the X root window in the server's pixels; an empty size without an X11 connection.
QSize x11RootSize();

} // namespace tesmaro
