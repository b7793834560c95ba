#include "help/AboutWindow.h"

#include <QCloseEvent>
#include <QPointer>
#include <QScrollBar>

namespace tesmaro {

namespace {
int px(int twips) {
    return qRound(twips / 15.0);
}
} // namespace

AboutWindow::AboutWindow() : QWidget(nullptr) {
    setObjectName("frmAbout");
    setWindowTitle("About Tesmaro5");
    resize(px(6345), px(3555));
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName("Text1");
    Text1->setGeometry(px(0), px(0), px(6315), px(2895));
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tab leaves the box for "Закрыть", as in a classic multi-line text box.
    Text1->setTabChangesFocus(true);
    Text1->setAccessibleName(QStringLiteral("текст справки"));
    Text1->verticalScrollBar()->setAccessibleName(QStringLiteral("текст справки: вертикальная прокрутка"));
    Text1->horizontalScrollBar()->setAccessibleName(
        QStringLiteral("текст справки: горизонтальная прокрутка"));
    Command1 = new QPushButton("Закрыть", this);
    Command1->setObjectName("Command1");
    Command1->setGeometry(px(5040), px(3240), px(1215), px(255));
    Label2 = new QLabel("Tesmaro5 — копирование, масштабирование и ретушь", this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(px(240), px(2900), px(6135), px(255));
    Label3 = new QLabel("Версия 5. Разработка: команда Tesmaro5", this);
    Label3->setObjectName("Label3");
    Label3->setGeometry(px(360), px(3105), px(4575), px(255));
    Label1 = new QLabel("Описание команд - в тексте выше", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(px(720), px(3345), px(4095), px(255));
    setTabOrder(Text1, Command1);
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
    // Each "\r\n" pair of the text is one line break in the box; convert to the box's own separator
    // rather than rely on how the widget reads "\r".
    QString shown = buildHelpText();
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Text1->setPlainText(shown);
    Text1->setFocus();
}

void AboutWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    setProperty("unloaded", true);
    deleteLater();
}

namespace help {

AboutWindowHolder::~AboutWindowHolder() {
    unload();
}

AboutWindow* AboutWindowHolder::window() {
    if (!existing())
        m_window = new AboutWindow;
    return m_window.data();
}

AboutWindow* AboutWindowHolder::existing() const {
    return m_window && !m_window->property("unloaded").toBool() ? m_window.data() : nullptr;
}

void AboutWindowHolder::unload() {
    AboutWindow* w = existing();
    m_window = nullptr;
    if (!w)
        return;
    w->hide();
    w->setProperty("unloaded", true);
    w->deleteLater();
}

} // namespace help
} // namespace tesmaro
