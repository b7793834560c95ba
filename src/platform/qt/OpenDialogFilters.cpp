#include "platform/qt/OpenDialogFilters.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QSignalBlocker>

#include <memory>

namespace tesmaro {
namespace {

// Other spellings of an extension that name the same kind of file.
QStringList sameKindExtensions(const QString& extension) {
    if (extension.compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("jpeg")};
    return {};
}

// "bmp" -> "[bB][mM][pP]". Qt's dialog ignores case only while its model is not set to
// QDir::CaseSensitive; spelled out, a type means the same whatever the dialog's settings.
QString anyCase(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

// The patterns one pattern field stands for; several may be given, separated by ';'.
QStringList matchPatterns(const QString& field) {
    QStringList patterns;
    for (QString pattern : field.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        pattern = pattern.trimmed();
        if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) {
            patterns << QStringLiteral("*");
            continue;
        }
        patterns << anyCase(pattern);
        if (pattern.startsWith(QLatin1String("*."))) {
            for (const QString& other : sameKindExtensions(pattern.mid(2)))
                patterns << anyCase(QStringLiteral("*.") + other);
        }
    }
    patterns.removeDuplicates();
    return patterns;
}

// Qt's dialog selects in its list whatever the name field names as it is typed, and drops what it
// selected before only while the field holds the application's focus; without it (the window
// system has not given the dialog the focus yet, or holds it for the completer's list) the
// folders a typed path passed through stay selected, the completed name replaces the typed path,
// and Enter takes the first of those folders: it goes there and empties the field. After each
// edit by the user the selection here is cut back to what the typed text names, and the text
// is put back as typed.
void keepSelectionToTypedName(QFileDialog& dialog) {
    QLineEdit* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QListView* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    if (!name || !list || !list->selectionModel())
        return;
    // The text of the user's last edit, until the dialog has done with it: textEdited comes
    // before textChanged, and the dialog's own handling of textChanged (connected first) runs
    // before this one's.
    auto typed = std::make_shared<QString>();
    QObject::connect(name, &QLineEdit::textEdited, &dialog, [typed](const QString& text) { *typed = text; });
    QObject::connect(
        name, &QLineEdit::textChanged, &dialog, [typed, name, list, &dialog](const QString& text) {
            if (typed->isNull() || text != *typed)
                return; // set by the dialog, or its rewrite of the user's text inside this change
            typed->clear();
            if (text.contains(QLatin1Char('"')))
                return; // several quoted names: the dialog's own business
            const QString path = QDir::cleanPath(dialog.directory().absoluteFilePath(text));
            QItemSelectionModel* selection = list->selectionModel();
            for (const QModelIndex& row : selection->selectedRows()) {
                const QString rowPath = QDir::cleanPath(row.data(QFileSystemModel::FilePathRole).toString());
                if (rowPath != path)
                    selection->select(row, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
            }
            if (name->text() != text) {
                const QSignalBlocker quiet(name);
                name->setText(text);
            }
        });
}

} // namespace

QStringList openDialogNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString shown = parts[i];
        const QString field = parts[i + 1];
        if (!shown.contains(QLatin1Char('(')))
            shown += QStringLiteral(" (") + field + QLatin1Char(')');
        QStringList patterns = matchPatterns(field);
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        // Qt takes the patterns from the last parentheses and, with the details hidden, shows
        // the text before them.
        filters << shown + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

void configureOpenDialog(QFileDialog& dialog, const OpenFileRequest& request) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The program speaks Russian; so does its open dialog.
    dialog.setWindowTitle(QStringLiteral("Открыть"));
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Папка:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Имя файла:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Тип файлов:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Открыть"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));
    const QStringList filters = openDialogNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (QFileInfo(request.initialDir).isDir())
        dialog.setDirectory(request.initialDir);
    keepSelectionToTypedName(dialog);
}

} // namespace tesmaro
