// Tesmaro5: copying, resizing and retouching raster pictures.
#include "platform/Platform.h"
#include "shell/MainWindow.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QStyleFactory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tesmaro5");
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    // The controls are laid out in pixels for a small dialog font.
    QFont font("DejaVu Sans");
    font.setPixelSize(11);
    QApplication::setFont(font);
    QApplication::setWindowIcon(QIcon(":/tesmaro5.png"));
    tesmaro::installQtPlatform();

    auto* main = new tesmaro::MainWindow;
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->show();
    return app.exec();
}
