#include "platform/qt/X11Stacking.h"

#include "platform/qt/X11Screen.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

namespace tesmaro {
namespace {

struct FreeReply {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// _NET_WM_STATE client message actions and the source indication of a normal application.
constexpr std::uint32_t kNetWmStateAdd = 1;
constexpr std::uint32_t kSourceApplication = 1;

// The window manager erases _NET_WM_STATE when a window is withdrawn, and Qt writes it anew from
// its own flags when it maps the window again. The Show event comes before that map: writing the
// above state onto the withdrawn window then makes it part of the new map (Qt merges with what
// it finds), so a hide and show by the program keeps the window above. Whether the window
// manager reads it before Qt's own write lands is a race, so once the window is mapped the
// state is asked of the window manager again where it is missing.
class AboveOnShow final : public QObject {
public:
    AboveOnShow(std::function<void(QWidget*)> write, std::function<void(QWidget*)> askAgain)
        : m_write(std::move(write)), m_askAgain(std::move(askAgain)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* window = static_cast<QWidget*>(watched);
            m_write(window);
            const QPointer<QWidget> guard(window);
            for (int delay : {50, 250, 1000})
                QTimer::singleShot(delay, window, [this, guard] {
                    if (guard && guard->isVisible())
                        m_askAgain(guard);
                });
        }
        return false;
    }

private:
    std::function<void(QWidget*)> m_write;
    std::function<void(QWidget*)> m_askAgain;
};

class X11Stacking final : public WindowStacking {
public:
    quintptr foregroundWindow() override {
        if (!connect())
            return 0;
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 0, m_root, m_activeWindow, XCB_ATOM_WINDOW, 0, 1), nullptr));
        if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 ||
            xcb_get_property_value_length(reply.get()) < 4)
            return 0;
        return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    }

    quintptr windowId(QWidget* window) override {
        // internalWinId never creates a native window as a side effect.
        return window ? static_cast<quintptr>(window->window()->internalWinId()) : 0;
    }

    void keepOnTop(QWidget* window) override {
        if (!window || !connect())
            return;
        QWidget* top = window->window();
        const auto id = static_cast<xcb_window_t>(top->internalWinId());
        // A hidden window is left alone; it gets the state back when it is shown (AboveOnShow).
        if (!id || !top->isVisible())
            return;
        if (!top->property(kKeptAbove).toBool()) {
            top->setProperty(kKeptAbove, true);
            top->installEventFilter(&m_aboveOnShow);
        }
        if (!hasAboveState(id))
            requestAboveState(id);
        if (!isTopOfStacking(id)) {
            // A restack request to the window manager: it raises without activating.
            const std::uint32_t mode = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(m_conn, id, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
        }
        xcb_flush(m_conn);
    }

private:
    static constexpr const char* kKeptAbove = "tesmaroKeptAbove";

    // A mapped window that lost the state asks the window manager for it again.
    void askAboveAgain(QWidget* window) {
        const auto id = static_cast<xcb_window_t>(window->internalWinId());
        if (!id || !connect() || hasAboveState(id) || !isMapped(id))
            return;
        requestAboveState(id);
        xcb_flush(m_conn);
    }

    bool isMapped(xcb_window_t id) {
        const Reply<xcb_get_window_attributes_reply_t> reply(
            xcb_get_window_attributes_reply(m_conn, xcb_get_window_attributes(m_conn, id), nullptr));
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    // On a withdrawn window the client sets the property itself.
    void writeAboveState(QWidget* window) {
        const auto id = static_cast<xcb_window_t>(window->internalWinId());
        if (!id || !connect() || hasAboveState(id))
            return;
        xcb_change_property(m_conn, XCB_PROP_MODE_APPEND, id, m_wmState, XCB_ATOM_ATOM, 32, 1,
                            &m_wmStateAbove);
        xcb_flush(m_conn);
    }

    bool connect() {
        if (m_conn)
            return true;
        const QtX11Screen x = qtX11Screen();
        if (!x.screen)
            return false;
        xcb_connection_t* conn = x.connection;
        m_root = x.screen->root;
        const xcb_intern_atom_cookie_t cookies[] = {
            internAtom(conn, "_NET_ACTIVE_WINDOW"), internAtom(conn, "_NET_WM_STATE"),
            internAtom(conn, "_NET_WM_STATE_ABOVE"), internAtom(conn, "_NET_CLIENT_LIST_STACKING")};
        xcb_atom_t* targets[] = {&m_activeWindow, &m_wmState, &m_wmStateAbove, &m_clientListStacking};
        for (int i = 0; i < 4; ++i) {
            const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(conn, cookies[i], nullptr));
            if (!reply)
                return false;
            *targets[i] = reply->atom;
        }
        m_conn = conn;
        return true;
    }

    static xcb_intern_atom_cookie_t internAtom(xcb_connection_t* conn, const char* name) {
        return xcb_intern_atom(conn, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    }

    bool hasAboveState(xcb_window_t id) {
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 0, id, m_wmState, XCB_ATOM_ATOM, 0, 64), nullptr));
        if (!reply || reply->format != 32)
            return false;
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        const int n = xcb_get_property_value_length(reply.get()) / 4;
        for (int i = 0; i < n; ++i)
            if (atoms[i] == m_wmStateAbove)
                return true;
        return false;
    }

    // The EWMH request to the window manager to add the above state to a mapped window.
    void requestAboveState(xcb_window_t id) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = id;
        event.type = m_wmState;
        event.data.data32[0] = kNetWmStateAdd;
        event.data.data32[1] = m_wmStateAbove;
        event.data.data32[2] = 0;
        event.data.data32[3] = kSourceApplication;
        xcb_send_event(m_conn, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }

    // True when the window manager lists the window last (topmost) in its stacking order; false
    // when it keeps no such list, so the raise is then always sent.
    bool isTopOfStacking(xcb_window_t id) {
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 0, m_root, m_clientListStacking, XCB_ATOM_WINDOW, 0, 4096),
            nullptr));
        if (!reply || reply->format != 32)
            return false;
        const int n = xcb_get_property_value_length(reply.get()) / 4;
        if (n == 0)
            return false;
        return static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()))[n - 1] == id;
    }

    AboveOnShow m_aboveOnShow{[this](QWidget* w) { writeAboveState(w); },
                              [this](QWidget* w) { askAboveAgain(w); }};
    xcb_connection_t* m_conn = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_activeWindow = 0;
    xcb_atom_t m_wmState = 0;
    xcb_atom_t m_wmStateAbove = 0;
    xcb_atom_t m_clientListStacking = 0;
};

} // namespace

WindowStacking& x11Stacking() {
    static X11Stacking stacking;
    return stacking;
}

} // namespace tesmaro
