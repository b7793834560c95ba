#pragma once
// A front end for commands run without the panel: it records what a command asked of the panel
// and holds the snapshot timer's continuation until the test lets the timer run out.

#include "document/FrontEnd.h"

#include <QSize>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

namespace tesmaro::testing {

class FakeFrontEnd : public FrontEnd {
public:
    void hideControls() override { panel << "hide"; }
    void showControls() override { panel << "show"; }
    void bringControlsToFront() override { panel << "front"; }
    void showSourceSize(int height, int width) override { sourceSize = QSize(width, height); }
    void showDestinationSize(int height, int width) override { destinationSize = QSize(width, height); }
    void startSnapshotTimer(int milliseconds, std::function<void()> then) override {
        timerMilliseconds = milliseconds;
        m_then = std::move(then);
    }
    quintptr panelWindowId() override { return windowId; }
    void movePanelTo(int left) override { panelLefts.push_back(left); }
    void keepPanelOnTop() override { ++keptOnTop; }

    bool timerRunning() const { return static_cast<bool>(m_then); }
    // The snapshot timer runs out: what it holds runs once. Nothing when no timer runs.
    void timeout() {
        auto then = std::exchange(m_then, nullptr);
        if (then)
            then();
    }

    QStringList panel;                 // "hide", "show", "front", in the order asked
    QSize sourceSize, destinationSize; // the sizes reported, width x height
    int timerMilliseconds = 0;
    quintptr windowId = 0;       // what panelWindowId answers
    std::vector<int> panelLefts; // every move, screen pixels
    int keptOnTop = 0;

private:
    std::function<void()> m_then;
};

} // namespace tesmaro::testing
