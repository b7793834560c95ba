// "Из Picture", "в Picture" and "Вернуть": the draft pad and a picture window exchange whole
// pictures or scaled fragments through the copy's fragment record and raster mode.
//
// Every field a transfer reads is checked before anything changes: a field that is not a number
// or a size beyond what a canvas can take abandons the command with the copy's message and
// leaves the pictures, the sizes and the fragment record as they were.
#include "editor/CopyFailure.h"
#include "editor/EditorCommands.h"
#include "platform/Platform.h"
#include "shell/CommandFailure.h"
#include "shell/FieldReader.h"
#include "shell/MainWindow.h"
#include "shell/Messages.h"
#include "transfer/SharedProcedures.h"
#include "windows/Windows.h"

#include <optional>

namespace tesmaro::editor {
namespace {

// Checks the fragment fields and, with "Размер задать" on, the size fields; stores nothing.
// Returns the size to impose, if any.
std::optional<QSize> checkTransferFields(MainWindow& w) {
    for (const QLineEdit* field :
         {w.Text1, w.Text2, w.Text3, w.Text4, w.Text11, w.Text12, w.Text13, w.Text14})
        FieldReader::single(field);
    if (!w.Check4->isChecked())
        return std::nullopt;
    return ReadSizeFields(w.Text17, w.Text18);
}

PictureWindow* chosenPictureWindow(MainWindow& w) {
    return w.Option30->isChecked() ? windows::frmPicture2() : windows::frmPicture1();
}

// Clearing and sizing of a receiving canvas, as the copy does it.
void prepareReceiver(MainWindow& w, Canvas& receiver, const std::optional<QSize>& size) {
    ApplyAutoSize(w, receiver);
    if (w.Check5->isChecked()) {
        receiver.cls();
        receiver.clearPicture();
    }
    if (size && !(receiver.setCanvasHeight(size->height()) && receiver.setCanvasWidth(size->width())))
        throw CommandFailure("size refused");
}

// "X Y": the fragment scaled with RasterCode; "All": the source's raster becomes the picture.
void transfer(MainWindow& w, Canvas& receiver, const Canvas& source) {
    if (w.Option11->isChecked())
        PaintFragment(w, receiver, source.constView());
    else if (!receiver.setPicture(source.image()))
        throw CommandFailure("picture refused");
}

// The hourglass for the command's whole run, the failure message included.
template <typename Body> void runCopyCommand(Body body) {
    platform().busy->setBusy(true);
    try {
        body();
    } catch (...) {
        showMessage(kCopyFailed);
    }
    platform().busy->setBusy(false);
}

} // namespace

void Command10_Click(MainWindow& w) {
    runCopyCommand([&w] {
        const std::optional<QSize> size = checkTransferFields(w);
        ReadFragmentFields(w);
        ReadRasterMode(w);
        Canvas& pad = *w.picMain;
        prepareReceiver(w, pad, size);
        transfer(w, pad, *chosenPictureWindow(w)->picMain);
        AppState& s = w.state;
        s.PicHeight = pad.canvasHeight();
        s.PicWidth = pad.canvasWidth();
        // The pad scrolls until its last row or column reaches the frame's top or left edge.
        w.VScroll2->setRange(0, s.PicHeight);
        w.HScroll2->setRange(0, s.PicWidth);
        w.Text7->setText(QString::number(s.PicHeight));
        w.Text8->setText(QString::number(s.PicWidth));
        pad.refresh();
    });
}

void Command9_Click(MainWindow& w) {
    runCopyCommand([&w] {
        const std::optional<QSize> size = checkTransferFields(w);
        ReadFragmentFields(w);
        ReadRasterMode(w);
        PictureWindow* target = chosenPictureWindow(w);
        Canvas& receiver = *target->picMain;
        prepareReceiver(w, receiver, size);
        transfer(w, receiver, *w.picMain);
        receiver.refresh();
        target->show();
        target->raise();
        AppState& s = w.state;
        s.PicHeight = receiver.canvasHeight();
        s.PicWidth = receiver.canvasWidth();
        w.Text7->setText(QString::number(s.PicHeight));
        w.Text8->setText(QString::number(s.PicWidth));
    });
}

void Command15_Click(MainWindow& w) {
    runCopyCommand([&w] {
        // The rectangles of the last transfer, copy or "Pixel", exchanged: the pad's right-column
        // rectangle goes back onto the left-column rectangle of the picture. Nothing is read anew.
        const AppState& s = w.state;
        chosenPictureWindow(w)->picMain->paintPicture(
            w.picMain->constView(), RectF{s.DstX0, s.DstY0, s.DstXmax, s.DstYmax},
            RectF{s.SrcX0, s.SrcY0, s.SrcXmax, s.SrcYmax}, s.RasterCode);
    });
}

} // namespace tesmaro::editor
