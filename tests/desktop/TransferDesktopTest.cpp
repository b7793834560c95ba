// Load and save on a real X server: the screen snapshot holds what is on the screen, without the
// main window or the previous snapshot window, and the clipboard works with other programs.
#include "support/AppFixture.h"
#include "transfer/TransferCommands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

namespace tesmaro::testing {
namespace {

QImage grabScreen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

bool regionIs(const QImage& image, const QRect& r, QRgb colour) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != (colour & 0xFFFFFF))
                return false;
    return true;
}

// The real Qt platform, except that messages are recorded instead of shown and files go to a
// temporary program folder.
class TransferDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        installQtPlatformRecording(messages, folder);
        main = startMainWindow();
    }
    void TearDown() override { discardWindows(main); }
    // Runs a program to its end while this process keeps answering the X server (the clipboard
    // owner must serve the other program's requests).
    QByteArray run(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        EXPECT_TRUE(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 20000));
        return p.readAllStandardOutput();
    }
    // The snapshot window of the last screen load, once it is on the screen with the main window.
    bool waitForSnapshot(const PictureWindow* previous) {
        return QTest::qWaitFor(
            [&] {
                return currentDocument()->exists(WindowId::Temp) &&
                       pictureWindow(WindowId::Temp) != previous &&
                       pictureWindow(WindowId::Temp)->isVisible() && main->isVisible();
            },
            10000);
    }

    FakeMessageBoxes messages;
    FakeAppFolder folder;
    std::unique_ptr<MainWindow> main;
};

TEST_F(TransferDesktopTest, SnapshotHoldsTheScreenWithoutTheProgramsOwnWindows) {
    // A window of a colour of our own at a known place.
    QWidget marker(nullptr, Qt::FramelessWindowHint);
    QPalette pal;
    pal.setColor(QPalette::Window, QColor(255, 0, 255));
    marker.setPalette(pal);
    marker.setAutoFillBackground(true);
    marker.setGeometry(900, 120, 200, 150);
    marker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&marker));
    const QRect markerRect = marker.geometry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return regionIs(grabScreen(), markerRect, qRgb(255, 0, 255)); }, 5000));
    const QImage withoutProgram = grabScreen();

    main->move(200, 650);
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    const QRect mainRect = main->frameGeometry();
    // The main window is really on the screen, so a snapshot that kept it would be caught.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return grabScreen().copy(mainRect) != withoutProgram.copy(mainRect); }, 5000));

    ASSERT_TRUE(main->Option7->isChecked());
    main->Command1->click();
    ASSERT_TRUE(waitForSnapshot(nullptr));
    EXPECT_TRUE(messages.shown.empty());
    const QImage first = QImage(folder.path() + "/Temp.bmp").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(first.size(), QSize(1280, 1024));
    EXPECT_EQ(main->Text7->text(), "1024");
    EXPECT_EQ(main->Text8->text(), "1280");
    EXPECT_TRUE(regionIs(first, markerRect, qRgb(255, 0, 255)));
    EXPECT_TRUE(samePixels(withoutProgram.copy(mainRect), first.copy(mainRect)));
    EXPECT_TRUE(samePixels(withoutProgram, first));
    EXPECT_TRUE(samePixels(first, pictureWindow(WindowId::Temp)->picMain->image()));

    // The second snapshot shows neither the first snapshot's window nor the main window.
    const PictureWindow* firstWindow = pictureWindow(WindowId::Temp);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pictureWindowWidget(WindowId::Temp)));
    const QRect tempRect =
        pictureWindowWidget(WindowId::Temp)->frameGeometry().intersected(QRect(0, 0, 1280, 1024));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return grabScreen().copy(tempRect) != withoutProgram.copy(tempRect); }, 5000));
    main->Command1->click();
    ASSERT_TRUE(waitForSnapshot(firstWindow));
    const QImage second = QImage(folder.path() + "/Temp.bmp").convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(samePixels(withoutProgram.copy(tempRect), second.copy(tempRect)));
    EXPECT_TRUE(samePixels(withoutProgram, second));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TransferDesktopTest, PictureAnotherProgramPutOnTheClipboardLoads) {
    const QString xclip = QStandardPaths::findExecutable("xclip");
    if (xclip.isEmpty())
        GTEST_SKIP() << "xclip is not installed";
    QTemporaryDir dir;
    QImage picture(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            picture.setPixel(x, y, qRgb(x * 7, y * 11, (x * y) & 255));
    const QString png = dir.path() + "/clip.png";
    ASSERT_TRUE(picture.save(png));

    // xclip keeps the clipboard while it runs in the foreground (-quiet).
    QProcess owner;
    owner.start(xclip, {"-quiet", "-selection", "clipboard", "-t", "image/png", "-i", png});
    ASSERT_TRUE(owner.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !platform().clipboard->image().isNull(); }, 10000));

    main->Option2->setChecked(true);
    main->Check6->setChecked(true);
    main->Command1->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(samePixels(picture, pictureWindow(WindowId::Picture1)->picMain->image()));
    EXPECT_TRUE(pictureWindow(WindowId::Picture1)->isVisible());
    EXPECT_TRUE(samePixels(picture, QImage(folder.path() + "/Temp.bmp")));
    owner.kill();
    owner.waitForFinished();

    // Text on the clipboard is no picture: the load fails and the picture stays.
    QProcess textOwner;
    textOwner.start(xclip, {"-quiet", "-selection", "clipboard", "-t", "UTF8_STRING", "-i", "/dev/null"});
    ASSERT_TRUE(textOwner.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return platform().clipboard->image().isNull(); }, 10000));
    main->Command1->click();
    EXPECT_EQ(messages.texts(), QStringList{"ошибка при загрузке рисунка"});
    EXPECT_TRUE(samePixels(picture, pictureWindow(WindowId::Picture1)->picMain->image()));
    textOwner.kill();
    textOwner.waitForFinished();
}

TEST_F(TransferDesktopTest, SavedPictureReachesOtherProgramsAsTheOnlyClipboardContent) {
    const QString xclip = QStandardPaths::findExecutable("xclip");
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    if (xclip.isEmpty() || xdotool.isEmpty())
        GTEST_SKIP() << "xclip or xdotool is not installed";
    QImage picture(19, 13, QImage::Format_RGB32);
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 19; ++x)
            picture.setPixel(x, y, qRgb(255 - x * 9, y * 17, 100));
    ASSERT_TRUE(pictureWindow(WindowId::Picture1)->picMain->setPicture(picture));
    main->Option2->setChecked(true);
    main->Check6->setChecked(true);
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));

    // Another program holds text on the clipboard.
    QProcess textOwner;
    textOwner.start(xclip, {"-quiet", "-selection", "clipboard", "-t", "UTF8_STRING", "-i", "/dev/null"});
    ASSERT_TRUE(textOwner.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return run(xclip, {"-o", "-selection", "clipboard", "-t", "TARGETS"}).contains("UTF8_STRING");
        },
        10000));

    // The user clicks "Сохранить из".
    QSignalSpy clicked(main->Command2, &QPushButton::clicked);
    const QPoint at = main->Command2->mapToGlobal(main->Command2->rect().center());
    run(xdotool, {"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    ASSERT_TRUE(clicked.count() > 0 || clicked.wait(10000));
    EXPECT_TRUE(messages.shown.empty());

    const QString targets = QString::fromUtf8(run(xclip, {"-o", "-selection", "clipboard", "-t", "TARGETS"}));
    EXPECT_TRUE(targets.contains("image/png")) << targets.toStdString();
    EXPECT_FALSE(targets.contains("text/plain") || targets.contains("UTF8_STRING")) << targets.toStdString();
    const QByteArray png = run(xclip, {"-o", "-selection", "clipboard", "-t", "image/png"});
    EXPECT_TRUE(samePixels(picture, QImage::fromData(png, "PNG")));
    textOwner.kill();
    textOwner.waitForFinished();
}

} // namespace
} // namespace tesmaro::testing
