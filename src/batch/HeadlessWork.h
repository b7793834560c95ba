#pragma once
// One file of a headless run, as the program's own commands do it on a document of its own
// without any widget: the file loaded as "Загрузить " loads a file into "Picture" (the same probe,
// bound, decoders and messages, Temp.bmp written), then "MCopy" from that Temp.bmp with the given
// fields, or "Реверс Picture №" of the loaded picture. The document starts afresh for every file,
// its random sequence with it, as the program does at its start, and its kernels use one thread,
// so a file's result depends on that file and the fields alone. Temp.bmp and TempMC.bmp stay in
// memory: the program's folder is never touched.

#include "batch/BatchRun.h"

namespace tesmaro::batch {

// The result: for mcopy what TempMC.bmp would hold, for reverse the mirrored picture; or the
// failing command's own message ("ошибка при загрузке рисунка", "Ошибка в режиме
// мультикопирования", ...).
FileResult headlessWork(const QString& inputPath, const BatchOptions& options);

} // namespace tesmaro::batch
