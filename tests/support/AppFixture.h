#pragma once
// A started program for widget tests: platform doubles (a 1024 x 768 screen, a temporary
// program folder), a fresh main window after start-up, and every window discarded afterwards.

#include "help/AboutWindow.h"
#include "platform/qt/QtPlatform.h"
#include "shell/MainWindow.h"
#include "support/PlatformDoubles.h"
#include "support/TestPictures.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <gtest/gtest.h>

#include <memory>

namespace tesmaro::testing {

// The document of the program the running test started (AppFixture sets it), and its windows,
// created on reference as the commands create them.
inline Document*& currentDocument() {
    static Document* document = nullptr;
    return document;
}
inline PictureWindow* pictureWindow(WindowId id) {
    return &currentDocument()->pictureWindow(id);
}
inline ImageWindow* imageWindow(WindowId id) {
    return &currentDocument()->imageWindow(id);
}

// The main window of the program the running test started (AppFixture sets it), and the widgets
// of its picture windows, the windows created on reference.
inline MainWindow*& currentMain() {
    static MainWindow* main = nullptr;
    return main;
}
inline PictureWindowWidget* pictureWindowWidget(WindowId id) {
    pictureWindow(id);
    return currentMain()->views().pictureWindow(id);
}
inline ImageWindowWidget* imageWindowWidget(WindowId id) {
    imageWindow(id);
    return currentMain()->views().imageWindow(id);
}

// A started program: the main window after start-up, its document and windows the ones the
// helpers above reach.
inline std::unique_ptr<MainWindow> startMainWindow() {
    auto main = std::make_unique<MainWindow>();
    currentDocument() = &main->document();
    currentMain() = main.get();
    return main;
}

// Every window of the program discarded as a test ends: the picture windows, "About", then the
// main window, with the deletions they posted.
inline void discardWindows(std::unique_ptr<MainWindow>& main) {
    if (main) {
        main->document().discardAll();
        main->about.unload();
    }
    main.reset();
    currentDocument() = nullptr;
    currentMain() = nullptr;
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
        main = startMainWindow();
    }
    void TearDown() override {
        discardWindows(main);
        fake.reset();
    }
    // Override to change the doubles before the main window starts up.
    virtual void configurePlatform(FakePlatform&) {}

    Document& doc() { return main->document(); }
    // The widget of a window the document holds (null when it does not).
    QWidget* windowWidget(WindowId id) { return main->views().widget(id); }

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<MainWindow> main;
};

} // namespace tesmaro::testing
