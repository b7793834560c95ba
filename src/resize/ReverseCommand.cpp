// "Реверс Picture №": the picture of frmPicture1 or frmPicture2 mirrored left to right.
#include "resize/ProgressTitle.h"
#include "resize/ResizeCommands.h"
#include "resize/kernels/Mirror.h"
#include "resize/kernels/ParallelRows.h"
#include "windows/Windows.h"

namespace tesmaro::resize {
namespace {

void reverse(AppState& state, const ReverseRequest& r) {
    PictureWindow* window = r.second ? windows::frmPicture2() : windows::frmPicture1();
    Canvas* box = window->picMain;
    const int height = box->canvasHeight();
    const int width = box->canvasWidth();
    state.PicHeight = height;
    state.PicWidth = width;

    // Reading and writing happen together per row here; the titles still go through both halves.
    ProgressTitle title(window, QStringLiteral("Реверс   выполнено "));
    for (int y = 1; y <= height; ++y)
        title.show(static_cast<int>(50LL * y / height));
    // Rewritten rather than drawn over: a raster an undo step holds is mirrored into a new one
    // instead of being copied first.
    box->rewrite([&](const ConstRasterView& from, const RasterView& to) {
        runRows(
            height, resizeThreadCount(),
            [&](int row, int) {
                mirrorRowInto(to.row(row), from.row(row), to.width);
                return true;
            },
            [&](int row) { title.show(static_cast<int>(50LL * (row + 1) / height) + 50); });
    });
    // A canvas without a raster (a side of 0) still shows the second half of the titles.
    if (box->image().isNull())
        for (int y = 0; y < height; ++y)
            title.show(static_cast<int>(50LL * (y + 1) / height) + 50);
    box->refresh();

    windows::frmPicture1()->setWindowTitle(QStringLiteral("Picture1 - источник"));
    windows::frmPicture2()->setWindowTitle(QStringLiteral("Picture2 - приемник"));
}

} // namespace

Command reverseCommand(ReverseRequest request) {
    return Command{{kReverseFailed, true, CommandPolicy::Panel::Untouched},
                   [r = request](CommandContext& c) { reverse(c.document.state, r); }};
}

} // namespace tesmaro::resize
