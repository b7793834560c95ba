#pragma once
// Pen settings shared by the font command and its targets.

#include <QFont>
#include <QWidget>

namespace tesmaro {
class MainWindow;

namespace editor {

// The font dialog's choice onto one target, a text box or a canvas: font name, size in points,
// bold, italic, underline, strikethrough, then the target's drawing (text) colour <- CD1.Color,
// the colour last chosen in the colour dialog (black before the first choice).
void ApplyDialogFont(MainWindow& w, QWidget& target, const QFont& dialogFont);

} // namespace editor
} // namespace tesmaro
