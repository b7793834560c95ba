// "Из Picture", "в Picture" and "Вернуть": the draft pad and a picture window exchange whole
// pictures or scaled fragments through the copy's fragment record and raster mode.
//
// Every field a transfer reads is checked before anything changes: a field that is not a number
// or a size beyond what a canvas can take abandons the command with the copy's message and
// leaves the pictures, the sizes and the fragment record as they were.
#include "document/Document.h"
#include "editor/EditorCommands.h"

namespace tesmaro::editor {
namespace {

// The hourglass for the command's whole run, the failure message included.
const CommandPolicy kCopyPolicy{.failureMessage = kCopyFailed, .busy = true};

// Checks the fragment fields and, with "Размер задать" on, the size fields; stores nothing.
// Returns the size to impose, if any.
std::optional<QSize> checkTransferFields(const TransferRequest& r) {
    checkFragmentFields(r.fields);
    if (!r.imposedSize)
        return std::nullopt;
    return r.imposedSize->get();
}

PictureWindow* chosenPictureWindow(Document& doc, bool second) {
    return second ? &doc.pictureWindow(WindowId::Picture2) : &doc.pictureWindow(WindowId::Picture1);
}

// Clearing and sizing of a receiving canvas, as the copy does it.
void prepareReceiver(const TransferRequest& r, Canvas& receiver, const std::optional<QSize>& size) {
    ApplyAutoSize(r.fit, receiver);
    if (r.clearReceiver) {
        receiver.cls();
        receiver.clearPicture();
    }
    if (size && !(receiver.setCanvasHeight(size->height()) && receiver.setCanvasWidth(size->width())))
        throw CommandFailure("size refused");
}

// "X Y": the fragment scaled with RasterCode; "All": the source's raster becomes the picture.
void transfer(const AppState& s, const TransferRequest& r, Canvas& receiver, const Canvas& source) {
    if (r.fragment)
        PaintFragment(s, receiver, source.constView());
    else if (!receiver.setPicture(source.image()))
        throw CommandFailure("picture refused");
}

void fromPicture(Document& doc, const TransferRequest& r) {
    const std::optional<QSize> size = checkTransferFields(r);
    AppState& s = doc.state;
    ReadFragmentFields(s, r.fields);
    ReadRasterMode(s, r.rasterCode);
    Canvas& pad = doc.pad();
    prepareReceiver(r, pad, size);
    transfer(s, r, pad, *chosenPictureWindow(doc, r.second)->picMain);
    s.PicHeight = pad.canvasHeight();
    s.PicWidth = pad.canvasWidth();
    // The pad scrolls until its last row or column reaches the frame's top or left edge.
    doc.padScroll().setVerticalRange(0, s.PicHeight);
    doc.padScroll().setHorizontalRange(0, s.PicWidth);
    doc.front().showSourceSize(s.PicHeight, s.PicWidth);
    pad.refresh();
}

void toPicture(Document& doc, const TransferRequest& r) {
    const std::optional<QSize> size = checkTransferFields(r);
    AppState& s = doc.state;
    ReadFragmentFields(s, r.fields);
    ReadRasterMode(s, r.rasterCode);
    PictureWindow* target = chosenPictureWindow(doc, r.second);
    Canvas& receiver = *target->picMain;
    prepareReceiver(r, receiver, size);
    transfer(s, r, receiver, doc.pad());
    receiver.refresh();
    target->show();
    target->raise();
    s.PicHeight = receiver.canvasHeight();
    s.PicWidth = receiver.canvasWidth();
    doc.front().showSourceSize(s.PicHeight, s.PicWidth);
}

} // namespace

Command fromPictureCommand(TransferRequest request) {
    return Command{.policy = kCopyPolicy,
                   .body = [r = std::move(request)](CommandContext& c) { fromPicture(c.document, r); }};
}

Command toPictureCommand(TransferRequest request) {
    return Command{.policy = kCopyPolicy,
                   .body = [r = std::move(request)](CommandContext& c) { toPicture(c.document, r); }};
}

Command returnCommand(bool second) {
    return Command{.policy = kCopyPolicy, .body = [second](CommandContext& c) {
                       // The rectangles of the last transfer, copy or "Pixel", exchanged: the pad's
                       // right-column rectangle goes back onto the left-column rectangle of the
                       // picture. Nothing is read anew.
                       const AppState& s = c.document.state;
                       chosenPictureWindow(c.document, second)
                           ->picMain->paintPicture(
                               c.document.pad().constView(), RectF{s.DstX0, s.DstY0, s.DstXmax, s.DstYmax},
                               RectF{s.SrcX0, s.SrcY0, s.SrcXmax, s.SrcYmax}, s.RasterCode);
                   }};
}

} // namespace tesmaro::editor
