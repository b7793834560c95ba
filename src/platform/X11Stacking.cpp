#include "platform/X11Stacking.h"

#include <QWidget>

namespace tesmaro {
namespace {

// Filled in with the editor mode; until then the stacking is a no-op.
class X11Stacking final : public WindowStacking {
public:
    quintptr foregroundWindow() override { return 0; }
    quintptr windowId(QWidget* window) override { return window ? static_cast<quintptr>(window->winId()) : 0; }
    void keepOnTop(QWidget*) override {}
};

} // namespace

WindowStacking& x11Stacking() {
    static X11Stacking stacking;
    return stacking;
}

} // namespace tesmaro
