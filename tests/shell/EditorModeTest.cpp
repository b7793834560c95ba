// Editor mode with the stacking double: where the main window goes, what the ticks ask of the
// window system.
#include "editor/EditorCommands.h"
#include "support/AppFixture.h"

#include <QSignalSpy>
#include <QTest>

namespace tesmaro::testing {
namespace {

class EditorMode : public AppFixture {};

TEST_F(EditorMode, OnKeepsTheMainWindowAboveOtherForegroundWindows) {
    main->move(300, 120);
    const QSize size = main->size();
    const quintptr self = fake->stacking.windowId(main.get());
    fake->stacking.foreground = self;

    main->Option20->click();
    EXPECT_TRUE(main->Option20->isChecked());
    EXPECT_TRUE(main->Timer2->isActive());
    EXPECT_EQ(main->Timer2->interval(), 10);
    EXPECT_EQ(main->document().state.OnTopWindow, self);
    EXPECT_EQ(main->pos(), QPoint(0, 120));
    EXPECT_EQ(main->size(), size);

    // The main window in front: the ticks ask nothing.
    QSignalSpy ticks(main->Timer2, &QTimer::timeout);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.count() >= 3; }, 5000)) << "timed out: ticks.count() >= 3";
    EXPECT_TRUE(fake->stacking.raised.empty());
    EXPECT_EQ(main->document().state.ForegroundNow, self);

    // Another window in front: every tick keeps the main window on top.
    fake->stacking.foreground = 0x4400017;
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake->stacking.raised.size() >= 3; }, 5000))
        << "timed out: fake->stacking.raised.size() >= 3";
    for (QWidget* w : fake->stacking.raised)
        EXPECT_EQ(w, main.get());
    EXPECT_EQ(main->document().state.ForegroundNow, quintptr(0x4400017));
    EXPECT_EQ(main->pos(), QPoint(0, 120));

    // Off: the timer stops and the window goes to 6500 twips, 433 pixels; top and size stay.
    main->Option21->click();
    EXPECT_FALSE(main->Timer2->isActive());
    EXPECT_EQ(main->pos(), QPoint(433, 120));
    EXPECT_EQ(main->size(), size);
    const std::size_t raisedAtOff = fake->stacking.raised.size();
    main->Option21_Click();
    EXPECT_EQ(fake->stacking.raised.size(), raisedAtOff);
}

// The window to keep above is the main window itself, even when the desktop still reports
// another window active at the click (the window manager may not have moved the focus yet).
TEST_F(EditorMode, TickKeepsTheMainWindowWhateverWasActiveAtSwitchOn) {
    const quintptr self = fake->stacking.windowId(main.get());
    fake->stacking.foreground = 7;
    main->Option20_Click();
    EXPECT_EQ(main->document().state.OnTopWindow, self);
    main->Timer2_Timer();
    main->Timer2_Timer();
    ASSERT_EQ(fake->stacking.raised.size(), 2u);
    EXPECT_EQ(fake->stacking.raised.back(), main.get());
    fake->stacking.foreground = self;
    main->Timer2_Timer();
    EXPECT_EQ(fake->stacking.raised.size(), 2u) << "the main window in front asks nothing";
    EXPECT_EQ(main->document().state.ForegroundNow, self);
}

} // namespace
} // namespace tesmaro::testing
