#pragma once
// Start-up, "About" and "Выход".

namespace tesmaro {
class MainWindow;

namespace shell {

void Form_Load(MainWindow& w);
void Command6_Click(MainWindow& w); // "About"
void Command4_Click(MainWindow& w); // "Выход"

} // namespace shell
} // namespace tesmaro
