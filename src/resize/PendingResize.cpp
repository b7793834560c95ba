// Temporary: replaced by the multicopy and reverse commands.
#include "resize/ResizeCommands.h"
namespace tesmaro::resize {
void Command13_Click(MainWindow&) {}
void Command5_Click(MainWindow&) {}
} // namespace tesmaro::resize
