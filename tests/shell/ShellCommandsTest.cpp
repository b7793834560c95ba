// "About", "Выход" and the close box of the main window.
#include "support/AppFixture.h"

#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest/QTest>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace tesmaro::testing {
namespace {

using About = AppFixture;

int aboutWindowsAlive() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "frmAbout" && !w->property("unloaded").toBool())
            ++n;
    return n;
}

TEST_F(About, TwoClicksShowOneModelessWindow) {
    main->show();
    main->Command6->click();
    AboutWindow* first = main->about.existing();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(first->Text1->toPlainText().isEmpty());

    first->hide();
    main->Command6->click();
    EXPECT_EQ(main->about.existing(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(aboutWindowsAlive(), 1);
    EXPECT_TRUE(main->isEnabled());
}

TEST_F(About, ClosedWindowIsCreatedAfresh) {
    main->Command6->click();
    QPointer<AboutWindow> first = main->about.existing();
    ASSERT_TRUE(first);
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    main->Command6->click();
    ASSERT_NE(main->about.existing(), nullptr);
    EXPECT_TRUE(main->about.existing()->isVisible());
    EXPECT_EQ(aboutWindowsAlive(), 1);
}

using Exit = AppFixture;

// Records the order in which watched windows disappear from the screen.
class HideRecorder : public QObject {
public:
    void watch(QWidget* w) { w->installEventFilter(this); }
    QStringList hidden;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Hide)
            hidden << o->objectName();
        return false;
    }
};

TEST_F(Exit, UnloadsEveryWindowInOrderThenTheMainWindow) {
    main->show();
    // Windows in every state: shown, created but hidden (as frmMCopy1 always is), never
    // created (frmImage1, frmTemp), with unsaved pictures.
    pictureWindow(WindowId::Picture1)->show();
    pictureWindow(WindowId::Picture1)->picMain->line(0, 0, 50, 50, 0xFF);
    imageWindow(WindowId::Image2)->show();
    pictureWindow(WindowId::Picture2);
    pictureWindow(WindowId::MCopy1);
    pictureWindow(WindowId::MCopy2)->show();
    main->Command6->click();

    HideRecorder recorder;
    QStringList destroyed;
    QList<QPointer<QWidget>> all;
    for (QWidget* w : std::initializer_list<QWidget*>{
             imageWindowWidget(WindowId::Image2), pictureWindowWidget(WindowId::Picture1),
             pictureWindowWidget(WindowId::Picture2), pictureWindowWidget(WindowId::MCopy1),
             pictureWindowWidget(WindowId::MCopy2), main->about.existing()}) {
        const QString name = w->objectName();
        QObject::connect(w, &QObject::destroyed, [&destroyed, name] { destroyed << name; });
        recorder.watch(w);
        all << w;
    }
    recorder.watch(main.get());

    main->Command4->click();
    for (WindowId id : kEveryWindow)
        EXPECT_FALSE(currentDocument()->exists(id)) << static_cast<int>(id);
    EXPECT_EQ(main->about.existing(), nullptr);
    EXPECT_FALSE(main->isVisible());
    // The shown ones leave the screen in the exit order, the main window last.
    EXPECT_EQ(recorder.hidden, QStringList({"frmImage2", "frmPicture1", "frmMCopy2", "frmAbout", "frmMain"}));

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<QWidget>& w : all)
        EXPECT_TRUE(w.isNull()) << "a window was hidden, not discarded";
    EXPECT_EQ(destroyed,
              QStringList({"frmImage2", "frmPicture1", "frmPicture2", "frmMCopy1", "frmMCopy2", "frmAbout"}));
    // Nothing asked, nothing said.
    EXPECT_TRUE(fake->messages.shown.empty());
    // A later reference creates a window afresh, with its design values.
    EXPECT_EQ(pictureWindow(WindowId::Picture1)->picMain->point(25, 25), 0xFFFFFF);
}

TEST_F(Exit, WithNoOtherWindowEndsAtOnce) {
    main->show();
    main->Command4->click();
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(fake->messages.shown.empty());
    for (const QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
}

using CloseBox = AppFixture;

TEST_F(CloseBox, HidesTheMainWindowStopsItsTimersAndLeavesShownWindowsOpen) {
    main->show();
    pictureWindow(WindowId::Picture2)->show();
    pictureWindow(WindowId::MCopy1);
    main->Timer2->start();
    main->Timer1->start();
    EXPECT_TRUE(main->close());
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(main->Timer1->isActive());
    EXPECT_FALSE(main->Timer2->isActive());
    // A window on the screen stays; its settings still come from the (hidden) main window.
    EXPECT_TRUE(currentDocument()->exists(WindowId::Picture2));
    EXPECT_TRUE(pictureWindow(WindowId::Picture2)->isVisible());
    EXPECT_EQ(main->Text19->text(), "5");
}

// The real quit path of the event loop: a window on the screen keeps the program running after
// the main window is closed; hidden windows (frmMCopy1 is never shown) do not.
TEST_F(CloseBox, ProgramEndsWithTheLastShownWindowWhateverStaysHidden) {
    main->show();
    pictureWindow(WindowId::MCopy1);
    pictureWindow(WindowId::Picture1)->show();
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    bool afterMain = true, quitInTime = true;
    QApplication::setQuitOnLastWindowClosed(true);
    QTimer::singleShot(0, [&] {
        main->close();
        afterMain = lastClosed.isEmpty();
        pictureWindowWidget(WindowId::Picture1)->close();
    });
    QTimer::singleShot(10000, [&] {
        quitInTime = false;
        QApplication::quit();
    });
    QApplication::exec();
    QApplication::setQuitOnLastWindowClosed(false);
    EXPECT_TRUE(afterMain) << "the program ended with frmPicture1 on the screen";
    EXPECT_EQ(lastClosed.count(), 1);
    EXPECT_TRUE(quitInTime) << "the program kept running with only hidden windows";
    EXPECT_TRUE(currentDocument()->exists(WindowId::MCopy1));
}

} // namespace
} // namespace tesmaro::testing
