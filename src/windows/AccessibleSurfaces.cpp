#include "windows/AccessibleSurfaces.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace tesmaro {
namespace {

QAccessibleInterface* surfaceInterface(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("tesmaro::CanvasWidget"))
        return new QAccessibleWidget(widget, QAccessible::Canvas);
    if (className == QLatin1String("tesmaro::ImageViewWidget"))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    return nullptr;
}

} // namespace

void installAccessibleSurfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(surfaceInterface);
        return true;
    }();
    (void)installed;
}

} // namespace tesmaro
