// Temporary: replaced by Load.cpp, Copy.cpp and Save.cpp.
#include "transfer/TransferCommands.h"
namespace tesmaro::transfer {
void Command1_Click(MainWindow&) {}
void Timer1_Timer(MainWindow&) {}
void Command3_Click(MainWindow&) {}
void Command2_Click(MainWindow&) {}
} // namespace tesmaro::transfer
