// "Копировать из ": the picture of the source chosen in frame №1 into the destination chosen in
// frame №2, whole ("All") or as a fragment scaled from one rectangle into another ("X Y") and
// combined with the destination by RasterCode.
//
// Every field is read and every refusal decided before the destination is cleared or resized,
// so a copy that cannot be done leaves the destination as it was.
#include "platform/Platform.h"
#include "shell/CommandFailure.h"
#include "shell/MainWindow.h"
#include "shell/Messages.h"
#include "transfer/SharedProcedures.h"
#include "transfer/TransferCommands.h"
#include "windows/Windows.h"

#include <optional>

namespace tesmaro::transfer {
namespace {

const QString kNoFragmentIntoImage = QStringLiteral("в Image нельзя скопировать выборочно ");
const QString kCopyFailed = QStringLiteral("ошибка при копировании ");

void copyIntoPicture(MainWindow& w, const QImage& source, bool fragment,
                     const std::optional<QSize>& imposed) {
    Canvas* canvas = windows::frmPicture2()->picMain;
    ApplyAutoSize(w, *canvas);
    // With AutoSize a whole picture gives the canvas its own size, so a set size has no lasting
    // effect: not applied, or a huge one would be allocated (and could fail) for nothing.
    const bool sourceGivesSize = !fragment && canvas->autoSize() && !source.isNull();
    // Sized before clearing: a refused size changes nothing, and a cleared canvas looks the
    // same whether it was resized before or after.
    if (imposed && !sourceGivesSize && !canvas->setCanvasSize(imposed->width(), imposed->height()))
        throw CommandFailure("canvas size refused");
    if (w.Check5->isChecked()) {
        canvas->cls();
        canvas->clearPicture();
    }
    if (fragment)
        PaintFragment(w, *canvas, pictureRaster(source));
    else if (!canvas->setPicture(source))
        throw CommandFailure("picture refused");
    ShowPicture2Result(w);
}

void copyIntoImage(MainWindow& w, const QImage& source, const std::optional<QSize>& imposed) {
    ImageWindow* win = windows::frmImage2();
    ImageView* view = win->Image1;
    if (w.Option5->isChecked())
        view->setStretch(false);
    if (w.Option6->isChecked())
        view->setStretch(true);
    if (imposed && !view->setViewSize(imposed->width(), imposed->height()))
        throw CommandFailure("view size refused");
    if (w.Check5->isChecked()) {
        win->cls();
        view->setPicture(QImage());
    }
    if (!view->setPicture(source))
        throw CommandFailure("picture refused");
    win->show();
}

void copy(MainWindow& w) {
    ReadFragmentFields(w);
    ReadRasterMode(w);
    const bool fragment = w.Option11->isChecked();
    const bool intoPicture = w.Option4->isChecked();
    std::optional<QSize> imposed;
    if (w.Check4->isChecked())
        imposed = ReadSizeFields(w.Text17, w.Text18);
    if (fragment && !intoPicture) {
        showMessage(kNoFragmentIntoImage);
        return;
    }
    const QImage source = SourceFramePicture(w);
    // A fragment of nothing (an Image source never given a picture) is refused as a failure.
    if (fragment && source.isNull())
        throw CommandFailure("no source picture");
    if (intoPicture)
        copyIntoPicture(w, source, fragment, imposed);
    else
        copyIntoImage(w, source, imposed);
}

} // namespace

void Command3_Click(MainWindow& w) {
    platform().busy->setBusy(true);
    w.hide();
    try {
        copy(w);
    } catch (...) {
        showMessage(kCopyFailed);
    }
    platform().busy->setBusy(false);
    w.bringToFront();
}

} // namespace tesmaro::transfer
