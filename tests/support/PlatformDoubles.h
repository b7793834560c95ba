#pragma once
// Test doubles of the platform layer: they record what the program asked of the desktop and
// answer with what the test set up. FakePlatform installs all of them for its lifetime.

#include "platform/Platform.h"

#include <QBuffer>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

class QWidget;

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace tesmaro::testing {

struct RecordedMessage {
    QString text;
    QString title;
};

class FakeMessageBoxes : public MessageBoxes {
public:
    void show(const QString& text, const QString& title) override { shown.push_back({text, title}); }
    std::vector<RecordedMessage> shown;
    QStringList texts() const {
        QStringList l;
        for (const auto& m : shown)
            l << m.text;
        return l;
    }
};

class FakeBusyPointer : public BusyPointer {
public:
    void setBusy(bool b) override {
        busy = b;
        history.push_back(b);
    }
    bool busy = false;
    std::vector<bool> history;
};

class FakeFileDialogs : public FileDialogs {
public:
    OpenFileResult openFile(const OpenFileRequest& r) override {
        requests.push_back(r);
        return answer;
    }
    OpenFileResult answer{OpenFileResult::Outcome::Cancelled, {}};
    std::vector<OpenFileRequest> requests;
};

class FakeColourDialogs : public ColourDialogs {
public:
    std::optional<QColor> chooseColour(const QColor& initial) override {
        shownWith.push_back(initial);
        return answer;
    }
    std::optional<QColor> answer;
    std::vector<QColor> shownWith;
};

class FakeFontDialogs : public FontDialogs {
public:
    std::optional<QFont> chooseFont(const QFont& initial) override {
        shownWith.push_back(initial);
        return answer;
    }
    std::optional<QFont> answer;
    std::vector<QFont> shownWith;
};

// Holds a picture (content), or encoded bytes a test put there (encoded, which wins); either
// comes out of both image() and encodedPicture(), a picture encoded as PNG.
class FakeClipboard : public Clipboard {
public:
    QImage image() override { return encoded.bytes.isEmpty() ? content : QImage::fromData(encoded.bytes); }
    EncodedPicture encodedPicture() override {
        ++encodedReads;
        if (!encoded.bytes.isEmpty() || content.isNull())
            return encoded;
        EncodedPicture png{"image/png", {}};
        QBuffer buffer(&png.bytes);
        buffer.open(QIODevice::WriteOnly);
        content.save(&buffer, "PNG");
        return png;
    }
    void clear() override {
        content = QImage();
        encoded = {};
        ++clears;
    }
    bool setImage(const QImage& image) override {
        if (refuse || image.isNull())
            return false;
        content = image;
        encoded = {};
        return true;
    }
    QImage content;
    EncodedPicture encoded;
    int clears = 0;
    int encodedReads = 0;
    bool refuse = false;
};

class FakeScreen : public Screen {
public:
    QSize size() override { return screenSize; }
    QImage capture(const QRect& rect) override {
        captured.push_back(rect);
        if (desktop.isNull())
            return {};
        return desktop.copy(rect);
    }
    // Answers at once with the whole desktop, as a direct grab does; with answerLater the
    // request waits in pending until answerPending().
    void grabScreen(std::function<void(QImage)> done) override {
        captured.push_back(QRect(QPoint(0, 0), screenSize));
        if (answerLater)
            pending.push_back(std::move(done));
        else
            done(desktop);
    }
    void answerPending() {
        auto waiting = std::move(pending);
        pending.clear();
        for (auto& done : waiting)
            done(desktop);
    }
    QSize screenSize{1024, 768};
    QImage desktop;              // what the screen shows
    std::vector<QRect> captured; // what was asked for: a rectangle, or the whole screen
    bool answerLater = false;
    std::vector<std::function<void(QImage)>> pending;
};

class FakeStacking : public WindowStacking {
public:
    quintptr foregroundWindow() override { return foreground; }
    quintptr windowId(QWidget* w) override { return reinterpret_cast<quintptr>(w); }
    void keepOnTop(QWidget* w) override { raised.push_back(w); }
    quintptr foreground = 0;
    std::vector<QWidget*> raised;
};

class FakeAppFolder : public AppFolder {
public:
    FakeAppFolder() : dir() {}
    QString path() override { return QDir::cleanPath(dir.path()); }
    QString picturesFolder() override { return QDir::cleanPath(dir.path() + "/Pictures"); }
    QTemporaryDir dir; // removed with the double
};

// Installs every double while it lives; restores the previous platform afterwards.
class FakePlatform {
public:
    FakePlatform() : m_previous(platform()) {
        installPlatform(
            Platform{&messages, &busy, &files, &colours, &fonts, &clipboard, &screen, &stacking, &folder});
    }
    ~FakePlatform() { installPlatform(m_previous); }
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    QString filePath(const QString& name) { return folder.path() + "/" + name; }

    FakeMessageBoxes messages;
    FakeBusyPointer busy;
    FakeFileDialogs files;
    FakeColourDialogs colours;
    FakeFontDialogs fonts;
    FakeClipboard clipboard;
    FakeScreen screen;
    FakeStacking stacking;
    FakeAppFolder folder;

private:
    Platform m_previous;
};

} // namespace tesmaro::testing
