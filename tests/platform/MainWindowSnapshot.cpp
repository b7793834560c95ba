// Helper of ShippedFontTest: starts the program's look and main window offscreen, as the program
// does at start-up (on a 1024 x 768 screen double), and writes what the main window shows to the
// file named by its argument. Prints "system font: yes" or "system font: no": whether the
// machine's own fonts had the control font before the program registered its own.
#include "shell/AppStyle.h"
#include "shell/MainWindow.h"
#include "support/PlatformDoubles.h"

#include <QApplication>
#include <QFontDatabase>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: main_window_snapshot OUT.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool systemFont = QFontDatabase::families().contains(QStringLiteral("PT Sans Narrow"));
    tesmaro::AppStyle::apply();
    tesmaro::testing::FakePlatform platform;
    tesmaro::MainWindow main;
    main.show();
    QApplication::processEvents();
    const QImage shot = main.grab().toImage();
    std::printf("system font: %s\n", systemFont ? "yes" : "no");
    return shot.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
