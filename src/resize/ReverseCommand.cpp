// "Реверс Picture №": the picture of frmPicture1 or frmPicture2 mirrored left to right.
#include "document/Document.h"
#include "resize/KernelThreads.h"
#include "resize/ProgressTitle.h"
#include "resize/ResizeCommands.h"
#include "resize/kernels/Mirror.h"

namespace tesmaro::resize {
namespace {

void reverse(Document& doc, const ReverseRequest& r) {
    AppState& state = doc.state;
    PictureWindow* window =
        r.second ? &doc.pictureWindow(WindowId::Picture2) : &doc.pictureWindow(WindowId::Picture1);
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
            height, kernelThreads(doc),
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

    doc.pictureWindow(WindowId::Picture1).setTitle(QStringLiteral("Picture1 - источник"));
    doc.pictureWindow(WindowId::Picture2).setTitle(QStringLiteral("Picture2 - приемник"));
}

} // namespace

Command reverseCommand(ReverseRequest request) {
    return Command{.policy = {.failureMessage = kReverseFailed, .busy = true},
                   .body = [r = request](CommandContext& c) { reverse(c.document, r); }};
}

} // namespace tesmaro::resize
