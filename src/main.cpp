// Tesmaro5: copying, resizing and retouching raster pictures.
#include "batch/BatchRun.h"
#include "batch/HeadlessWork.h"
#include "core/RasterMemory.h"
#include "platform/Platform.h"
#include "platform/qt/DesktopSession.h"
#include "platform/qt/QtPlatform.h"
#include "shell/AppStyle.h"
#include "shell/CommandLine.h"
#include "shell/MainWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Headless runs over many files need no display and open no window.
    if (tesmaro::batch::isBatchCommand(arguments)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName("Tesmaro5");
        // Files follow one another without a pause to touch memory in: it would only be held.
        tesmaro::setRasterTouchAhead(false);
        return tesmaro::batch::runBatch(arguments, tesmaro::batch::headlessWork);
    }
    const tesmaro::CommandLine commandLine = tesmaro::readCommandLine(arguments);
    if (commandLine.exit) {
        std::fputs(commandLine.output.toLocal8Bit().constData(), commandLine.exitCode == 0 ? stdout : stderr);
        return commandLine.exitCode;
    }
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
    // A picture named on the command line (a file manager's "Open with") loads once the panel
    // is up, as a load into "Picture" would.
    if (commandLine.file)
        QTimer::singleShot(0, &main, [&main, file = *commandLine.file] { main.loadFile(file); });
    return app.exec();
}
