#include "windows/ImageWindowWidget.h"

#include "windows/WindowBehaviour.h"

#include <QCloseEvent>

namespace tesmaro {

ImageWindowWidget::ImageWindowWidget(ImageWindow& window) : QWidget(nullptr), m_window(&window) {
    const ImageWindowDesign& design = window.design();
    setObjectName(design.objectName);
    Image1 = new ImageViewWidget(*window.Image1, this);
    Image1->move(0, 0);
    Image1->setAccessibleName(design.caption.trimmed() + QStringLiteral(": рисунок"));
    followWindow(*this, window);
    setGeometry(design.client);
    setVisible(window.isVisible());
}

void ImageWindowWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closeRequested();
}

void ImageWindowWidget::dragEnterEvent(QDragEnterEvent* event) {
    acceptPictureDrag(event);
}

void ImageWindowWidget::dropEvent(QDropEvent* event) {
    if (const QString path = takePictureDrop(event); !path.isEmpty())
        emit pictureDropped(path);
}

} // namespace tesmaro
