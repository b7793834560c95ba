// "Pixel": exactly one pixel of the draft pad, at the destination column's X0 and Y0, in the
// swatch's colour, whatever the line width.
#include "core/FieldNumber.h"
#include "document/Canvas.h"
#include "editor/EditorCommands.h"

namespace tesmaro::editor {

Command pixelCommand(PixelRequest request) {
    return Command{.policy = {.failureMessage = kCopyFailed},
                   .body = [r = std::move(request)](CommandContext& c) {
                       // Both fields are checked before either is stored.
                       const float y0 = r.y0.get();
                       const float x0 = r.x0.get();
                       AppState& s = c.document.state;
                       s.DstY0 = y0;
                       s.DstX0 = x0;
                       // Before any colour was chosen this is the face colour the swatch shows.
                       const std::int32_t colour = c.document.swatch().backColour();
                       const std::optional<std::int32_t> x = roundToInt32(x0), y = roundToInt32(y0);
                       // A position beyond 32 bits is outside the pad: nothing is set.
                       if (x && y)
                           c.document.pad().setPixel(*x, *y, colour);
                       c.document.pad().refresh();
                   }};
}

} // namespace tesmaro::editor
