#pragma once
// Widget tests of the picture windows: a document of their own with its views, so each test
// starts from windows that do not exist yet; helpers that create a window in the document and
// give its widget.

#include "document/Document.h"
#include "support/TestPictures.h"
#include "windows/WindowViews.h"

#include <QCoreApplication>
#include <QEvent>
#include <gtest/gtest.h>

namespace tesmaro::testing {

inline constexpr WindowId kAllWindows[] = {WindowId::Image1,   WindowId::Image2, WindowId::Picture1,
                                           WindowId::Picture2, WindowId::Temp,   WindowId::MCopy1,
                                           WindowId::MCopy2};

class WindowsFixture : public ::testing::Test {
protected:
    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    // The window's widget, the window created in the document if it did not exist.
    PictureWindowWidget* window(WindowId id) {
        doc.pictureWindow(id);
        return views.pictureWindow(id);
    }
    ImageWindowWidget* imageWindowOf(WindowId id) {
        doc.imageWindow(id);
        return views.imageWindow(id);
    }

    Document doc;
    WindowViews views{doc};
};

} // namespace tesmaro::testing
