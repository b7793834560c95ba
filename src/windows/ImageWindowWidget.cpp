#include "windows/ImageWindowWidget.h"

#include "windows/PictureDrop.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>

namespace tesmaro {

ImageWindowWidget::ImageWindowWidget(ImageWindow& window) : QWidget(nullptr), m_window(&window) {
    const ImageWindowDesign& design = window.design();
    setObjectName(design.objectName);
    setWindowTitle(window.title());
    Image1 = new ImageViewWidget(*window.Image1, this);
    Image1->move(0, 0);
    Image1->setAccessibleName(design.caption.trimmed() + QStringLiteral(": рисунок"));
    connect(&window, &ProgramWindow::titleChanged, this, [this] {
        if (m_window)
            setWindowTitle(m_window->title());
    });
    connect(&window, &ProgramWindow::visibilityChanged, this, [this] {
        if (m_window)
            setVisible(m_window->isVisible());
    });
    connect(&window, &ProgramWindow::raiseRequested, this, &QWidget::raise);
    setGeometry(design.client);
    setVisible(window.isVisible());
}

void ImageWindowWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closeRequested();
}

void ImageWindowWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedPicturePath(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void ImageWindowWidget::dropEvent(QDropEvent* event) {
    const QString path = droppedPicturePath(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    emit pictureDropped(path);
}

} // namespace tesmaro
