#pragma once
// What a command may ask of the front end that started it: the control panel's visibility and
// place, its two size readouts and the snapshot timer. Commands never see the panel's widgets.
// The defaults do nothing, which is what tests, the benchmark and headless runs want when they
// run commands without a panel.

#include <QtGlobal>

#include <functional>

namespace tesmaro {

class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    virtual void hideControls() {}
    virtual void showControls() {}
    // Hidden and shown again, which brings the panel in front of the windows a command showed.
    virtual void bringControlsToFront() {}

    // The picture size a command reports, pixels: in the source column (Height, Width) ...
    virtual void showSourceSize(int /*height*/, int /*width*/) {}
    // ... or in the destination column.
    virtual void showDestinationSize(int /*height*/, int /*width*/) {}

    // A screen load waits this long, with the panel hidden, before its snapshot is taken; the
    // front end then calls then() once, on the GUI thread. Without a timer it is never called.
    virtual void startSnapshotTimer(int /*milliseconds*/, std::function<void()> /*then*/) {}

    // The editor mode: the panel's window id for the window stacking (0: none), moving the panel
    // to a left edge (screen pixels, its top kept), and keeping it above the other windows (or
    // above them the program's own modal dialog, while one is open).
    virtual quintptr panelWindowId() { return 0; }
    virtual void movePanelTo(int /*left*/) {}
    virtual void keepPanelOnTop() {}
};

} // namespace tesmaro
