#include "platform/qt/OpenDialogFilters.h"

#include <QFileDialog>
#include <QFileInfo>

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
}

} // namespace tesmaro
