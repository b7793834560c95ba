// "Загрузить ": a picture from a file or the clipboard into a source window, or a snapshot of
// the whole screen into frmTemp. Every successful load leaves the picture in Temp.bmp and its
// size in the source column's Height and Width.
//
// A load that fails must not cost the user the picture already shown: the fields are read and
// the new picture decoded before any window is cleared, resized or assigned.
#include "core/RasterOp.h"
#include "document/Document.h"
#include "pictures/PictureDecoding.h"
#include "pictures/RasterImage.h"
#include "platform/Platform.h"
#include "transfer/TransferCommands.h"

#include <QFileInfo>

namespace tesmaro::transfer {
namespace {

const QString kOpenFilter =
    QStringLiteral("All Files (*.*)|*.*|BMP Files (*.bmp)|*.bmp|GIF Files (*.gif)|*.gif|"
                   "ICO Files (*.ico)|*.ico|JPG Files (*.jpg)|*.jpg|PNG Files (*.png)|*.png|");
const QString kTempFile = QStringLiteral("Temp.bmp");

constexpr int kOfnHideReadOnly = 0x4;
constexpr int kOfnFileMustExist = 0x1000;
constexpr int kSnapshotDelayMs = 300;

void showLoadedSize(Document& doc) {
    doc.front().showSourceSize(doc.state.PicHeight, doc.state.PicWidth);
}

// CD1 set up afresh for every file load. false when the user cancelled; throws when the
// dialog failed.
bool choosePictureFile(AppState& s) {
    s.CD1.CancelError = true;
    s.strWork = kOpenFilter;
    s.CD1.Flags = kOfnHideReadOnly | kOfnFileMustExist;
    OpenFileRequest request;
    request.filter = s.strWork;
    request.filterIndex = 1;
    // The user's pictures, then wherever the user last took a picture from.
    request.initialDir = s.lastOpenFolder.isEmpty() ? platform().folder->picturesFolder() : s.lastOpenFolder;
    request.fileMustExist = (s.CD1.Flags & kOfnFileMustExist) != 0;
    const OpenFileResult result = platform().files->openFile(request);
    if (result.outcome == OpenFileResult::Outcome::Cancelled)
        return false;
    if (result.outcome != OpenFileResult::Outcome::Chosen)
        throw CommandFailure("open dialog failed");
    s.PicFileName = result.path;
    s.lastOpenFolder = QFileInfo(result.path).absolutePath();
    return true;
}

// The new picture, decoded in full before anything on the screen changes. The clipboard gives
// its bytes, decoded here under the same bounds as a file; no picture there is a failed load.
QImage decodePicture(const AppState& s, bool fromClipboard) {
    const QImage picture = fromClipboard ? decodePictureBytes(platform().clipboard->encodedPicture().bytes)
                                         : loadPictureFile(s.PicFileName);
    if (picture.isNull())
        throw CommandFailure("no picture");
    return picture;
}

void loadIntoPicture(Document& doc, const LoadRequest& r, const QImage& picture,
                     const std::optional<QSize>& imposed) {
    AppState& s = doc.state;
    PictureWindow* win = &doc.pictureWindow(WindowId::Picture1);
    Canvas* canvas = win->picMain;
    ApplyAutoSize(r.fit, *canvas);
    // With AutoSize on the picture decides the size, so an imposed size has no lasting effect.
    // Sized first: a refused size changes nothing, and a white canvas resized is still white.
    if (imposed && !canvas->autoSize() && !canvas->setCanvasSize(imposed->width(), imposed->height()))
        throw CommandFailure("canvas size refused");
    // With AutoSize the picture becomes the whole raster; clearing first would only fill a raster
    // the size of the old picture, which the undo record still holds, to throw it away.
    if (!canvas->autoSize()) {
        canvas->cls();
        canvas->clearPicture();
    }
    if (!canvas->setPicture(picture))
        throw CommandFailure("picture refused");
    s.PicHeight = canvas->canvasHeight();
    s.PicWidth = canvas->canvasWidth();
    if (!win->setScrollMax(s.PicHeight, s.PicWidth))
        throw CommandFailure("size beyond the scroll range");
    canvas->refresh();
    win->show();
    if (!doc.files().write(kTempFile, canvas->image()))
        throw CommandFailure("Temp.bmp not written");
    showLoadedSize(doc);
}

void loadIntoImage(Document& doc, const LoadRequest& r, const QImage& picture,
                   const std::optional<QSize>& imposed) {
    AppState& s = doc.state;
    ImageWindow* win = &doc.imageWindow(WindowId::Image1);
    ImageView* view = win->Image1;
    if (r.fit)
        view->setStretch(*r.fit);
    win->cls();
    if (imposed && !view->setViewSize(imposed->width(), imposed->height()))
        throw CommandFailure("view size refused");
    if (!view->setPicture(picture))
        throw CommandFailure("picture refused");
    win->show();
    // The picture as loaded, never the scaled display.
    if (!doc.files().write(kTempFile, view->picture()))
        throw CommandFailure("Temp.bmp not written");
    s.PicHeight = view->viewHeight();
    s.PicWidth = view->viewWidth();
    showLoadedSize(doc);
}

// The file and clipboard loads; a cancelled dialog ends the load silently.
void loadPicture(Document& doc, const LoadRequest& r, LoadTarget target) {
    if (r.file)
        doc.state.PicFileName = *r.file;
    else if (!r.fromClipboard && !choosePictureFile(doc.state))
        return;
    const bool intoPicture = target == LoadTarget::Picture;
    std::optional<QSize> imposed;
    if (r.imposedSize) {
        imposed = r.imposedSize->get();
        // An empty canvas has no picture to keep in Temp.bmp: refuse before clearing it.
        if (intoPicture && r.fit == false && imposed->isEmpty())
            throw CommandFailure("empty canvas");
    }
    const QImage picture = decodePicture(doc.state, r.fromClipboard);
    if (intoPicture)
        loadIntoPicture(doc, r, picture, imposed);
    else
        loadIntoImage(doc, r, picture, imposed);
}

// The whole screen in its own pixels, from the screen's answer; the canvas takes its size, which is
// rcDesktop's wherever the program reads the screen itself.
void takeSnapshot(Document& doc, QImage shot) {
    AppState& s = doc.state;
    if (shot.isNull())
        throw CommandFailure("screen not captured");
    shot = shot.convertToFormat(QImage::Format_RGB32);
    if (shot.isNull())
        throw CommandFailure("out of memory");

    // A fresh window with its design values, whatever referred to frmTemp meanwhile.
    doc.discard(WindowId::Temp);
    PictureWindow* win = &doc.pictureWindow(WindowId::Temp);
    Canvas* canvas = win->picMain;
    if (!canvas->setCanvasWidth(shot.width()) || !canvas->setCanvasHeight(shot.height()))
        throw CommandFailure("canvas size refused");
    if (!win->setScrollMax(canvas->canvasHeight(), canvas->canvasWidth()))
        throw CommandFailure("size beyond the scroll range");
    const RectF rect{0, 0, double(shot.width()), double(shot.height())};
    canvas->paintPicture(constRasterOf(shot), rect, rect, SRCCOPY);
    if (!doc.files().write(kTempFile, canvas->image()))
        throw CommandFailure("Temp.bmp not written");
    s.PicHeight = canvas->canvasHeight();
    s.PicWidth = canvas->canvasWidth();
    showLoadedSize(doc);
    win->show();
}

// The snapshot, once the snapshot timer has run out.
void takeScreenShot(CommandContext& c) {
    // The screen may answer later (a Wayland desktop is asked through its portal): the panel
    // stays hidden and the pointer busy until it does.
    const CommandResume resume = c.keepOpen();
    platform().screen->grabScreen([resume](QImage shot) {
        resume([shot = std::move(shot)](CommandContext& next) { takeSnapshot(next.document, shot); });
    });
}

} // namespace

Command loadCommand(LoadRequest request) {
    return Command{
        .policy = {.failureMessage = kLoadFailed, .busy = true, .panel = CommandPolicy::Panel::FrontAtEnd},
        .body = [r = std::move(request)](CommandContext& c) {
            const LoadTarget target = r.target.get();
            if (target != LoadTarget::Screen) {
                loadPicture(c.document, r, target);
                return;
            }
            // The snapshot must show neither the previous snapshot nor the panel; both
            // stay away, with the hourglass, until the timer has taken it.
            c.document.discard(WindowId::Temp);
            c.document.front().hideControls();
            const CommandResume resume = c.keepOpen();
            c.document.front().startSnapshotTimer(kSnapshotDelayMs, [resume] { resume(takeScreenShot); });
        }};
}

} // namespace tesmaro::transfer
