#include "windows/WindowBehaviour.h"

#include "document/ProgramWindows.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <QWidget>

namespace tesmaro {

void followWindow(QWidget& widget, ProgramWindow& window) {
    const QPointer<ProgramWindow> followed(&window);
    widget.setWindowTitle(window.title());
    QObject::connect(&window, &ProgramWindow::titleChanged, &widget, [&widget, followed] {
        if (followed)
            widget.setWindowTitle(followed->title());
    });
    QObject::connect(&window, &ProgramWindow::visibilityChanged, &widget, [&widget, followed] {
        if (followed)
            widget.setVisible(followed->isVisible());
    });
    QObject::connect(&window, &ProgramWindow::raiseRequested, &widget, &QWidget::raise);
}

QString droppedPicturePath(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return {};
    const QUrl first = data->urls().first();
    return first.isLocalFile() ? first.toLocalFile() : QString();
}

void acceptPictureDrag(QDragEnterEvent* event) {
    if (!droppedPicturePath(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

QString takePictureDrop(QDropEvent* event) {
    const QString path = droppedPicturePath(event->mimeData());
    if (!path.isEmpty())
        event->acceptProposedAction();
    return path;
}

} // namespace tesmaro
