#pragma once
// Everything that touches the desktop outside the program's own windows sits behind these
// small interfaces. The program installs the Qt implementations (platform/qt/QtPlatform.h) at start-up; tests
// install doubles (tests/support/PlatformDoubles.h), so no test ever opens a real modal dialog.

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace tesmaro {

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Modal box with an OK button only.
    virtual void show(const QString& text, const QString& title) = 0;
};

// The hourglass of a long command (pointer 11 on, pointer 0 off).
class BusyPointer {
public:
    virtual ~BusyPointer() = default;
    virtual void setBusy(bool busy) = 0;
};

struct OpenFileRequest {
    QString filter;      // "Description|pattern|Description|pattern|..."
    int filterIndex = 1; // 1-based
    QString initialDir;
    bool fileMustExist = true;
};

struct OpenFileResult {
    enum class Outcome { Chosen, Cancelled, Failed };
    Outcome outcome = Outcome::Cancelled;
    QString path;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual OpenFileResult openFile(const OpenFileRequest& request) = 0;
};

class ColourDialogs {
public:
    virtual ~ColourDialogs() = default;
    // nullopt when the user cancels.
    virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;
};

class FontDialogs {
public:
    virtual ~FontDialogs() = default;
    // nullopt when the user cancels.
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
};

// A picture as the clipboard holds it, not yet decoded.
struct EncodedPicture {
    QByteArray type;  // its MIME type, "image/png" say
    QByteArray bytes; // empty when the clipboard holds no picture
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // A null image when the clipboard holds no picture. Decoded by the window system's layer
    // without any limit: loads take encodedPicture() and decode it under the program's own.
    virtual QImage image() = 0;
    // The clipboard's picture as its owner encoded it: the first of PNG, BMP, JPEG, GIF and ICO
    // that the clipboard offers. A picture the program put there itself comes as a BMP file.
    virtual EncodedPicture encodedPicture() = 0;
    virtual void clear() = 0;
    // false when the clipboard refused the picture.
    virtual bool setImage(const QImage& image) = 0;
};

// The primary screen, always in device pixels: the window system's own pixels, whatever scale
// factor the program's windows are drawn at (a 2560 x 1600 screen shown at 2x is 2560 x 1600).
class Screen {
public:
    virtual ~Screen() = default;
    // Size of the primary screen; an empty size when it cannot be read.
    virtual QSize size() = 0;
    // The desktop's pixels in rect, as they are on the screen now; a null image on failure. A
    // direct read of the screen, which a Wayland session does not allow: use grabScreen there.
    virtual QImage capture(const QRect& rect) = 0;
    // The whole primary screen, every pixel as on the screen (Format_RGB32, device pixel ratio 1).
    // Calls done exactly once, on the GUI thread, with the picture or a null image on any failure.
    // A direct grab calls it before returning; a desktop that has to be asked (the screenshot
    // portal of a Wayland session) answers later, while the event loop keeps running.
    virtual void grabScreen(std::function<void(QImage)> done) = 0;
};

// Window stacking for the editor mode. Window ids are the window system's ids, 0 for none.
class WindowStacking {
public:
    virtual ~WindowStacking() = default;
    virtual quintptr foregroundWindow() = 0;
    virtual quintptr windowId(QWidget* window) = 0;
    // Puts the window above all normal windows and keeps it there, without moving,
    // resizing or activating it.
    virtual void keepOnTop(QWidget* window) = 0;
};

class AppFolder {
public:
    virtual ~AppFolder() = default;
    // The folder the program writes its files to, without a trailing separator.
    virtual QString path() = 0;
    // Where the open dialog starts: the user's pictures folder, the home folder where there is
    // none.
    virtual QString picturesFolder() = 0;
};

struct Platform {
    MessageBoxes* messages = nullptr;
    BusyPointer* busy = nullptr;
    FileDialogs* files = nullptr;
    ColourDialogs* colours = nullptr;
    FontDialogs* fonts = nullptr;
    Clipboard* clipboard = nullptr;
    Screen* screen = nullptr;
    WindowStacking* stacking = nullptr;
    AppFolder* folder = nullptr;
};

// The installed platform. Never null members once installPlatform has run.
Platform& platform();
void installPlatform(const Platform& p);

} // namespace tesmaro
