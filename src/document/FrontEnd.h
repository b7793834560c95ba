#pragma once
// What a command may ask of the front end that started it: the control panel's visibility, its
// two size readouts and the snapshot timer. Commands never see the panel's widgets. The defaults
// do nothing, which is what tests and the benchmark want when they run commands without a panel.

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
    // front end then resumes the open command (CommandRunner::resume).
    virtual void startSnapshotTimer(int /*milliseconds*/) {}
};

} // namespace tesmaro
