// "Сохранить из": the picture of one window as a BMP file in the program's folder, named from
// the name field, or onto the clipboard.
#include "document/Document.h"
#include "document/ProgramFiles.h"
#include "pictures/BmpFile.h"
#include "platform/Platform.h"
#include "transfer/SourcePicture.h"
#include "transfer/TransferCommands.h"

namespace tesmaro::transfer {
namespace {

// The file name rule: a name ending in a dot and three characters loses those four (pic.jpg,
// pic.bmp -> pic; a.b.c -> a), any other name stays whole. nullopt for a name that would put
// the file outside the program's folder, and for a name shorter than four characters that
// starts with a dot, which the rule cannot shorten.
std::optional<QString> baseFileName(const QString& text) {
    if (text.contains('/') || text.contains('\\') || text.contains(QChar(0)))
        return std::nullopt;
    QString name = text;
    if (name.size() < 4) {
        if (name.startsWith('.'))
            return std::nullopt;
    } else if (name.at(name.size() - 4) == '.') {
        name.chop(4);
    }
    if (name == "." || name == "..")
        return std::nullopt;
    return name;
}

// Number 2 takes the destination window of the source frame's kind (Picture, else Image).
QImage chosenPicture(Document& doc, const SaveRequest& r) {
    if (r.second) {
        if (r.source == SourceWindow::Picture)
            return doc.pictureWindow(WindowId::Picture2).picMain->image();
        return doc.imageWindow(WindowId::Image2).Image1->picture();
    }
    return sourcePicture(doc, r.source);
}

void save(Document& doc, const SaveRequest& r) {
    AppState& s = doc.state;
    s.PicFileName = r.name.ok() ? r.name.get() : QString();
    const QString& text = r.name.get();
    // Only a file uses the name; the clipboard needs no more than a name that is not empty.
    std::optional<QString> name;
    if (!r.toClipboard) {
        name = baseFileName(text);
        if (!name)
            throw CommandFailure("file name refused");
        s.PicFileName = *name;
    }
    const QImage picture = chosenPicture(doc, r);
    // A window with no picture fails before the clipboard is emptied or a file replaced.
    if (picture.isNull())
        throw CommandFailure("no picture");
    if (!r.toClipboard) {
        if (!doc.files().write(*name + ".bmp", picture))
            throw CommandFailure("file not written");
        return;
    }
    platform().clipboard->clear();
    if (!platform().clipboard->setImage(picture))
        throw CommandFailure("clipboard refused the picture");
}

} // namespace

Command saveCommand(SaveRequest request) {
    return Command{.policy = {.failureMessage = kSaveFailed, .busy = true},
                   .body = [r = std::move(request)](CommandContext& c) { save(c.document, r); }};
}

} // namespace tesmaro::transfer
