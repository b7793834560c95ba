#pragma once
// Load, copy and save: the commands "Загрузить ", "Копировать из " and "Сохранить из".
// Each shows its one message on failure and never lets an exception out to the event loop.

namespace tesmaro {
class MainWindow;

namespace transfer {

void Command1_Click(MainWindow& w); // "Загрузить "
void Timer1_Timer(MainWindow& w);   // the screen snapshot, 300 ms after the load was asked for
// The snapshot of the whole desktop into a fresh frmTemp and Temp.bmp; only Timer1_Timer calls it.
void TakeScreenShot(MainWindow& w);
void Command3_Click(MainWindow& w); // "Копировать из "
void Command2_Click(MainWindow& w); // "Сохранить из"

} // namespace transfer
} // namespace tesmaro
