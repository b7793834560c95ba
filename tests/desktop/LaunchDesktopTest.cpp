// The real program started from a terminal or a file manager: a picture named on the command
// line loads into "Picture - источник" as a file load does, a bad one gives the load message,
// and --help / --version answer without a window, even without a display.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A copy of the program in a folder of its own, which is then the program's folder (Temp.bmp).
class Launch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        const QString binary = qEnvironmentVariable("TESMARO_BINARY");
        ASSERT_FALSE(binary.isEmpty()) << "TESMARO_BINARY is not set";
        program = folder.filePath("tesmaro5");
        ASSERT_TRUE(QFile::copy(binary, program));
    }
    void TearDown() override {
        if (running.state() != QProcess::NotRunning) {
            running.kill();
            running.waitForFinished(5000);
        }
    }
    // The visible windows of the running program with exactly this title.
    bool windowShown(const QString& title) {
        QProcess search;
        search.start("xdotool", {"search", "--all", "--onlyvisible", "--pid",
                                 QString::number(running.processId()), "--name", "^" + title + "$"});
        search.waitForFinished(5000);
        return !search.readAllStandardOutput().trimmed().isEmpty();
    }
    QTemporaryDir folder;
    QString program;
    QProcess running;
};

TEST_F(Launch, APictureOnTheCommandLineLoadsIntoThePictureWindow) {
    QImage picture(37, 21, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 6, y * 11, (x * y) & 0xFF));
    const QString file = folder.filePath("cat picture.png");
    ASSERT_TRUE(picture.save(file));
    running.start(program, {file});
    ASSERT_TRUE(running.waitForStarted(10000));
    const QString temp = folder.filePath("Temp.bmp");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QFile::exists(temp) && windowShown("Picture - источник"); }, 15000))
        << "no Temp.bmp or no picture window";
    EXPECT_EQ(QImage(temp).convertToFormat(QImage::Format_RGB32), picture);
    EXPECT_FALSE(windowShown("Tesmaro5")) << "no message";
}

TEST_F(Launch, ABadFileGivesTheLoadMessage) {
    const QString file = folder.filePath("not a picture.png");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("no picture here");
    f.close();
    running.start(program, {file});
    ASSERT_TRUE(running.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return windowShown("Tesmaro5"); }, 15000)) << "no message box";
    EXPECT_FALSE(QFile::exists(folder.filePath("Temp.bmp")));
}

TEST_F(Launch, HelpAndVersionAnswerWithoutADisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    for (const QString& option : {"--version", "--help"}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, {option});
        ASSERT_TRUE(p.waitForFinished(10000)) << option.toStdString();
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << option.toStdString();
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        if (option == "--version")
            EXPECT_EQ(out, "Tesmaro5 " TESMARO_VERSION "\n");
        else
            EXPECT_TRUE(out.startsWith("Использование: tesmaro5")) << out.toStdString();
    }
    QProcess bad;
    bad.setProcessEnvironment(env);
    bad.start(program, {"--no-such-option"});
    ASSERT_TRUE(bad.waitForFinished(10000));
    EXPECT_EQ(bad.exitCode(), 2);
    EXPECT_FALSE(bad.readAllStandardError().isEmpty());
}

} // namespace
