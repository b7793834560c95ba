#pragma once
// The mouse tools of "Действия" on the draft pad and on the canvases of frmPicture1 and
// frmPicture2. The three canvases share the tool selection, Text16, Text19 and the pen point
// (PenX, PenY, DotDiameter in the main window's state); they differ only in the eraser's box.
//
// Arguments as the canvas signals give them: button 1 left, 2 right, 4 middle (in a move the
// sum of the buttons held); x, y in the canvas's own pixels.
//
// Choices: the square is an outlined box, like the circle's outline; the eraser's box is filled,
// so it wipes the whole area it covers.

#include <cstdint>

namespace tesmaro {
class MainWindow;
class Canvas;

namespace editor {

enum class CanvasKind { DraftPad, PictureWindow };

// Press: sets the pen point, converts Text19 into DotDiameter (a bad D shows
// " Задайте диаметр точки " and ends the press), then the press tools.
void picMain_MouseDown(MainWindow& w, Canvas& canvas, CanvasKind kind, int button, double x, double y);
// Move with exactly the left button held: "линия" and "стереть".
void picMain_MouseMove(MainWindow& w, Canvas& canvas, CanvasKind kind, int buttons, double x, double y);
// Release: "отрезок" with the left button, then "нет" is selected again whatever happened.
void picMain_MouseUp(MainWindow& w, Canvas& canvas, CanvasKind kind, int button, double x, double y);

// The mean colour of the 3 x 3 pixels about (x, y) of canvas (a pixel outside counts as black),
// applied to the swatch, the draft pad, Text16 and both picture canvases.
void PickColor(MainWindow& w, double x, double y, Canvas& canvas);

} // namespace editor
} // namespace tesmaro
