#pragma once
// A started program for widget tests: platform doubles (a 1024 x 768 screen, a temporary
// program folder), a fresh main window after start-up, and every window discarded afterwards.

#include "help/AboutWindow.h"
#include "platform/qt/QtPlatform.h"
#include "shell/MainWindow.h"
#include "support/PlatformDoubles.h"
#include "windows/Windows.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <gtest/gtest.h>

#include <memory>

namespace tesmaro::testing {

// Every window of the program discarded as a test ends: the picture windows, "About", then the
// main window, with the deletions they posted.
inline void discardWindows(std::unique_ptr<MainWindow>& main) {
    windows::unloadAll();
    help::unloadAbout();
    main.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The real Qt platform, except that messages are recorded instead of shown and files go to a
// temporary program folder.
inline void installQtPlatformRecording(FakeMessageBoxes& messages, FakeAppFolder& folder) {
    installQtPlatform();
    Platform p = platform();
    p.messages = &messages;
    p.folder = &folder;
    installPlatform(p);
}

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        fake = std::make_unique<FakePlatform>();
        configurePlatform(*fake);
        main = std::make_unique<MainWindow>();
    }
    void TearDown() override {
        discardWindows(main);
        fake.reset();
    }
    // Override to change the doubles before the main window starts up.
    virtual void configurePlatform(FakePlatform&) {}

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<MainWindow> main;
};

// "expected X at (x, y), got Y" comparison of two pictures of the same size; with a tolerance,
// each channel may differ by that much.
inline ::testing::AssertionResult samePixels(const QImage& expected, const QImage& actual,
                                             int tolerance = 0) {
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure()
               << "expected size " << expected.width() << "x" << expected.height() << ", got "
               << actual.width() << "x" << actual.height();
    const auto near = [tolerance](int e, int a) { return e - a <= tolerance && a - e <= tolerance; };
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb e = expected.pixel(x, y) & 0xFFFFFF, a = actual.pixel(x, y) & 0xFFFFFF;
            if (!near(qRed(e), qRed(a)) || !near(qGreen(e), qGreen(a)) || !near(qBlue(e), qBlue(a)))
                return ::testing::AssertionFailure() << "expected " << std::hex << e << " at (" << std::dec
                                                     << x << ", " << y << "), got " << std::hex << a;
        }
    return ::testing::AssertionSuccess();
}

} // namespace tesmaro::testing
