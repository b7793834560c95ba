#pragma once
// "MCopy" (multicopy and the two resamplers) and "Реверс Picture №".

namespace tesmaro {
class MainWindow;

namespace resize {

void Command13_Click(MainWindow& w); // "MCopy"
void Command5_Click(MainWindow& w);  // "Реверс Picture №"

} // namespace resize
} // namespace tesmaro
