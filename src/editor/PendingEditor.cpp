// Temporary: replaced by the editor's commands.
#include "editor/EditorCommands.h"
namespace tesmaro::editor {
void Option20_Click(MainWindow&) {}
void Option21_Click(MainWindow&) {}
void Timer2_Timer(MainWindow&) {}
void Command7_Click(MainWindow&) {}
void Command11_Click(MainWindow&) {}
void HScroll1_Change(MainWindow&) {}
void Command8_Click(MainWindow&) {}
void Command10_Click(MainWindow&) {}
void Command9_Click(MainWindow&) {}
void Command15_Click(MainWindow&) {}
void Command12_Click(MainWindow&) {}
void attachTools(MainWindow&, Canvas*, bool) {}
} // namespace tesmaro::editor
