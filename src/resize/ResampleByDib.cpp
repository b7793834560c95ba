#include "core/PackedColour.h"
#include "core/RandomSequence.h"
#include "document/AppState.h"
#include "document/CommandFailure.h"
#include "pictures/RasterImage.h"
#include "resize/MulticopyProcedures.h"
#include "resize/kernels/BandedStretch.h"
#include "resize/kernels/DibResampler.h"
#include "resize/kernels/ParallelRows.h"
#include "windows/Windows.h"

namespace tesmaro::resize {

void ResampleByDib(const AppState& state, const QImage& picture, const MulticopySettings& s,
                   bool clearResult) {
    Canvas* work = windows::frmTemp()->picMain; // WorkCanvas
    Canvas* result = windows::frmMCopy2()->picMain;
    const ResampleSettings k = kernelSettings(s);
    // The final copy onto the result is a 1:1 blit of the same rows, so when no row can fail each
    // is combined into the result as soon as it is made; otherwise the result waits for the run.
    const bool combineEarly = dibChannelsCannotFail(k);
    // Clearing a picture-less result only fills it with the back colour, which every pixel then
    // gets combined with; so the fill is left to the rows and done here only if the run fails.
    const bool clearLater = clearResult && combineEarly && result->picture().isNull() &&
                            result->canvasWidth() == s.MCopyWidth && result->canvasHeight() == s.MCopyHeight;
    if (clearResult && !clearLater)
        result->clearPicture();
    // Giving the canvas the picture and then its new size is only visible when the run fails, so
    // the picture is put in on that path alone; the result rows go straight into the raster,
    // which ends as the bitmap drawing leaves it: the result size, the rows, no picture.
    auto fail = [&](const char* why) {
        if (clearLater)
            result->clearPicture();
        work->setPicture(picture);
        work->setCanvasSize(s.MCopyWidth, s.MCopyHeight);
        throw CommandFailure(why);
    };
    if (picture.format() != QImage::Format_RGB32 || s.MCopyWidth < 1 || s.MCopyHeight < 1)
        fail("no bitmap for the result");
    // The bitmap drawing leaves the scratch canvas at the result size without a picture, every
    // pixel a result row's; what it showed before is never seen, so it is neither kept nor
    // filled (a failure replaces it all).
    const RasterView scratch = work->overwriteView(s.MCopyWidth, s.MCopyHeight);
    if (scratch.empty())
        fail("no bitmap for the result");

    const ConstRasterView source = constRasterOf(picture);
    ProgressTitle title = dibProgress(s);
    const auto progress = [&](int percent) { title.show(percent); };
    bool done = false;
    try {
        // Throws only before the first row, when the result is still as it was.
        if (combineEarly) {
            // Cleared later, every pixel of the result is written from the rows alone.
            DibCombine into{clearLater ? result->overwriteView(s.MCopyWidth, s.MCopyHeight) : result->view(),
                            state.RasterCode, std::nullopt};
            if (clearLater)
                into.cleared = pixelFromPacked(result->backColour());
            done = resampleByDib(source, scratch, k, programRandom(), resizeThreadCount(), progress, into);
        } else {
            done = resampleByDib(source, scratch, k, programRandom(), resizeThreadCount(), progress);
        }
    } catch (...) {
        if (clearLater)
            result->clearPicture();
        work->setPicture(picture);
        work->setCanvasSize(s.MCopyWidth, s.MCopyHeight);
        throw;
    }
    if (!done)
        fail("a channel fell below 0");
    work->refresh();
    if (!combineEarly) {
        const PixelRect whole{0, 0, s.MCopyWidth, s.MCopyHeight};
        stretchInBands(result->view(), whole, work->constView(), whole, state.RasterCode,
                       resizeThreadCount());
    }
    result->refresh();
}

} // namespace tesmaro::resize
