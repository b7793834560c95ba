#pragma once
// What the pen settings and the colour pick write together: the swatch, the draft pad, the label
// field and the canvases of both picture windows (created hidden when they do not exist).

#include <cstdint>

namespace tesmaro {
class Document;

namespace editor {

// A chosen colour (dialog or pick): the swatch's background, then the drawing colour of the draft
// pad, the text colour of the label field and the drawing colours of frmPicture1's and
// frmPicture2's canvases, in this order.
void applyChosenColour(Document& document, std::int32_t colour);

} // namespace editor
} // namespace tesmaro
