#include "windows/ImageWindow.h"

#include <QCloseEvent>

namespace tesmaro {

ImageWindow::ImageWindow(const ImageWindowDesign& design) : QWidget(nullptr) {
    setObjectName(design.objectName);
    setWindowTitle(design.caption);
    Image1 = new ImageView(this, design.viewWidth, design.viewHeight);
    Image1->move(0, 0);
    Image1->setAccessibleName(design.caption.trimmed() + QStringLiteral(": рисунок"));
    setGeometry(design.client);
}

void ImageWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    setProperty("unloaded", true);
    deleteLater();
}

} // namespace tesmaro
