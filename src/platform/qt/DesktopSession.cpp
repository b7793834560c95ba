#include "platform/qt/DesktopSession.h"

#include <QByteArray>
#include <QtGlobal>

namespace tesmaro {

bool isWaylandSession() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void preferXWayland() {
    if (isWaylandSession() && !qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

} // namespace tesmaro
