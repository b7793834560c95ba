#pragma once
// The screen snapshot of a Wayland session, asked of the desktop portal
// (org.freedesktop.portal.Screenshot on the session bus): the program may not read the screen
// itself there. The request is non-interactive; its answer comes as the Response signal of a
// Request object, which is awaited while the event loop runs.

#include <QDBusConnection>
#include <QImage>
#include <QObject>

#include <functional>
#include <optional>

namespace tesmaro {

class PortalScreenshot {
public:
    // How long the portal has to answer before the snapshot counts as failed.
    static constexpr int kDefaultTimeoutMs = 30000;

    // Requests go over bus; the default is the session bus, connected at the first request.
    PortalScreenshot() = default;
    explicit PortalScreenshot(const QDBusConnection& bus);

    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }

    // Asks for a picture of the whole screen. Calls done exactly once, on the GUI thread and never
    // before returning, with the picture (Format_RGB32, device pixel ratio 1) or a null image when
    // the portal refused, is not on the bus, gave no readable picture, or did not answer in time.
    void grab(std::function<void(QImage)> done);

private:
    std::optional<QDBusConnection> m_bus;
    int m_timeoutMs = kDefaultTimeoutMs;
};

// The one the Qt platform asks in a Wayland session.
PortalScreenshot& portalScreenshot();

} // namespace tesmaro
