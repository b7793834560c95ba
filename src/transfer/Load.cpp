// "Загрузить ": a picture from a file or the clipboard into a source window, or a snapshot of
// the whole screen into frmTemp. Every successful load leaves the picture in Temp.bmp and its
// size in Text7/Text8.
//
// A load that fails must not cost the user the picture already shown: the fields are read and
// the new picture decoded before any window is cleared, resized or assigned.
#include "core/RasterOp.h"
#include "platform/Platform.h"
#include "shell/CommandFailure.h"
#include "shell/MainWindow.h"
#include "shell/Messages.h"
#include "transfer/PictureFiles.h"
#include "transfer/SharedProcedures.h"
#include "transfer/TransferCommands.h"
#include "windows/Windows.h"

#include <QPointer>

#include <optional>

namespace tesmaro::transfer {
namespace {

const QString kScreenFromClipboard = QStringLiteral("Загрузка Screen не производится из Clipboard");
const QString kNoLoadIntoMCopy = QStringLiteral("Загрузка в MCopy не производится ");
const QString kLoadFailed = QStringLiteral("ошибка при загрузке рисунка");
const QString kOpenFilter =
    QStringLiteral("All Files (*.*)|*.*|BMP Files (*.bmp)|*.bmp|GIF Files (*.gif)|*.gif|"
                   "ICO Files (*.ico)|*.ico|JPG Files (*.jpg)|*.jpg|PNG Files (*.png)|*.png|");
const QString kTempFile = QStringLiteral("Temp.bmp");

constexpr int kOfnHideReadOnly = 0x4;
constexpr int kOfnFileMustExist = 0x1000;
constexpr int kSnapshotDelayMs = 300;

// The closing steps: the main window comes back in front of the window just shown.
void finish(MainWindow& w) {
    w.bringToFront();
    platform().busy->setBusy(false);
}

void showLoadedSize(MainWindow& w) {
    w.Text7->setText(QString::number(w.state.PicHeight));
    w.Text8->setText(QString::number(w.state.PicWidth));
}

// CD1 set up afresh for every file load. false when the user cancelled; throws when the
// dialog failed.
bool choosePictureFile(MainWindow& w) {
    AppState& s = w.state;
    s.CD1.CancelError = true;
    s.strWork = kOpenFilter;
    s.CD1.Flags = kOfnHideReadOnly | kOfnFileMustExist;
    OpenFileRequest request;
    request.filter = s.strWork;
    request.filterIndex = 1;
    // The program's own folder: there is no fixed install folder on this platform.
    request.initialDir = platform().folder->path();
    request.fileMustExist = (s.CD1.Flags & kOfnFileMustExist) != 0;
    const OpenFileResult result = platform().files->openFile(request);
    if (result.outcome == OpenFileResult::Outcome::Cancelled)
        return false;
    if (result.outcome != OpenFileResult::Outcome::Chosen)
        throw CommandFailure("open dialog failed");
    s.PicFileName = result.path;
    return true;
}

// The new picture, decoded in full before anything on the screen changes.
QImage decodePicture(MainWindow& w, bool fromClipboard) {
    QImage picture;
    if (fromClipboard) {
        allowLargePictures();
        // No picture on the clipboard is a failed load, not an empty picture.
        picture = opaquePicture(platform().clipboard->image());
    } else {
        picture = loadPictureFile(w.state.PicFileName);
    }
    if (picture.isNull())
        throw CommandFailure("no picture");
    return picture;
}

void loadIntoPicture(MainWindow& w, const QImage& picture, const std::optional<QSize>& imposed) {
    AppState& s = w.state;
    PictureWindow* win = windows::frmPicture1();
    Canvas* canvas = win->picMain;
    ApplyAutoSize(w, *canvas);
    // With AutoSize on the picture decides the size, so an imposed size has no lasting effect.
    // Sized first: a refused size changes nothing, and a white canvas resized is still white.
    if (imposed && !canvas->autoSize() && !canvas->setCanvasSize(imposed->width(), imposed->height()))
        throw CommandFailure("canvas size refused");
    canvas->cls();
    canvas->clearPicture();
    if (!canvas->setPicture(picture))
        throw CommandFailure("picture refused");
    s.PicHeight = canvas->canvasHeight();
    s.PicWidth = canvas->canvasWidth();
    if (!win->setScrollMax(s.PicHeight, s.PicWidth))
        throw CommandFailure("size beyond the scroll range");
    canvas->refresh();
    win->show();
    if (!saveBmpFile(canvas->image(), appFilePath(kTempFile)))
        throw CommandFailure("Temp.bmp not written");
    showLoadedSize(w);
}

void loadIntoImage(MainWindow& w, const QImage& picture, const std::optional<QSize>& imposed) {
    AppState& s = w.state;
    ImageWindow* win = windows::frmImage1();
    ImageView* view = win->Image1;
    if (w.Option5->isChecked())
        view->setStretch(false);
    if (w.Option6->isChecked())
        view->setStretch(true);
    win->cls();
    if (imposed && !view->setViewSize(imposed->width(), imposed->height()))
        throw CommandFailure("view size refused");
    if (!view->setPicture(picture))
        throw CommandFailure("picture refused");
    win->show();
    // The picture as loaded, never the scaled display.
    if (!saveBmpFile(view->picture(), appFilePath(kTempFile)))
        throw CommandFailure("Temp.bmp not written");
    s.PicHeight = view->viewHeight();
    s.PicWidth = view->viewWidth();
    showLoadedSize(w);
}

// The file and clipboard loads; a cancelled dialog ends the load silently.
void loadPicture(MainWindow& w) {
    const bool fromClipboard = w.Check6->isChecked();
    if (!fromClipboard && !choosePictureFile(w))
        return;
    const bool intoPicture = w.Option2->isChecked();
    std::optional<QSize> imposed;
    if (w.Check4->isChecked()) {
        imposed = ReadSizeFields(w.Text7, w.Text8);
        // An empty canvas has no picture to keep in Temp.bmp: refuse before clearing it.
        if (intoPicture && w.Option5->isChecked() && imposed->isEmpty())
            throw CommandFailure("empty canvas");
    }
    const QImage picture = decodePicture(w, fromClipboard);
    if (intoPicture)
        loadIntoPicture(w, picture, imposed);
    else
        loadIntoImage(w, picture, imposed);
}

// The whole screen in its own pixels, from the screen's answer; the canvas takes its size, which is
// rcDesktop's wherever the program reads the screen itself.
void takeSnapshot(MainWindow& w, QImage shot) {
    AppState& s = w.state;
    if (shot.isNull())
        throw CommandFailure("screen not captured");
    shot = shot.convertToFormat(QImage::Format_RGB32);
    if (shot.isNull())
        throw CommandFailure("out of memory");

    // A fresh window with its design values, whatever referred to frmTemp meanwhile.
    windows::unload(windows::Id::Temp);
    PictureWindow* win = windows::frmTemp();
    Canvas* canvas = win->picMain;
    if (!canvas->setCanvasWidth(shot.width()) || !canvas->setCanvasHeight(shot.height()))
        throw CommandFailure("canvas size refused");
    if (!win->setScrollMax(canvas->canvasHeight(), canvas->canvasWidth()))
        throw CommandFailure("size beyond the scroll range");
    const RectF rect{0, 0, double(shot.width()), double(shot.height())};
    canvas->paintPicture(pictureRaster(shot), rect, rect, SRCCOPY);
    if (!saveBmpFile(canvas->image(), appFilePath(kTempFile)))
        throw CommandFailure("Temp.bmp not written");
    s.PicHeight = canvas->canvasHeight();
    s.PicWidth = canvas->canvasWidth();
    showLoadedSize(w);
    win->show();
}

} // namespace

void Command1_Click(MainWindow& w) {
    platform().busy->setBusy(true);
    if (w.Option7->isChecked()) {
        if (w.Check6->isChecked()) {
            showMessage(kScreenFromClipboard);
            finish(w);
            return;
        }
        // The snapshot must show neither the previous snapshot nor the main window; both stay
        // away, with the hourglass, until Timer1 has taken it.
        windows::unload(windows::Id::Temp);
        w.hide();
        w.Timer1->start(kSnapshotDelayMs);
        return;
    }
    if (w.Option19->isChecked()) {
        showMessage(kNoLoadIntoMCopy);
        finish(w);
        return;
    }
    try {
        loadPicture(w);
    } catch (...) {
        showMessage(kLoadFailed);
    }
    finish(w);
}

void Timer1_Timer(MainWindow& w) {
    w.Timer1->stop();
    TakeScreenShot(w);
}

void TakeScreenShot(MainWindow& w) {
    // The screen may answer later (a Wayland desktop is asked through its portal): the main
    // window stays hidden and the pointer busy until it does.
    platform().screen->grabScreen([main = QPointer<MainWindow>(&w)](QImage shot) {
        if (!main)
            return;
        try {
            takeSnapshot(*main, std::move(shot));
        } catch (...) {
            showMessage(kLoadFailed);
        }
        finish(*main);
    });
}

} // namespace tesmaro::transfer
