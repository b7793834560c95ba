#pragma once
// The surfaces the pen settings and the colour pick write together: the draft pad, the label
// field Text16 and the canvases of both picture windows (created hidden when they do not exist).

#include <QLineEdit>

#include <cstdint>

namespace tesmaro {
class MainWindow;

namespace editor {

// The text colour of a text box (packed colour).
void setTextColour(QLineEdit& field, std::int32_t colour);
std::int32_t textColour(const QLineEdit& field);

// A chosen colour (dialog or pick): the swatch Picture3's background, then the drawing colour of
// the draft pad, the text colour of Text16 and the drawing colours of frmPicture1's and
// frmPicture2's canvases, in this order.
void applyChosenColour(MainWindow& w, std::int32_t colour);

} // namespace editor
} // namespace tesmaro
