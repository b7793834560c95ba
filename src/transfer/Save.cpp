// "Сохранить из": the picture of one window as a BMP file in the program's folder, named from
// Text5, or onto the clipboard.
#include "platform/Platform.h"
#include "shell/CommandFailure.h"
#include "shell/MainWindow.h"
#include "shell/Messages.h"
#include "transfer/PictureFiles.h"
#include "transfer/SharedProcedures.h"
#include "transfer/TransferCommands.h"
#include "windows/Windows.h"

#include <optional>

namespace tesmaro::transfer {
namespace {

const QString kNoFileName = QStringLiteral("Нет имени файла");
const QString kSaveFailed = QStringLiteral("Ошибка при записи файла");

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

// Number 2 is tested alone; within a number the rows are tested top-down. For number 2 the
// Picture/Image choice is read from the source frame.
QImage chosenPicture(MainWindow& w) {
    if (w.Option30->isChecked()) {
        if (w.Option2->isChecked())
            return windows::frmPicture2()->picMain->image();
        return windows::frmImage2()->Image1->picture();
    }
    return SourceFramePicture(w);
}

void save(MainWindow& w) {
    AppState& s = w.state;
    const bool toFile = !w.Check6->isChecked();
    // Only a file uses the name; the clipboard needs no more than a name that is not empty.
    std::optional<QString> name;
    if (toFile) {
        name = baseFileName(s.PicFileName);
        if (!name)
            throw CommandFailure("file name refused");
        s.PicFileName = *name;
    }
    const QImage picture = chosenPicture(w);
    // A window with no picture fails before the clipboard is emptied or a file replaced.
    if (picture.isNull())
        throw CommandFailure("no picture");
    if (toFile) {
        if (!saveBmpFile(picture, appFilePath(*name + ".bmp")))
            throw CommandFailure("file not written");
        return;
    }
    platform().clipboard->clear();
    if (!platform().clipboard->setImage(picture))
        throw CommandFailure("clipboard refused the picture");
}

} // namespace

void Command2_Click(MainWindow& w) {
    w.state.PicFileName = w.Text5->text();
    platform().busy->setBusy(true);
    if (w.state.PicFileName.isEmpty()) {
        showMessage(kNoFileName);
    } else {
        try {
            save(w);
        } catch (...) {
            showMessage(kSaveFailed);
        }
    }
    platform().busy->setBusy(false);
}

} // namespace tesmaro::transfer
