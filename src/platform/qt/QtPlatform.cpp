// The real desktop behind the platform interfaces, on Qt (and the X11 window manager for
// the stacking of the editor mode, the desktop portal for the screen of a Wayland session).
#include "platform/qt/QtPlatform.h"

#include "platform/qt/DesktopSession.h"
#include "platform/qt/OpenDialogFilters.h"
#include "platform/qt/PortalScreenshot.h"
#include "platform/qt/X11Screen.h"
#include "platform/qt/X11Stacking.h"

#include <QApplication>
#include <QBuffer>
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
#include <QSizeF>
#include <QStandardPaths>
#include <QStringList>

namespace tesmaro {
namespace {

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
        QFileDialog dialog(QApplication::activeWindow());
        configureOpenDialog(dialog, request);
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
    EncodedPicture encodedPicture() override {
        QClipboard* clipboard = QGuiApplication::clipboard();
        const QMimeData* data = clipboard->mimeData();
        if (!data)
            return {};
        // Only the owner's bytes: asking Qt for a decoded picture would let its decoders
        // allocate whatever the bytes claim.
        static const char* const kTypes[] = {
            "image/png",  "image/bmp", "image/x-bmp",  "image/x-ms-bmp",
            "image/jpeg", "image/gif", "image/x-icon", "image/vnd.microsoft.icon"};
        for (const char* type : kTypes) {
            if (!data->hasFormat(QLatin1String(type)))
                continue;
            QByteArray bytes = data->data(QLatin1String(type));
            if (!bytes.isEmpty())
                return {type, bytes};
        }
        // Our own picture (setImage) is held decoded, offered to other programs only as types
        // the window system's layer encodes on their request.
        if (clipboard->ownsClipboard() && data->hasImage()) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            if (buffer.open(QIODevice::WriteOnly) &&
                qvariant_cast<QImage>(data->imageData()).save(&buffer, "BMP"))
                return {"image/bmp", bytes};
        }
        return {};
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
        if (!s)
            return {};
        // Qt gives the size in scaled pixels only. One X11 screen is the whole root window,
        // whose size the X server gives exactly; otherwise scale back, exact at whole factors.
        if (QGuiApplication::screens().size() == 1 && s->geometry().topLeft().isNull()) {
            const QSize root = x11RootSize();
            if (!root.isEmpty())
                return root;
        }
        return (QSizeF(s->geometry().size()) * s->devicePixelRatio()).toSize();
    }
    QImage capture(const QRect& rect) override {
        QScreen* s = QGuiApplication::primaryScreen();
        if (!s)
            return {};
        // At scale 1 Qt's coordinates are the screen's own: grab just the rectangle.
        if (s->devicePixelRatio() == 1.0)
            return plainPixels(s->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height()).toImage());
        const QImage whole = wholeScreen(*s);
        return whole.isNull() ? QImage() : whole.copy(rect);
    }
    void grabScreen(std::function<void(QImage)> done) override {
        if (isWaylandSession()) {
            portalScreenshot().grab(std::move(done));
            return;
        }
        QScreen* s = QGuiApplication::primaryScreen();
        done(s ? wholeScreen(*s) : QImage());
    }

private:
    // Without a rectangle Qt grabs the screen at its own resolution, whatever the scale factor.
    static QImage wholeScreen(QScreen& s) { return plainPixels(s.grabWindow(0).toImage()); }
    // Device pixels as a plain picture: one picture pixel per pixel wherever it is drawn.
    static QImage plainPixels(QImage image) {
        if (image.isNull())
            return {};
        image = image.convertToFormat(QImage::Format_RGB32);
        image.setDevicePixelRatio(1);
        return image;
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
    QString picturesFolder() override {
        // Without a pictures folder of its own the location falls back to home: checked here,
        // since it may also name a folder that does not exist.
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
            return QDir::cleanPath(pictures);
        return QDir::homePath();
    }
};

} // namespace

void installQtPlatform() {
    static QtMessageBoxes messages;
    static QtBusyPointer busy;
    static QtFileDialogs files;
    static QtColourDialogs colours;
    static QtFontDialogs fonts;
    static QtClipboard clipboard;
    static QtScreen screen;
    static QtAppFolder folder;
    installPlatform(
        Platform{&messages, &busy, &files, &colours, &fonts, &clipboard, &screen, &x11Stacking(), &folder});
}

} // namespace tesmaro
