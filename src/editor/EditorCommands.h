#pragma once
// The editor: mode on/off, drawing tools on the three canvases, pen settings, draft pad
// transfers and "Pixel".

namespace tesmaro {
class MainWindow;
class Canvas;

namespace editor {

void Option20_Click(MainWindow& w); // editor "On"
void Option21_Click(MainWindow& w); // editor "Off"
void Timer2_Timer(MainWindow& w);

void Command7_Click(MainWindow& w);  // "Цвет"
void Command11_Click(MainWindow& w); // "Шрифт"
void HScroll1_Change(MainWindow& w); // line width
void Command8_Click(MainWindow& w);  // "Очистить"

void Command10_Click(MainWindow& w); // "Из Picture"
void Command9_Click(MainWindow& w);  // "в Picture"
void Command15_Click(MainWindow& w); // "Вернуть"
void Command12_Click(MainWindow& w); // "Pixel"

// Connects the mouse tools to a canvas: the draft pad, and each picture canvas of
// frmPicture1 / frmPicture2 when that window is created.
void attachTools(MainWindow& w, Canvas* canvas, bool pictureWindow);

} // namespace editor
} // namespace tesmaro
