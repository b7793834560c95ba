// Undo and redo with the real keyboard on the real program: a line drawn with the real mouse on
// the picture window goes and comes back with Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z, pixel for pixel
// on the screen, also with a Russian keyboard layout in front.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

class UndoKeysOnTheDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        const QString binary = qEnvironmentVariable("TESMARO_BINARY");
        ASSERT_FALSE(binary.isEmpty()) << "TESMARO_BINARY is not set";
        const QString program = folder.filePath("tesmaro5");
        ASSERT_TRUE(QFile::copy(binary, program));
        QImage picture(240, 160, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb((x * 3) & 0xFF, (y * 5) & 0xFF, 200));
        const QString file = folder.filePath("picture.png");
        ASSERT_TRUE(picture.save(file));
        running.start(program, {file});
        ASSERT_TRUE(running.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                pictureWindow = window("Picture - источник");
                mainWindow = window("Tesmaro5 .*Редактор");
                return !pictureWindow.isEmpty() && !mainWindow.isEmpty();
            },
            15000))
            << "the program's windows did not show";
    }
    void TearDown() override {
        running.kill();
        running.waitForFinished(5000);
    }
    QString window(const QString& title) {
        const QStringList ids =
            run("xdotool", {"search", "--all", "--onlyvisible", "--pid", QString::number(running.processId()),
                            "--name", "^" + title + "$"})
                .split('\n', Qt::SkipEmptyParts);
        return ids.isEmpty() ? QString() : ids.first();
    }
    QImage shot(const QString& id) {
        QProcess p;
        p.start("import", {"-window", id, "png:-"});
        p.waitForFinished(10000);
        return QImage::fromData(p.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
    }
    // Waits until the picture window shows `expected` (the window repaints after the key).
    bool shows(const QImage& expected) {
        return QTest::qWaitFor([&] { return shot(pictureWindow) == expected; }, 10000);
    }
    // Waits until two shots in a row agree and differ from `other`; the picture in `shown`.
    bool settle(QImage& shown, const QImage& other) {
        return QTest::qWaitFor(
            [&] {
                const QImage now = shot(pictureWindow);
                const bool settled = !now.isNull() && now == shown && now != other;
                shown = now;
                return settled;
            },
            5000);
    }
    void xdotool(const QStringList& args) {
        ASSERT_EQ(QProcess::execute("xdotool", args), 0) << args.join(' ').toStdString();
    }

    QTemporaryDir folder;
    QProcess running;
    QString pictureWindow, mainWindow;
};

TEST_F(UndoKeysOnTheDesktop, ALineGoesAndComesBack) {
    // In front of the panel, so that the whole window is on the screen to be read.
    xdotool({"windowactivate", "--sync", pictureWindow});
    QImage loaded;
    ASSERT_TRUE(settle(loaded, QImage()));
    // "линия": frame "Действия" at (5520, 0) twips, the option at (120, 460), 855 x 195.
    xdotool({"mousemove", "--sync", "--window", mainWindow, QString::number((5520 + 120 + 200) / 15),
             QString::number((460 + 97) / 15), "click", "1"});
    // A drag over the picture with the real mouse.
    xdotool({"mousemove", "--sync", "--window", pictureWindow, "30", "30", "mousedown", "1"});
    for (const char* to : {"80 60", "140 40", "190 120"}) {
        const QStringList xy = QString(to).split(' ');
        xdotool({"mousemove", "--sync", "--window", pictureWindow, xy[0], xy[1]});
    }
    xdotool({"mouseup", "1"});
    // The line as the window settles on it: the first changed picture may show only its start.
    QImage drawn;
    ASSERT_TRUE(settle(drawn, loaded)) << "nothing was drawn";

    xdotool({"windowactivate", "--sync", pictureWindow});
    xdotool({"key", "ctrl+z"});
    EXPECT_TRUE(shows(loaded)) << "Ctrl+Z";
    xdotool({"key", "ctrl+y"});
    EXPECT_TRUE(shows(drawn)) << "Ctrl+Y";
    xdotool({"key", "ctrl+z"});
    EXPECT_TRUE(shows(loaded));
    xdotool({"key", "ctrl+shift+z"});
    EXPECT_TRUE(shows(drawn)) << "Ctrl+Shift+Z";

    // From the panel, with the Russian layout in front: the same keys (Ctrl+Я is Ctrl+Z).
    ASSERT_EQ(QProcess::execute("setxkbmap", {"-layout", "ru,us"}), 0);
    for (const char* keys : {"ctrl+Cyrillic_ya", "ctrl+Cyrillic_en"}) {
        xdotool({"windowactivate", "--sync", mainWindow});
        xdotool({"key", keys});
        xdotool({"windowactivate", "--sync", pictureWindow}); // in front again, to be read
        EXPECT_TRUE(shows(keys == std::string("ctrl+Cyrillic_ya") ? loaded : drawn)) << keys;
    }
}

} // namespace
