#pragma once
// The program's own files: Temp.bmp, TempMC.bmp and the saved pictures, in the program's folder.

#include <QString>

namespace tesmaro {

// The program's folder, "/", then name.
QString appFilePath(const QString& name);

} // namespace tesmaro
