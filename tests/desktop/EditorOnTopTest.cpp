// The editor mode on a real X server with a window manager: the main window is kept above the
// window the user works in, which keeps the focus; switching off leaves it above.
#include "editor/EditorCommands.h"
#include "platform/qt/X11Stacking.h"
#include "support/AppFixture.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace tesmaro::testing {
namespace {

// The window manager's view, read on a connection of our own.
class WmView {
public:
    WmView() : m_conn(xcb_connect(nullptr, nullptr)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
    }
    ~WmView() { xcb_disconnect(m_conn); }

    xcb_window_t activeWindow() {
        const auto v = windows(m_root, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
        return v.empty() ? 0 : v.front();
    }
    // Bottom to top.
    std::vector<xcb_window_t> stacking() {
        return windows(m_root, "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW);
    }
    bool above(xcb_window_t upper, xcb_window_t lower) {
        const auto s = stacking();
        int iu = -1, il = -1;
        for (int i = 0; i < int(s.size()); ++i) {
            if (s[i] == upper)
                iu = i;
            if (s[i] == lower)
                il = i;
        }
        return iu >= 0 && il >= 0 && iu > il;
    }
    bool hasAboveState(xcb_window_t w) {
        const xcb_atom_t aboveAtom = atom("_NET_WM_STATE_ABOVE");
        for (xcb_atom_t a : windows(w, "_NET_WM_STATE", XCB_ATOM_ATOM))
            if (a == aboveAtom)
                return true;
        return false;
    }

    bool hasStackingList() {
        auto* r = xcb_get_property_reply(
            m_conn,
            xcb_get_property(m_conn, 0, m_root, atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_ANY, 0, 0),
            nullptr);
        const bool present = r && r->type != XCB_ATOM_NONE;
        std::free(r);
        return present;
    }
    int mapState(xcb_window_t w) {
        auto* r = xcb_get_window_attributes_reply(m_conn, xcb_get_window_attributes(m_conn, w), nullptr);
        const int state = r ? r->map_state : -1;
        std::free(r);
        return state;
    }

private:
    xcb_atom_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(m_conn, xcb_intern_atom(m_conn, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t a = r ? r->atom : 0;
        std::free(r);
        return a;
    }
    std::vector<std::uint32_t> windows(xcb_window_t w, const char* property, xcb_atom_t type) {
        auto* r = xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 0, w, atom(property), type, 0, 4096), nullptr);
        std::vector<std::uint32_t> out;
        if (r && r->format == 32) {
            const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r));
            out.assign(v, v + xcb_get_property_value_length(r) / 4);
        }
        std::free(r);
        return out;
    }

    xcb_connection_t* m_conn;
    xcb_window_t m_root;
};

class HideCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Hide)
            ++hides;
        return false;
    }
    int hides = 0;
};

class EditorOnTop : public AppFixture {
protected:
    void configurePlatform(FakePlatform&) override { platform().stacking = &x11Stacking(); }

    // Shows the main window and makes it the active one, as after the user's click on it.
    void showMainActive() {
        // The window manager announces itself before it is ready to manage windows; a window
        // mapped in between may never be managed. Its stacking list appears when it is ready.
        ASSERT_TRUE(QTest::qWaitFor([&] { return wm.hasStackingList(); }, 5000)) << "no window manager";
        main->move(200, 150);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()))
            << "map state " << wm.mapState(static_cast<xcb_window_t>(main->winId())) << ", managed windows "
            << wm.stacking().size();
        mainId = static_cast<xcb_window_t>(main->winId());
        ASSERT_NO_FATAL_FAILURE(activate(main.get()));
        main->installEventFilter(&hideCounter);
    }

    // Activates a window as a click on it would, and waits until the window manager reports it
    // active. The request is repeated: a window manager that has only just started may drop it.
    void activate(QWidget* window) {
        const auto id = static_cast<xcb_window_t>(window->winId());
        for (int attempt = 0; attempt < 10 && wm.activeWindow() != id; ++attempt) {
            window->activateWindow();
            if (QTest::qWaitFor([&] { return wm.activeWindow() == id; }, 500))
                break;
        }
        ASSERT_EQ(wm.activeWindow(), id)
            << "the window manager never activated " << window->windowTitle().toStdString();
    }

    WmView wm;
    xcb_window_t mainId = 0;
    HideCounter hideCounter;
};

TEST_F(EditorOnTop, KeptAboveTheWindowInFrontWhichKeepsTheFocus) {
    ASSERT_NO_FATAL_FAILURE(showMainActive());
    const QRect before = main->frameGeometry();
    const QSize clientSize = main->size();

    // Another window overlapping the main window; while the editor is off it comes in front.
    QWidget other;
    other.setWindowTitle("other");
    other.setGeometry(100, 120, 500, 300);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    const auto otherId = static_cast<xcb_window_t>(other.winId());
    ASSERT_NO_FATAL_FAILURE(activate(&other));
    ASSERT_TRUE(wm.above(otherId, mainId)) << "the activated window should be in front";

    // The user turns to the main window and switches the editor on.
    ASSERT_NO_FATAL_FAILURE(activate(main.get()));
    ASSERT_TRUE(wm.above(mainId, otherId));
    main->Option20->click();
    EXPECT_TRUE(main->Timer2->isActive());
    EXPECT_EQ(main->document().state.OnTopWindow, mainId);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->frameGeometry().x() == 0; }, 5000))
        << "main->frameGeometry().x() never became 0";
    EXPECT_EQ(main->frameGeometry().y(), before.y());
    EXPECT_EQ(main->size(), clientSize);
    EXPECT_FALSE(wm.hasAboveState(mainId)) << "no raise while the main window is in front";

    // Then to the other window, which the window manager raises as it activates it.
    QSignalSpy ticks(main->Timer2, &QTimer::timeout);
    ASSERT_NO_FATAL_FAILURE(activate(&other));

    ASSERT_TRUE(QTest::qWaitFor([&] { return wm.above(mainId, otherId) && wm.hasAboveState(mainId); }, 5000))
        << "timed out: wm.above(mainId, otherId) && wm.hasAboveState(mainId)";
    std::printf("kept on top %lld ticks after the other window was asked to take the focus\n",
                static_cast<long long>(ticks.count()));
    EXPECT_EQ(wm.activeWindow(), otherId) << "the other window must keep the focus";
    EXPECT_TRUE(other.isActiveWindow());
    EXPECT_EQ(main->frameGeometry().x(), 0) << "keeping on top must not move the window";
    EXPECT_EQ(main->size(), clientSize);

    // More ticks do not take the focus either.
    const qsizetype ticksNow = ticks.count();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.count() >= ticksNow + 10; }, 5000))
        << "timed out: ticks.count() >= ticksNow + 10";
    EXPECT_EQ(wm.activeWindow(), otherId);
    EXPECT_TRUE(wm.above(mainId, otherId));
    // What a tick costs the window thread while another window is in front.
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 200; ++i)
        main->Timer2_Timer();
    std::printf("one tick with another window in front: %.1f us\n", clock.nsecsElapsed() / 200 / 1000.0);

    // Off: back to 433 pixels, and still above when the other window is activated again.
    main->Option21->click();
    EXPECT_FALSE(main->Timer2->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->frameGeometry().x() == 433; }, 5000))
        << "main->frameGeometry().x() never became 433";
    EXPECT_EQ(main->frameGeometry().y(), before.y());
    ASSERT_NO_FATAL_FAILURE(activate(main.get()));
    other.raise();
    ASSERT_NO_FATAL_FAILURE(activate(&other));
    EXPECT_TRUE(wm.hasAboveState(mainId));
    EXPECT_TRUE(wm.above(mainId, otherId)) << "the always-on-top state outlives the editor mode";

    EXPECT_EQ(static_cast<xcb_window_t>(main->winId()), mainId);
    EXPECT_EQ(hideCounter.hides, 0) << "the main window must never be hidden and shown again";
}

// Load and Copy hide the main window and show it again; the state must survive that.
TEST_F(EditorOnTop, StateSurvivesTheProgramHidingAndShowingTheMainWindow) {
    ASSERT_NO_FATAL_FAILURE(showMainActive());
    QWidget other;
    other.setWindowTitle("other");
    other.setGeometry(100, 120, 500, 300);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    const auto otherId = static_cast<xcb_window_t>(other.winId());
    ASSERT_NO_FATAL_FAILURE(activate(main.get()));
    main->Option20->click();
    ASSERT_NO_FATAL_FAILURE(activate(&other));
    ASSERT_TRUE(QTest::qWaitFor([&] { return wm.hasAboveState(mainId); }, 5000));
    main->Option21->click();

    main->hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return wm.mapState(mainId) == XCB_MAP_STATE_UNMAPPED; }, 5000));
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    ASSERT_NO_FATAL_FAILURE(activate(main.get()));
    ASSERT_NO_FATAL_FAILURE(activate(&other));
    // The window manager may take a moment to have the state again after the map.
    EXPECT_TRUE(QTest::qWaitFor([&] { return wm.hasAboveState(mainId) && wm.above(mainId, otherId); }, 5000))
        << "above state " << wm.hasAboveState(mainId) << ", above the other window "
        << wm.above(mainId, otherId);
}

// A message box or dialog of the program itself (parented to the main window, as the platform
// layer opens them) is in front while the editor is on: it must stay above the main window,
// or the user could not answer it.
TEST_F(EditorOnTop, OwnDialogStaysAboveTheMainWindow) {
    ASSERT_NO_FATAL_FAILURE(showMainActive());
    main->Option20->click();
    // A picture window the user works in, overlapping the main window: the main window goes above.
    QWidget other;
    other.setWindowTitle("other");
    other.setGeometry(0, 100, 500, 300);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    const auto otherId = static_cast<xcb_window_t>(other.winId());
    ASSERT_NO_FATAL_FAILURE(activate(&other));
    ASSERT_TRUE(QTest::qWaitFor([&] { return wm.hasAboveState(mainId) && wm.above(mainId, otherId); }, 5000));

    // A message box over that window, as a press with a bad D opens it.
    auto* box = new QMessageBox(QMessageBox::NoIcon, "Tesmaro5", "dialog", QMessageBox::Ok, &other);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
    const auto boxId = static_cast<xcb_window_t>(box->winId());
    ASSERT_NO_FATAL_FAILURE(activate(box));
    QSignalSpy ticks(main->Timer2, &QTimer::timeout);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.count() >= 20; }, 5000)) << "timed out: 20 ticks";
    EXPECT_EQ(wm.activeWindow(), boxId) << "the dialog must keep the focus";
    EXPECT_TRUE(wm.above(boxId, mainId)) << "the dialog must stay in front of the main window";

    // Once it is answered, the main window is kept above the picture window again.
    delete box;
    ASSERT_NO_FATAL_FAILURE(activate(&other));
    ASSERT_TRUE(QTest::qWaitFor([&] { return wm.above(mainId, otherId); }, 5000))
        << "timed out: wm.above(mainId, otherId)";
    main->Option21->click();
}

TEST_F(EditorOnTop, OnAndOffWithoutAnotherWindowNeverSetsTheState) {
    ASSERT_NO_FATAL_FAILURE(showMainActive());
    QSignalSpy ticks(main->Timer2, &QTimer::timeout);
    main->Option20->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.count() >= 10; }, 5000))
        << "timed out: ticks.count() >= 10";
    EXPECT_EQ(wm.activeWindow(), mainId);
    main->Option21->click();
    EXPECT_FALSE(wm.hasAboveState(mainId));
}

// A quick real click on "On" right after another window had the focus: the window manager may
// not have moved the focus to the main window when the click is handled, yet the main window is
// the one kept above.
TEST_F(EditorOnTop, QuickClickOnRightAfterAnotherWindowKeepsTheMainWindowAbove) {
    ASSERT_NO_FATAL_FAILURE(showMainActive());
    QWidget other;
    other.setWindowTitle("other");
    // Beside the editor frame, overlapping the main window's right part.
    other.setGeometry(main->geometry().x() + 500, main->geometry().y() + 40, 400, 300);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    const auto otherId = static_cast<xcb_window_t>(other.winId());
    ASSERT_NO_FATAL_FAILURE(activate(&other));

    // Option20 "On": frame at (4440, 2280) twips, the option at (120, 220), 510 x 195.
    const QPoint on = main->mapToGlobal(QPoint((4440 + 120 + 255) / 15, (2280 + 220 + 97) / 15));
    ASSERT_EQ(
        QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(on.x()), QString::number(on.y()),
                                      "mousedown", "1", "sleep", "0.01", "mouseup", "1"}),
        0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->Option20->isChecked(); }, 5000))
        << "the click never arrived";
    EXPECT_EQ(main->document().state.OnTopWindow, mainId);

    // The user turns to the other window again: the main window is kept above it.
    ASSERT_NO_FATAL_FAILURE(activate(&other));
    ASSERT_TRUE(QTest::qWaitFor([&] { return wm.above(mainId, otherId) && wm.hasAboveState(mainId); }, 5000))
        << "the main window was not kept above the window in front";
    EXPECT_EQ(wm.activeWindow(), otherId);
    main->Option21->click();
}

} // namespace
} // namespace tesmaro::testing
