#include "platform/qt/X11Screen.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace tesmaro {

QtX11Screen qtX11Screen() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* conn = x11 ? x11->connection() : nullptr;
    if (!conn)
        return {};
    // The screen of the display name, as Qt's own connection chose it.
    int screen = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen))
        std::free(host);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    for (int i = 0; i < screen && it.rem > 1; ++i)
        xcb_screen_next(&it);
    if (!it.data)
        return {};
    return {conn, it.data};
}

QSize x11RootSize() {
    const QtX11Screen x = qtX11Screen();
    if (!x.screen)
        return {};
    return QSize(x.screen->width_in_pixels, x.screen->height_in_pixels);
}

} // namespace tesmaro
