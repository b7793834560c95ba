#pragma once
// Load, copy and save: "Загрузить ", "Копировать из " and "Сохранить из", as commands over plain
// requests and the document. Each fails with its one message; every field is read and every
// refusal decided before a window is cleared, resized or given a picture.

#include "document/Command.h"
#include "document/Fragment.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

namespace tesmaro::transfer {

inline const QString kLoadFailed = QStringLiteral("ошибка при загрузке рисунка");
inline const QString kScreenFromClipboard = QStringLiteral("Загрузка Screen не производится из Clipboard");
inline const QString kNoLoadIntoMCopy = QStringLiteral("Загрузка в MCopy не производится ");
inline const QString kCopyFailed = QStringLiteral("ошибка при копировании ");
inline const QString kNoFragmentIntoImage = QStringLiteral("в Image нельзя скопировать выборочно ");
inline const QString kSaveFailed = QStringLiteral("Ошибка при записи файла");
inline const QString kNoFileName = QStringLiteral("Нет имени файла");

// The window frame №1 names: the source of a copy or a save.
enum class SourceWindow { Image, Picture, Screen, MCopy };
enum class LoadTarget { Image, Picture, Screen };
enum class CopyTarget { Image, Picture };

struct LoadRequest {
    // frame №1; a screen load from the clipboard and a load into MCopy are refused.
    Checked<LoadTarget> target;
    bool fromClipboard = false; // "Clipboard"
    // "Размер задать": the source column's Height and Width, whole pixels 0..kMaxPictureSide.
    std::optional<Checked<QSize>> imposedSize;
    // "Stretch, AutoSize": false for "False", true for "True".
    std::optional<bool> fit;
    // A file named without the open dialog (the command line); not from the clipboard.
    std::optional<QString> file;
};

// "Загрузить ". A screen load hides the panel and stays open until the front end's snapshot
// timer has run out; then it takes the snapshot.
Command loadCommand(LoadRequest request);

struct CopyRequest {
    FragmentFields fields;
    std::optional<std::int32_t> rasterCode; // "Copy  As"
    bool fragment = false;                  // "X Y" rather than "All"
    // frame №2; "X Y" into Image is refused.
    Checked<CopyTarget> target;
    // "Размер задать": the destination column's Height and Width.
    std::optional<Checked<QSize>> imposedSize;
    SourceWindow source = SourceWindow::Image;
    std::optional<bool> fit;
    bool clearTarget = true; // "Очистить приемник"
};

// "Копировать из ".
Command copyCommand(CopyRequest request);

struct SaveRequest {
    // The name field; an empty name is refused.
    Checked<QString> name;
    bool toClipboard = false;
    // Number "2" of frame "№": the destination window of the source frame's kind.
    bool second = false;
    SourceWindow source = SourceWindow::Image;
};

// "Сохранить из".
Command saveCommand(SaveRequest request);

} // namespace tesmaro::transfer
