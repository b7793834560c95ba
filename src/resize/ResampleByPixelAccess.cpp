#include "document/CommandFailure.h"
#include "document/Document.h"
#include "resize/KernelThreads.h"
#include "resize/MulticopyProcedures.h"
#include "resize/kernels/PixelAccessResampler.h"

namespace tesmaro::resize {

void ResampleByPixelAccess(Document& doc, const ResampleSettings& s, ProgressTitle& title) {
    Canvas* source = doc.pictureWindow(WindowId::MCopy1).picMain;
    Canvas* result = doc.pictureWindow(WindowId::MCopy2).picMain;
    const bool done = resampleByPixelAccess(source->constView(), result->view(), s, doc.state.random,
                                            kernelThreads(doc), [&](int percent) { title.show(percent); });
    result->refresh();
    if (!done)
        throw CommandFailure("result size below 1");
}

} // namespace tesmaro::resize
