#include "core/PackedColour.h"
#include "document/CommandFailure.h"
#include "document/Document.h"
#include "pictures/RasterImage.h"
#include "resize/KernelThreads.h"
#include "resize/MulticopyProcedures.h"
#include "resize/kernels/BandedStretch.h"
#include "resize/kernels/DibResampler.h"

namespace tesmaro::resize {

void ResampleByDib(Document& doc, const QImage& picture, const ResampleSettings& s, bool clearResult) {
    Canvas* work = doc.pictureWindow(WindowId::Temp).picMain; // WorkCanvas
    Canvas* result = doc.pictureWindow(WindowId::MCopy2).picMain;
    // The final copy onto the result is a 1:1 blit of the same rows, so when no row can fail each
    // is combined into the result as soon as it is made; otherwise the result waits for the run.
    const bool combineEarly = dibChannelsCannotFail(s);
    // Clearing a picture-less result only fills it with the back colour, which every pixel then
    // gets combined with; so the fill is left to the rows and done here only if the run fails.
    const bool clearLater = clearResult && combineEarly && result->picture().isNull() &&
                            result->canvasWidth() == s.width && result->canvasHeight() == s.height;
    if (clearResult && !clearLater)
        result->clearPicture();
    // Giving the canvas the picture and then its new size is only visible when the run fails, so
    // the picture is put in on that path alone; the result rows go straight into the raster,
    // which ends as the bitmap drawing leaves it: the result size, the rows, no picture. Every
    // failure of the run, thrown here or by the kernels, leaves the canvases so.
    const auto showFailure = [&] {
        if (clearLater)
            result->clearPicture();
        work->setPicture(picture);
        work->setCanvasSize(s.width, s.height);
    };
    try {
        if (picture.format() != QImage::Format_RGB32 || s.width < 1 || s.height < 1)
            throw CommandFailure("no bitmap for the result");
        // The bitmap drawing leaves the scratch canvas at the result size without a picture, every
        // pixel a result row's; what it showed before is never seen, so it is neither kept nor
        // filled (a failure replaces it all).
        const RasterView scratch = work->overwriteView(s.width, s.height);
        if (scratch.empty())
            throw CommandFailure("no bitmap for the result");

        const ConstRasterView source = constRasterOf(picture);
        ProgressTitle title = dibProgress(doc, s);
        const auto progress = [&](int percent) { title.show(percent); };
        RandomSequence& random = doc.state.random;
        // Throws only before the first row, when the result is still as it was.
        bool done = false;
        if (combineEarly) {
            // Cleared later, every pixel of the result is written from the rows alone.
            DibCombine into{clearLater ? result->overwriteView(s.width, s.height) : result->view(),
                            doc.state.RasterCode, std::nullopt};
            if (clearLater)
                into.cleared = pixelFromPacked(result->backColour());
            done = resampleByDib(source, scratch, s, random, kernelThreads(doc), progress, into);
        } else {
            done = resampleByDib(source, scratch, s, random, kernelThreads(doc), progress);
        }
        if (!done)
            throw CommandFailure("a channel fell below 0");
    } catch (...) {
        showFailure();
        throw;
    }
    work->refresh();
    if (!combineEarly) {
        const PixelRect whole{0, 0, s.width, s.height};
        stretchInBands(result->view(), whole, work->constView(), whole, doc.state.RasterCode,
                       kernelThreads(doc));
    }
    result->refresh();
}

} // namespace tesmaro::resize
