#include "core/RandomSequence.h"
#include "resize/MulticopyProcedures.h"
#include "resize/kernels/BandedStretch.h"
#include "resize/kernels/DibResampler.h"
#include "resize/kernels/ParallelRows.h"
#include "shell/CommandFailure.h"
#include "shell/MainWindow.h"
#include "windows/Windows.h"

namespace tesmaro::resize {

void ResampleByDib(MainWindow& w, const QImage& picture, const MulticopySettings& s) {
    Canvas* work = windows::frmTemp()->picMain; // WorkCanvas
    // Giving the canvas the picture and then its new size is only visible when the run fails, so
    // the picture is put in on that path alone; the result rows go straight into the raster,
    // which ends as the bitmap drawing leaves it: the result size, the rows, no picture.
    auto holdPicture = [&] {
        work->setPicture(picture);
        work->setCanvasSize(s.MCopyWidth, s.MCopyHeight);
    };
    if (picture.format() != QImage::Format_RGB32 || s.MCopyWidth < 1 || s.MCopyHeight < 1 ||
        !work->setCanvasSize(s.MCopyWidth, s.MCopyHeight)) {
        holdPicture();
        throw CommandFailure("no bitmap for the result");
    }
    work->clearPicture();

    const ResampleSettings k = kernelSettings(s);
    const ConstRasterView source(reinterpret_cast<const std::uint32_t*>(picture.constBits()), picture.width(),
                                 picture.height(), static_cast<int>(picture.bytesPerLine() / 4));
    ProgressTitle title = dibProgress(s);
    if (!resampleByDib(source, work->view(), k, programRandom(), resizeThreadCount(),
                       [&](int percent) { title.show(percent); })) {
        holdPicture();
        throw CommandFailure("a channel fell below 0");
    }
    work->refresh();

    Canvas* result = windows::frmMCopy2()->picMain;
    const PixelRect whole{0, 0, s.MCopyWidth, s.MCopyHeight};
    stretchInBands(result->view(), whole, work->constView(), whole, w.state.RasterCode, resizeThreadCount());
    result->refresh();
}

} // namespace tesmaro::resize
