#pragma once
// What the undo history must put back, read independently of it: for every picture window
// whether it exists and is shown, its title, its picture (a deep copy), its canvas size and
// AutoSize, its scroll ranges and positions; for the draft pad its picture and its two bars. And
// the check that a command made one undo step that puts all that back.

#include "document/CommandRunner.h"
#include "document/Document.h"
#include "document/History.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <sstream>

namespace tesmaro::testing {

struct BarShot {
    int minimum = 0, maximum = 0, value = 0;
    bool operator==(const BarShot&) const = default;
};

struct WindowShot {
    bool exists = false;
    bool visible = false;
    QString title;
    QImage pixels; // the canvas raster or the view's picture
    QSize size;    // canvas or view size
    bool autoSizeOrStretch = false;
    BarShot vertical, horizontal;
};

struct Scene {
    std::array<WindowShot, 7> windows;
    QImage pad;
    QSize padSize;
    BarShot padVertical, padHorizontal;
};

inline BarShot barShot(const ScrollState& b) {
    return {b.minimum, b.maximum, b.value};
}

inline Scene captureScene(const Document& doc) {
    Scene s;
    for (int i = 0; i < 7; ++i) {
        const auto id = static_cast<WindowId>(i);
        WindowShot& w = s.windows[i];
        const ProgramWindow* window = doc.existingWindow(id);
        w.exists = window != nullptr;
        if (!w.exists)
            continue;
        w.visible = window->isVisible();
        w.title = window->title();
        if (isImageWindow(id)) {
            const ImageView* view = static_cast<const ImageWindow*>(window)->Image1;
            w.pixels = view->picture().copy();
            w.size = QSize(view->viewWidth(), view->viewHeight());
            w.autoSizeOrStretch = view->stretch();
            continue;
        }
        const auto* win = static_cast<const PictureWindow*>(window);
        w.pixels = win->picMain->image().copy();
        w.size = QSize(win->picMain->canvasWidth(), win->picMain->canvasHeight());
        w.autoSizeOrStretch = win->picMain->autoSize();
        w.vertical = barShot(win->scroll->vertical());
        w.horizontal = barShot(win->scroll->horizontal());
    }
    s.pad = doc.pad().image().copy();
    s.padSize = QSize(doc.pad().canvasWidth(), doc.pad().canvasHeight());
    s.padVertical = barShot(doc.padScroll().vertical());
    s.padHorizontal = barShot(doc.padScroll().horizontal());
    return s;
}

// "expected X at (x, y), got Y" for the first pixel that differs.
inline std::string pixelDifference(const QImage& a, const QImage& b) {
    if (a.isNull() != b.isNull() || a.size() != b.size()) {
        std::ostringstream o;
        o << "size " << a.width() << "x" << a.height() << " vs " << b.width() << "x" << b.height();
        return o.str();
    }
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) {
                std::ostringstream o;
                o << "expected " << std::hex << (a.pixel(x, y) & 0xFFFFFF) << " at (" << std::dec << x << ", "
                  << y << "), got " << std::hex << (b.pixel(x, y) & 0xFFFFFF);
                return o.str();
            }
    return {};
}

inline ::testing::AssertionResult sameScene(const Scene& a, const Scene& b) {
    static const char* names[] = {"frmImage1", "frmImage2", "frmPicture1", "frmPicture2",
                                  "frmTemp",   "frmMCopy1", "frmMCopy2"};
    for (int i = 0; i < 7; ++i) {
        const WindowShot &x = a.windows[i], &y = b.windows[i];
        auto fail = [&](const std::string& what) {
            return ::testing::AssertionFailure() << names[i] << ": " << what;
        };
        if (x.exists != y.exists)
            return fail(x.exists ? "exists, expected not to" : "missing");
        if (!x.exists)
            continue;
        if (x.visible != y.visible)
            return fail("shown differs");
        if (x.title != y.title)
            return fail("title \"" + y.title.toStdString() + "\", expected \"" + x.title.toStdString() +
                        "\"");
        if (x.size != y.size)
            return fail("size differs");
        if (x.autoSizeOrStretch != y.autoSizeOrStretch)
            return fail("AutoSize / Stretch differs");
        if (!(x.vertical == y.vertical) || !(x.horizontal == y.horizontal))
            return fail("scroll bars differ");
        if (const std::string d = pixelDifference(x.pixels, y.pixels); !d.empty())
            return fail("picture: " + d);
    }
    if (a.padSize != b.padSize)
        return ::testing::AssertionFailure() << "draft pad size differs";
    if (!(a.padVertical == b.padVertical) || !(a.padHorizontal == b.padHorizontal))
        return ::testing::AssertionFailure() << "draft pad bars differ";
    if (const std::string d = pixelDifference(a.pad, b.pad); !d.empty())
        return ::testing::AssertionFailure() << "draft pad: " << d;
    return ::testing::AssertionSuccess();
}

// Runs act (a command run to its end, or a drawing action) and checks the undo steps it made:
// none, or one that changed the scene, which undo takes back to the scene before act and redo
// forward again to the scene after it, where it leaves the document.
inline ::testing::AssertionResult undoSteps(CommandRunner& runner, const Document& doc, int steps,
                                            const std::function<void()>& act) {
    const Scene before = captureScene(doc);
    const int stepsBefore = runner.history().undoSteps();
    act();
    if (runner.commandOpen())
        return ::testing::AssertionFailure() << "the command is still open";
    const int made = runner.history().undoSteps() - stepsBefore;
    if (made != steps)
        return ::testing::AssertionFailure() << made << " undo steps, expected " << steps;
    if (steps == 0)
        return ::testing::AssertionSuccess();
    const Scene after = captureScene(doc);
    if (sameScene(before, after))
        return ::testing::AssertionFailure() << "the step changed nothing";
    if (!runner.undo())
        return ::testing::AssertionFailure() << "undo refused";
    if (const auto undone = sameScene(before, captureScene(doc)); !undone)
        return ::testing::AssertionFailure() << "undone: " << undone.message();
    if (!runner.redo())
        return ::testing::AssertionFailure() << "redo refused";
    if (const auto redone = sameScene(after, captureScene(doc)); !redone)
        return ::testing::AssertionFailure() << "redone: " << redone.message();
    return ::testing::AssertionSuccess();
}

} // namespace tesmaro::testing
