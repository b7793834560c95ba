#include "core/PackedColour.h"
#include "core/RandomSequence.h"
#include "document/AppState.h"
#include "document/CommandFailure.h"
#include "resize/MulticopyProcedures.h"
#include "resize/kernels/BandedStretch.h"
#include "resize/kernels/DibResampler.h"
#include "resize/kernels/ParallelRows.h"
#include "windows/RasterImage.h"
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
    if (picture.format() != QImage::Format_RGB32 || s.MCopyWidth < 1 || s.MCopyHeight < 1 ||
        !work->setCanvasSize(s.MCopyWidth, s.MCopyHeight))
        fail("no bitmap for the result");
    // A picture-less raster is fully overwritten by the result rows (or replaced on failure),
    // so dropping the picture, and the fill that comes with it, is needed only when there is one.
    if (!work->picture().isNull())
        work->clearPicture();

    const ConstRasterView source = constRasterOf(picture);
    ProgressTitle title = dibProgress(s);
    const auto progress = [&](int percent) { title.show(percent); };
    bool done = false;
    if (combineEarly) {
        DibCombine into{result->view(), state.RasterCode, std::nullopt};
        if (clearLater)
            into.cleared = pixelFromPacked(result->backColour());
        try {
            // Throws only before the first row, when the result is still as it was.
            done =
                resampleByDib(source, work->view(), k, programRandom(), resizeThreadCount(), progress, into);
        } catch (...) {
            if (clearLater)
                result->clearPicture();
            throw;
        }
    } else {
        done = resampleByDib(source, work->view(), k, programRandom(), resizeThreadCount(), progress);
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
