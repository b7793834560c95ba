// "Копировать из ": the picture of the source chosen in frame №1 into the destination chosen in
// frame №2, whole ("All") or as a fragment scaled from one rectangle into another ("X Y") and
// combined with the destination by RasterCode.
//
// Every field is read and every refusal decided before the destination is cleared or resized,
// so a copy that cannot be done leaves the destination as it was.
#include "document/Document.h"
#include "pictures/RasterImage.h"
#include "transfer/SourcePicture.h"
#include "transfer/TransferCommands.h"

namespace tesmaro::transfer {
namespace {

// Finishes a copy into frmPicture2: sizes into PicHeight/PicWidth, scroll range, shown, sizes
// reported. Throws when the size exceeds the scroll range.
void ShowPicture2Result(Document& doc) {
    PictureWindow* win = &doc.pictureWindow(WindowId::Picture2);
    AppState& s = doc.state;
    s.PicHeight = win->picMain->canvasHeight();
    s.PicWidth = win->picMain->canvasWidth();
    if (!win->setScrollMax(s.PicHeight, s.PicWidth))
        throw CommandFailure("size beyond the scroll range");
    win->picMain->refresh();
    win->show();
    doc.front().showDestinationSize(s.PicHeight, s.PicWidth);
}

void copyIntoPicture(Document& doc, const CopyRequest& r, const QImage& source,
                     const std::optional<QSize>& imposed) {
    Canvas* canvas = doc.pictureWindow(WindowId::Picture2).picMain;
    ApplyAutoSize(r.fit, *canvas);
    // With AutoSize a whole picture gives the canvas its own size, so a set size has no lasting
    // effect: not applied, or a huge one would be allocated (and could fail) for nothing.
    const bool sourceGivesSize = !r.fragment && canvas->autoSize() && !source.isNull();
    // Sized before clearing: a refused size changes nothing, and a cleared canvas looks the
    // same whether it was resized before or after.
    if (imposed && !sourceGivesSize && !canvas->setCanvasSize(imposed->width(), imposed->height()))
        throw CommandFailure("canvas size refused");
    if (r.clearTarget) {
        canvas->cls();
        canvas->clearPicture();
    }
    if (r.fragment)
        PaintFragment(doc.state, *canvas, constRasterOf(source));
    else if (!canvas->setPicture(source))
        throw CommandFailure("picture refused");
    ShowPicture2Result(doc);
}

void copyIntoImage(Document& doc, const CopyRequest& r, const QImage& source,
                   const std::optional<QSize>& imposed) {
    ImageWindow* win = &doc.imageWindow(WindowId::Image2);
    ImageView* view = win->Image1;
    if (r.fit)
        view->setStretch(*r.fit);
    if (imposed && !view->setViewSize(imposed->width(), imposed->height()))
        throw CommandFailure("view size refused");
    if (r.clearTarget) {
        win->cls();
        view->setPicture(QImage());
    }
    if (!view->setPicture(source))
        throw CommandFailure("picture refused");
    win->show();
}

void copy(Document& doc, const CopyRequest& r) {
    ReadFragmentFields(doc.state, r.fields);
    ReadRasterMode(doc.state, r.rasterCode);
    std::optional<QSize> imposed;
    if (r.imposedSize)
        imposed = r.imposedSize->get();
    const CopyTarget target = r.target.get();
    const QImage source = sourcePicture(doc, r.source);
    // A fragment of nothing (an Image source never given a picture) is refused as a failure.
    if (r.fragment && source.isNull())
        throw CommandFailure("no source picture");
    if (target == CopyTarget::Picture)
        copyIntoPicture(doc, r, source, imposed);
    else
        copyIntoImage(doc, r, source, imposed);
}

} // namespace

Command copyCommand(CopyRequest request) {
    return Command{.policy = {.failureMessage = kCopyFailed,
                              .busy = true,
                              .panel = CommandPolicy::Panel::HiddenThenFront},
                   .body = [r = std::move(request)](CommandContext& c) { copy(c.document, r); }};
}

} // namespace tesmaro::transfer
