#include "core/RandomSequence.h"
#include "document/CommandFailure.h"
#include "resize/MulticopyProcedures.h"
#include "resize/kernels/ParallelRows.h"
#include "resize/kernels/PixelAccessResampler.h"
#include "windows/Windows.h"

namespace tesmaro::resize {

void ResampleByPixelAccess(const MulticopySettings& s, ProgressTitle& title) {
    Canvas* source = windows::frmMCopy1()->picMain;
    Canvas* result = windows::frmMCopy2()->picMain;
    const ResampleSettings k = kernelSettings(s);
    const bool done = resampleByPixelAccess(source->constView(), result->view(), k, programRandom(),
                                            resizeThreadCount(), [&](int percent) { title.show(percent); });
    result->refresh();
    if (!done)
        throw CommandFailure("result size below 1");
}

} // namespace tesmaro::resize
