// "Pixel": exactly one pixel of the draft pad, at column Text12 and row Text11, in the swatch's
// colour, whatever the line width.
#include "core/FieldNumber.h"
#include "editor/CopyFailure.h"
#include "editor/EditorCommands.h"
#include "shell/FieldReader.h"
#include "shell/MainWindow.h"
#include "shell/Messages.h"

namespace tesmaro::editor {

void Command12_Click(MainWindow& w) {
    try {
        // Both fields are checked before either is stored.
        const float y0 = FieldReader::single(w.Text11);
        const float x0 = FieldReader::single(w.Text12);
        AppState& s = w.state;
        s.DstY0 = y0;
        s.DstX0 = x0;
        // Before any colour was chosen this is the face colour the swatch shows.
        const std::int32_t colour = w.Picture3->backColour();
        const std::optional<std::int32_t> x = roundToInt32(x0), y = roundToInt32(y0);
        // A position beyond 32 bits is outside the pad: nothing is set.
        if (x && y)
            w.picMain->setPixel(*x, *y, colour);
        w.picMain->refresh();
    } catch (...) {
        showMessage(kCopyFailed);
    }
}

} // namespace tesmaro::editor
