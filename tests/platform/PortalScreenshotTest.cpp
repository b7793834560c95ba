// The screen snapshot of a Wayland session, asked of a fake desktop portal on the private session
// bus (PlatformTestMain.cpp): the client alone, then the whole screen load through the main
// window's controls on the Qt platform.
#include "platform/qt/PortalScreenshot.h"
#include "FakePortal.h"
#include "support/AppFixture.h"

#include <QApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace tesmaro::testing {
namespace {

QImage numbered(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 5 + y) & 0xFF, (y * 3) & 0xFF, (x ^ y) & 0xFF));
    return img;
}

// One answer of the client.
struct Outcome {
    int calls = 0;
    QImage picture;
};

class PortalClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) << "no private session bus";
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
        portal = std::make_unique<FakePortal>();
        ASSERT_TRUE(portal->ready());
        ASSERT_TRUE(dir.isValid());
        picturePath = dir.filePath("shot.png");
        ASSERT_TRUE(numbered(64, 48).save(picturePath));
        portal->answerWithFile(picturePath);
    }
    void TearDown() override {
        portal.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Asks once; waits until done has run (or the limit), then a little longer for a second call.
    Outcome grab(PortalScreenshot& client, int limitMs = 5000) {
        auto outcome = std::make_shared<Outcome>();
        client.grab([outcome](QImage picture) {
            ++outcome->calls;
            outcome->picture = picture;
        });
        EXPECT_EQ(outcome->calls, 0) << "answered before grab returned";
        if (QTest::qWaitFor([&] { return outcome->calls > 0; }, limitMs))
            QTest::qWait(100); // long enough for a second call, which must not come
        return *outcome;
    }

    std::unique_ptr<FakePortal> portal;
    QTemporaryDir dir;
    QString picturePath;
};

TEST_F(PortalClient, AsksWithoutDialogAndTakesTheAnsweredPicture) {
    PortalScreenshot client;
    EXPECT_EQ(client.timeoutMs(), 30000);
    const Outcome outcome = grab(client);
    EXPECT_EQ(portal->calls, 1);
    EXPECT_EQ(portal->lastOptions.value("interactive"), QVariant(false));
    const QString token = portal->lastOptions.value("handle_token").toString();
    EXPECT_FALSE(token.isEmpty());
    ASSERT_EQ(outcome.calls, 1);
    EXPECT_EQ(outcome.picture.format(), QImage::Format_RGB32);
    EXPECT_EQ(outcome.picture.devicePixelRatio(), 1.0);
    EXPECT_TRUE(samePixels(numbered(64, 48), outcome.picture));

    // Every request has a token of its own.
    grab(client);
    EXPECT_NE(portal->lastOptions.value("handle_token").toString(), token);
}

TEST_F(PortalClient, HearsAnAnswerThatComesBeforeTheCallReturns) {
    portal->answer = FakePortal::Answer::PictureBeforeReply;
    PortalScreenshot client;
    const Outcome outcome = grab(client);
    ASSERT_EQ(outcome.calls, 1);
    EXPECT_TRUE(samePixels(numbered(64, 48), outcome.picture));
}

TEST_F(PortalClient, FollowsAnOlderPortalToTheRequestPathItChose) {
    portal->answer = FakePortal::Answer::PictureOnOwnPath;
    PortalScreenshot client;
    const Outcome outcome = grab(client);
    ASSERT_EQ(outcome.calls, 1);
    EXPECT_TRUE(samePixels(numbered(64, 48), outcome.picture));
}

TEST_F(PortalClient, RefusalMissingPortalAndUnreadableAnswersGiveNoPicture) {
    PortalScreenshot client;
    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    QFile notAPicture(dir.filePath("shot.txt"));
    ASSERT_TRUE(notAPicture.open(QIODevice::WriteOnly));
    notAPicture.write("not a picture");
    notAPicture.close();
    const Case cases[] = {
        {"refused", [&] { portal->answer = FakePortal::Answer::Refusal; }},
        {"file is no picture", [&] { portal->answerWithFile(notAPicture.fileName()); }},
        {"file missing", [&] { portal->answerWithFile(dir.filePath("gone.png")); }},
        {"not a local file", [&] { portal->uri = "https://example.invalid/shot.png"; }},
        {"no uri", [&] { portal->uri.clear(); }},
        {"no portal on the bus", [&] { portal->leaveBus(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        portal->answer = FakePortal::Answer::Picture;
        portal->answerWithFile(picturePath);
        c.arrange();
        const Outcome outcome = grab(client);
        EXPECT_EQ(outcome.calls, 1);
        EXPECT_TRUE(outcome.picture.isNull());
    }
}

TEST_F(PortalClient, SilentPortalTimesOutClosesTheRequestAndALateAnswerIsIgnored) {
    portal->answer = FakePortal::Answer::Silence;
    PortalScreenshot client;
    client.setTimeoutMs(400);
    QElapsedTimer clock;
    clock.start();
    const Outcome outcome = grab(client);
    EXPECT_GE(clock.elapsed(), 400);
    ASSERT_EQ(outcome.calls, 1);
    EXPECT_TRUE(outcome.picture.isNull());
    ASSERT_TRUE(portal->request);
    EXPECT_TRUE(QTest::qWaitFor([&] { return portal->request->closes == 1; }, 2000));

    // The portal answers after all: nobody listens any more.
    portal->respond(portal->requestPath(), 0);
    QTest::qWait(200);
    EXPECT_EQ(outcome.calls, 1);
}

// The load command of the main window, on the Qt platform in a Wayland session: messages are
// recorded and files go to a temporary program folder.
class ScreenLoadThroughThePortal : public PortalClient {
protected:
    void SetUp() override {
        PortalClient::SetUp();
        if (HasFatalFailure())
            return;
        qputenv("WAYLAND_DISPLAY", "wayland-tesmaro-test");
        installQtPlatformRecording(messages, folder);
        main = startMainWindow();
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        ASSERT_TRUE(main->Option7->isChecked());
    }
    void TearDown() override {
        portalScreenshot().setTimeoutMs(PortalScreenshot::kDefaultTimeoutMs);
        discardWindows(main);
        installQtPlatform(); // no pointers left to this fixture's doubles
        qunsetenv("WAYLAND_DISPLAY");
        PortalClient::TearDown();
    }
    QString tempBmp() { return folder.path() + "/Temp.bmp"; }
    bool busy() { return QApplication::overrideCursor() != nullptr; }

    FakeMessageBoxes messages;
    FakeAppFolder folder;
    std::unique_ptr<MainWindow> main;
};

TEST_F(ScreenLoadThroughThePortal, AnsweredPictureBecomesTheSnapshot) {
    const QImage desktop = numbered(320, 200);
    ASSERT_TRUE(desktop.save(picturePath));
    main->Command1->click();
    EXPECT_FALSE(main->isVisible());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return main->isVisible() && currentDocument()->exists(WindowId::Temp) &&
                   pictureWindow(WindowId::Temp)->isVisible();
        },
        10000));
    EXPECT_EQ(portal->calls, 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(samePixels(desktop, QImage(tempBmp())));
    EXPECT_TRUE(samePixels(desktop, pictureWindow(WindowId::Temp)->picMain->image()));
    EXPECT_EQ(main->Text7->text(), "200");
    EXPECT_EQ(main->Text8->text(), "320");
    EXPECT_EQ(pictureWindow(WindowId::Temp)->scroll->vertical().maximum, 200);
    EXPECT_FALSE(busy());
}

TEST_F(ScreenLoadThroughThePortal, RefusalGivesTheLoadMessageAndTheMainWindowBack) {
    portal->answer = FakePortal::Answer::Refusal;
    main->Command1->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->isVisible(); }, 10000));
    EXPECT_EQ(portal->calls, 1);
    EXPECT_EQ(messages.texts(), QStringList{"ошибка при загрузке рисунка"});
    EXPECT_FALSE(currentDocument()->exists(WindowId::Temp));
    EXPECT_FALSE(QFile::exists(tempBmp()));
    EXPECT_FALSE(busy());
}

TEST_F(ScreenLoadThroughThePortal, WhileThePortalIsSilentTheWindowStaysHiddenThenComesBack) {
    portal->answer = FakePortal::Answer::Silence;
    portalScreenshot().setTimeoutMs(3000);
    main->Command1->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return portal->calls == 1; }, 5000));
    // Asked, not answered: the event loop runs on, the main window stays away, the pointer busy.
    QTest::qWait(500);
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(busy());
    EXPECT_TRUE(messages.shown.empty());

    ASSERT_TRUE(QTest::qWaitFor([&] { return main->isVisible(); }, 5000));
    EXPECT_EQ(messages.texts(), QStringList{"ошибка при загрузке рисунка"});
    EXPECT_FALSE(currentDocument()->exists(WindowId::Temp));
    EXPECT_FALSE(busy());
}

} // namespace
} // namespace tesmaro::testing
