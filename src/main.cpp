// Tesmaro5: copying, resizing and retouching raster pictures.
#include "platform/DesktopSession.h"
#include "platform/Platform.h"
#include "shell/AppStyle.h"
#include "shell/MainWindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv) {
    tesmaro::preferXWayland();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tesmaro5");
    // Wayland compositors find the menu entry, and so the icon, by this name.
    QApplication::setDesktopFileName(TESMARO_APP_ID);
    tesmaro::AppStyle::apply();
    // The dialogs' own buttons and labels in Russian, like the rest of the program.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), "qtbase", "_",
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    tesmaro::installQtPlatform();

    // The start-up object is the main window; its construction runs Form_Load. The program
    // ends when its last visible window closes.
    tesmaro::MainWindow main;
    main.show();
    return app.exec();
}
