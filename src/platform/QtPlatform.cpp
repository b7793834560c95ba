// The real desktop behind the platform interfaces, on Qt (and the X11 window manager for
// the stacking of the editor mode).
#include "platform/Platform.h"
#include "platform/X11Stacking.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QStandardPaths>
#include <QStringList>

namespace tesmaro {
namespace {

Platform g_platform;

class QtMessageBoxes final : public MessageBoxes {
public:
    void show(const QString& text, const QString& title) override {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    }
};

class QtBusyPointer final : public BusyPointer {
public:
    void setBusy(bool busy) override {
        // Pointer 11 and 0 are states, not a stack: never nest the override cursor.
        if (busy && !m_busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else if (!busy && m_busy)
            QApplication::restoreOverrideCursor();
        m_busy = busy;
    }

private:
    bool m_busy = false;
};

class QtFileDialogs final : public FileDialogs {
public:
    OpenFileResult openFile(const OpenFileRequest& request) override {
        // "Desc|pattern|Desc|pattern|" -> Qt's "Desc (pattern)" filters; the descriptions
        // already carry their patterns, as "All Files (*.*)" does.
        const QStringList parts = request.filter.split('|');
        QStringList filters;
        for (int i = 0; i + 1 < parts.size(); i += 2) {
            QString desc = parts[i];
            const QString pattern = parts[i + 1];
            if (!desc.contains('('))
                desc += " (" + pattern + ")";
            filters << desc;
        }
        QFileDialog dialog(QApplication::activeWindow());
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        // The program speaks Russian; so does its open dialog.
        dialog.setWindowTitle(QStringLiteral("Открыть"));
        dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Папка:"));
        dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Имя файла:"));
        dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Тип файлов:"));
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Открыть"));
        dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));
        dialog.setNameFilters(filters);
        if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
            dialog.selectNameFilter(filters[request.filterIndex - 1]);
        if (QFileInfo(request.initialDir).isDir())
            dialog.setDirectory(request.initialDir);
        if (dialog.exec() != QDialog::Accepted)
            return {OpenFileResult::Outcome::Cancelled, {}};
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty())
            return {OpenFileResult::Outcome::Failed, {}};
        return {OpenFileResult::Outcome::Chosen, chosen.first()};
    }
};

class QtColourDialogs final : public ColourDialogs {
public:
    std::optional<QColor> chooseColour(const QColor& initial) override {
        QColorDialog dialog(initial, QApplication::activeWindow());
        dialog.setOption(QColorDialog::DontUseNativeDialog, true);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.selectedColor();
    }
};

class QtFontDialogs final : public FontDialogs {
public:
    std::optional<QFont> chooseFont(const QFont& initial) override {
        QFontDialog dialog(initial, QApplication::activeWindow());
        dialog.setOption(QFontDialog::DontUseNativeDialog, true);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.selectedFont();
    }
};

class QtClipboard final : public Clipboard {
public:
    QImage image() override {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (!data || !data->hasImage())
            return {};
        return qvariant_cast<QImage>(data->imageData());
    }
    void clear() override { QGuiApplication::clipboard()->clear(); }
    bool setImage(const QImage& image) override {
        if (image.isNull())
            return false;
        auto* data = new QMimeData;
        data->setImageData(image);
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setMimeData(data); // the clipboard owns data from here on
        // The window system may refuse us the clipboard (on X11 when another program took it
        // later than our last input event); then what it holds is not our picture.
        return clipboard->mimeData() == data;
    }
};

class QtScreen final : public Screen {
public:
    QSize size() override {
        const QScreen* s = QGuiApplication::primaryScreen();
        return s ? s->geometry().size() : QSize();
    }
    QImage capture(const QRect& rect) override {
        QScreen* s = QGuiApplication::primaryScreen();
        if (!s)
            return {};
        const QPixmap shot = s->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height());
        return shot.toImage();
    }
};

class QtAppFolder final : public AppFolder {
public:
    QString path() override {
        // The program's folder, as long as it can be written to; an installed copy in a
        // system folder writes to the user's data folder instead.
        const QString exe = QCoreApplication::applicationDirPath();
        if (QFileInfo(exe).isWritable())
            return QDir::cleanPath(exe);
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(data);
        return QDir::cleanPath(data);
    }
};

} // namespace

Platform& platform() { return g_platform; }

void installPlatform(const Platform& p) { g_platform = p; }

void installQtPlatform() {
    static QtMessageBoxes messages;
    static QtBusyPointer busy;
    static QtFileDialogs files;
    static QtColourDialogs colours;
    static QtFontDialogs fonts;
    static QtClipboard clipboard;
    static QtScreen screen;
    static QtAppFolder folder;
    installPlatform(Platform{&messages, &busy, &files, &colours, &fonts, &clipboard, &screen, &x11Stacking(),
                             &folder});
}

} // namespace tesmaro
