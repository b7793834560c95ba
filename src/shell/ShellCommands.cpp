#include "shell/ShellCommands.h"

#include "help/AboutWindow.h"
#include "platform/Platform.h"
#include "shell/MainWindow.h"

namespace tesmaro::shell {

void Form_Load(MainWindow& w) {
    AppState& s = w.document().state;
    // 1. The desktop's size; an unreadable screen leaves it all zero.
    const QSize screen = platform().screen ? platform().screen->size() : QSize();
    s.rcDesktop =
        DesktopRect{0, 0, screen.isValid() ? screen.width() : 0, screen.isValid() ? screen.height() : 0};
    const QString height = QString::number(s.rcDesktop.bottom);
    const QString width = QString::number(s.rcDesktop.right);
    // 2. Fragment sizes and picture sizes start as the whole screen.
    for (QLineEdit* e : {w.Text3, w.Text13, w.Text7, w.Text17})
        e->setText(height);
    for (QLineEdit* e : {w.Text4, w.Text14, w.Text8, w.Text18})
        e->setText(width);
    // 3. Height first.
    s.strWork = height + " * " + width;
    w.Text15->setText(s.strWork);
    // 4.
    w.Timer2->stop();
    w.Timer2->setInterval(10);
    // 5.-8.
    for (QLineEdit* e : {w.Text1, w.Text2, w.Text11, w.Text12})
        e->setText("0");
    w.Text5->setText("Tes");
    w.Text21->setText("100");
    w.Text22->setText("100");
    w.Text23->setText("100");
    w.Text10->setText("0");
    w.Text19->setText("5");
    w.Text16->setText("    текст надписи");
    // 9. The draft pad introduces itself; the persistent raster keeps the text.
    Canvas& pad = w.document().pad();
    pad.setCurrentPos(0, 0);
    pad.print("            размер этого белого окна 150 * 300 пикселей");
}

void Command6_Click(MainWindow& w) {
    AboutWindow* about = w.about.window();
    about->show();
    about->raise();
}

void Command4_Click(MainWindow& w) {
    w.document().discardAll();
    w.about.unload();
    w.close();
}

} // namespace tesmaro::shell
