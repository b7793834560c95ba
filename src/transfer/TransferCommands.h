#pragma once
// Load, copy and save: the commands "Загрузить ", "Копировать из " and "Сохранить из".

namespace tesmaro {
class MainWindow;
class Canvas;

namespace transfer {

void Command1_Click(MainWindow& w); // "Загрузить "
void Timer1_Timer(MainWindow& w);   // the screen snapshot, 300 ms after the load was asked for
void Command3_Click(MainWindow& w); // "Копировать из "
void Command2_Click(MainWindow& w); // "Сохранить из"

} // namespace transfer
} // namespace tesmaro
