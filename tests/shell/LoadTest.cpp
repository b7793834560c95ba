// "Загрузить ": the open dialog, the size rules of both targets, the clipboard, the screen
// snapshot, and loads that fail without costing the picture already shown.
#include "TransferFixture.h"

#include "pictures/PictureDecoding.h"

#include <QElapsedTimer>

namespace tesmaro::testing {
namespace {

const QString kLoadFailed = QStringLiteral("ошибка при загрузке рисунка");

class LoadTest : public TransferFixture {};

TEST_F(LoadTest, ScreenWithClipboardIsRefusedWithoutTouchingAnything) {
    select(main->Option7);
    main->Check6->setChecked(true);
    main->Command1->click();
    ASSERT_EQ(fake->messages.shown.size(), 1u);
    EXPECT_EQ(fake->messages.shown[0].text, "Загрузка Screen не производится из Clipboard");
    EXPECT_EQ(fake->messages.shown[0].title, "Tesmaro5");
    EXPECT_FALSE(main->Timer1->isActive());
    EXPECT_FALSE(currentDocument()->exists(WindowId::Temp));
    EXPECT_TRUE(fake->screen.captured.empty());
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(hourglassOnThenOff());
}

TEST_F(LoadTest, MCopyIsRefusedWithoutTheDialog) {
    select(main->Option19);
    for (bool clipboard : {false, true}) {
        main->Check6->setChecked(clipboard);
        main->Command1->click();
    }
    EXPECT_EQ(messages(),
              QStringList({"Загрузка в MCopy не производится ", "Загрузка в MCopy не производится "}));
    EXPECT_TRUE(fake->files.requests.empty());
    EXPECT_FALSE(currentDocument()->exists(WindowId::MCopy2));
    EXPECT_FALSE(fake->busy.busy);
}

TEST_F(LoadTest, OpenDialogIsAskedExactlyAndCancelIsSilent) {
    select(main->Option2);
    fake->files.answer = {OpenFileResult::Outcome::Cancelled, {}};
    main->Command1->click();
    ASSERT_EQ(fake->files.requests.size(), 1u);
    const OpenFileRequest& r = fake->files.requests[0];
    EXPECT_EQ(r.filter, "All Files (*.*)|*.*|BMP Files (*.bmp)|*.bmp|GIF Files (*.gif)|*.gif|"
                        "ICO Files (*.ico)|*.ico|JPG Files (*.jpg)|*.jpg|PNG Files (*.png)|*.png|");
    EXPECT_EQ(r.filterIndex, 1);
    EXPECT_EQ(r.initialDir, fake->folder.picturesFolder()); // no file chosen yet this run
    EXPECT_TRUE(r.fileMustExist);
    EXPECT_TRUE(main->document().state.CD1.CancelError);
    EXPECT_EQ(main->document().state.CD1.Flags, 0x1004);
    EXPECT_TRUE(fake->messages.shown.empty());
    EXPECT_FALSE(currentDocument()->exists(WindowId::Picture1));
    EXPECT_FALSE(QFile::exists(tempBmp()));
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(hourglassOnThenOff());

    fake->files.answer = {OpenFileResult::Outcome::Failed, {}};
    main->Command1->click();
    EXPECT_EQ(messages(), QStringList{kLoadFailed});
    EXPECT_FALSE(fake->busy.busy);
}

// The open dialog starts in the user's pictures, then wherever the user last took a file from
// during the run, whether that file loaded or not.
TEST_F(LoadTest, OpenDialogReturnsToTheFolderLastChosen) {
    select(main->Option2);
    QDir(pictures.path()).mkpath("first");
    QDir(pictures.path()).mkpath("second");
    const QString good = pictureFile(patternPicture(5, 4), "first/good.png");
    main->Check6->setChecked(false);
    chooseFile(good);
    main->Command1->click();
    chooseFile(pictures.path() + "/second/missing.bmp");
    main->Command1->click();
    fake->files.answer = {OpenFileResult::Outcome::Cancelled, {}};
    main->Command1->click();
    ASSERT_EQ(fake->files.requests.size(), 3u);
    EXPECT_EQ(fake->files.requests[0].initialDir, fake->folder.picturesFolder());
    EXPECT_EQ(fake->files.requests[1].initialDir, pictures.path() + "/first");
    EXPECT_EQ(fake->files.requests[2].initialDir, pictures.path() + "/second");
    EXPECT_EQ(messages(), QStringList{kLoadFailed});
}

TEST_F(LoadTest, PictureFalseWithSetSizeCropsAndPads) {
    select(main->Option5);
    main->Check4->setChecked(true);
    main->Text7->setText("100");
    main->Text8->setText("50");
    const QImage picture = patternPicture(200, 300);
    loadFile(picture, main->Option2);
    EXPECT_TRUE(fake->messages.shown.empty());
    const Canvas* canvas = pictureWindow(WindowId::Picture1)->picMain;
    // The picture's top-left 50 x 100 pixels, unscaled.
    EXPECT_TRUE(samePixels(picture.copy(0, 0, 50, 100), canvas->image()));
    EXPECT_EQ(main->Text7->text(), "100");
    EXPECT_EQ(main->Text8->text(), "50");
    EXPECT_TRUE(samePixels(picture.copy(0, 0, 50, 100), readTempBmp()));
    EXPECT_TRUE(pictureWindow(WindowId::Picture1)->isVisible());
    EXPECT_EQ(pictureWindow(WindowId::Picture1)->scroll->vertical().maximum, 100);
    EXPECT_EQ(pictureWindow(WindowId::Picture1)->scroll->horizontal().maximum, 50);

    // A larger set size pads with white.
    main->Text7->setText("320.5"); // halves to even: 320
    main->Text8->setText("210");
    loadFile(picture, main->Option2);
    QImage expected = filled(210, 320, qRgb(255, 255, 255));
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 200; ++x)
            expected.setPixel(x, y, picture.pixel(x, y));
    EXPECT_TRUE(samePixels(expected, canvas->image()));
    EXPECT_EQ(main->Text7->text(), "320");
}

TEST_F(LoadTest, PictureTrueTakesThePicturesOwnSizeWhateverIsSet) {
    for (bool setSize : {true, false}) {
        main->Check4->setChecked(setSize);
        main->Text7->setText("100");
        main->Text8->setText("50");
        const QImage picture = patternPicture(37, 21, setSize);
        loadFile(picture, main->Option2);
        EXPECT_TRUE(samePixels(picture, pictureWindow(WindowId::Picture1)->picMain->image()));
        EXPECT_TRUE(samePixels(picture, readTempBmp()));
        EXPECT_EQ(main->Text7->text(), "21");
        EXPECT_EQ(main->Text8->text(), "37");
        EXPECT_EQ(main->document().state.PicHeight, 21);
        EXPECT_EQ(main->document().state.PicWidth, 37);
        EXPECT_EQ(main->document().state.PicFileName, fake->files.answer.path);
    }
    EXPECT_TRUE(fake->messages.shown.empty());
}

TEST_F(LoadTest, ImageTrueShowsTheViewSizeButKeepsThePicturesOwnSize) {
    const ImageView* view = imageWindow(WindowId::Image1)->Image1;
    const QSize designSize(view->viewWidth(), view->viewHeight());
    const QImage picture = patternPicture(40, 30);
    loadFile(picture, main->Option1);
    EXPECT_TRUE(view->stretch());
    EXPECT_EQ(QSize(view->viewWidth(), view->viewHeight()), designSize);
    EXPECT_EQ(main->Text7->text(), QString::number(designSize.height()));
    EXPECT_EQ(main->Text8->text(), QString::number(designSize.width()));
    EXPECT_TRUE(samePixels(picture, view->picture()));
    EXPECT_TRUE(samePixels(picture, readTempBmp()));
    EXPECT_TRUE(imageWindow(WindowId::Image1)->isVisible());

    main->Check4->setChecked(true);
    main->Text7->setText("150");
    main->Text8->setText("200");
    loadFile(picture, main->Option1);
    EXPECT_EQ(QSize(view->viewWidth(), view->viewHeight()), QSize(200, 150));
    EXPECT_EQ(main->Text7->text(), "150");
    EXPECT_TRUE(samePixels(picture, view->picture()));
}

TEST_F(LoadTest, ImageFalseTakesThePicturesSize) {
    select(main->Option5);
    main->Check4->setChecked(true);
    main->Text7->setText("150");
    main->Text8->setText("200");
    const QImage picture = patternPicture(40, 30);
    loadFile(picture, main->Option1);
    const ImageView* view = imageWindow(WindowId::Image1)->Image1;
    EXPECT_FALSE(view->stretch());
    EXPECT_EQ(QSize(view->viewWidth(), view->viewHeight()), QSize(40, 30));
    EXPECT_EQ(main->Text7->text(), "30");
    EXPECT_EQ(main->Text8->text(), "40");
}

// A load that cannot be done leaves the picture shown, Temp.bmp and the size fields as they were.
TEST_F(LoadTest, FailedLoadsKeepThePictureAlreadyShown) {
    select(main->Option5);
    const QImage first = patternPicture(30, 20, 1);
    loadFile(first, main->Option2);
    ASSERT_TRUE(fake->messages.shown.empty());
    const QImage shown = pictureWindow(WindowId::Picture1)->picMain->image().copy();
    ASSERT_TRUE(samePixels(first, shown.copy(0, 0, 30, 20)));
    const QByteArray tempBefore = fileBytes(tempBmp());
    const QString text8 = main->Text8->text();

    struct Case {
        const char* what;
        QString height;
        QString path;
    };
    const QString notAPicture = pictures.path() + "/notes.jpg";
    {
        QFile f(notAPicture);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is text, not a picture");
    }
    const QString tall = pictureFile(filled(1, kMaxPictureSide + 1, qRgb(0, 0, 255)), "tall.png");
    const QString wide = pictureFile(filled(kMaxPictureSide + 1, 1, qRgb(0, 0, 255)), "wide.png");
    const QString good = pictureFile(patternPicture(10, 10, 2), "good.png");
    const std::vector<Case> cases = {
        {"height abc", "abc", good},
        {"negative height", "-1", good},
        {"height beyond the scroll range", "32768", good},
        {"empty canvas", "0", good},
        {"not a picture", "20", notAPicture},
        {"missing file", "20", pictures.path() + "/missing.png"},
        {"picture taller than 32767", "20", tall},
        {"picture wider than 32767", "20", wide},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake->messages.shown.clear();
        main->Check4->setChecked(true);
        main->Text7->setText(c.height);
        chooseFile(c.path);
        main->Command1->click();
        EXPECT_EQ(messages(), QStringList{kLoadFailed});
        EXPECT_TRUE(samePixels(shown, pictureWindow(WindowId::Picture1)->picMain->image()));
        EXPECT_EQ(fileBytes(tempBmp()), tempBefore);
        EXPECT_EQ(main->Text7->text(), c.height);
        EXPECT_EQ(main->Text8->text(), text8);
        EXPECT_FALSE(fake->busy.busy);
        EXPECT_TRUE(main->isVisible());
    }
}

TEST_F(LoadTest, OversizedPictureIntoAFreshWindowDoesNotShowIt) {
    loadFile(filled(1, kMaxPictureSide + 1, qRgb(0, 0, 255)), main->Option2);
    EXPECT_EQ(messages(), QStringList{kLoadFailed});
    EXPECT_FALSE(currentDocument()->exists(WindowId::Picture1) &&
                 pictureWindow(WindowId::Picture1)->isVisible());
    EXPECT_FALSE(QFile::exists(tempBmp()));
    EXPECT_EQ(main->Text7->text(), "768");
}

TEST_F(LoadTest, ClipboardPictureLoadsAndAnEmptyClipboardFails) {
    select(main->Option2);
    main->Check6->setChecked(true);
    const QImage picture = patternPicture(23, 17);
    fake->clipboard.content = picture;
    main->Command1->click();
    EXPECT_TRUE(fake->files.requests.empty());
    EXPECT_TRUE(fake->messages.shown.empty());
    EXPECT_TRUE(samePixels(picture, pictureWindow(WindowId::Picture1)->picMain->image()));
    EXPECT_TRUE(samePixels(picture, readTempBmp()));
    EXPECT_EQ(main->Text7->text(), "17");

    const QByteArray tempBefore = fileBytes(tempBmp());
    fake->clipboard.content = QImage();
    for (QRadioButton* target : {main->Option2, main->Option1}) {
        select(target);
        main->Command1->click();
    }
    EXPECT_EQ(messages(), QStringList({kLoadFailed, kLoadFailed}));
    EXPECT_TRUE(samePixels(picture, pictureWindow(WindowId::Picture1)->picMain->image()));
    EXPECT_TRUE(imageWindow(WindowId::Image1)->Image1->picture().isNull());
    EXPECT_EQ(fileBytes(tempBmp()), tempBefore);
}

TEST_F(LoadTest, TransparentPartsOfAPictureBecomeWhite) {
    QImage picture(4, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(10, 20, 30, 255));
    picture.setPixel(1, 0, qRgba(0, 0, 0, 0));
    picture.setPixel(2, 0, qRgba(200, 0, 0, 0));
    picture.setPixel(3, 0, qRgba(0, 0, 0, 128));
    select(main->Option2);
    main->Check6->setChecked(true);
    fake->clipboard.content = picture;
    main->Command1->click();
    const QImage& loaded = pictureWindow(WindowId::Picture1)->picMain->image();
    EXPECT_EQ(loaded.pixel(0, 0) & 0xFFFFFF, 0x0A141Eu);
    EXPECT_EQ(loaded.pixel(1, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(loaded.pixel(2, 0) & 0xFFFFFF, 0xFFFFFFu);
    // Half covered black on white: a mid grey.
    EXPECT_NEAR(qRed(loaded.pixel(3, 0)), 127, 2);
}

TEST_F(LoadTest, TempBmpThatCannotBeWrittenFailsAfterShowing) {
    ASSERT_TRUE(QDir().mkdir(tempBmp())); // a folder where the file should go
    const QImage picture = patternPicture(12, 8);
    loadFile(picture, main->Option2);
    EXPECT_EQ(messages(), QStringList{kLoadFailed});
    // The steps before the failure stay done; the size fields are not updated.
    EXPECT_TRUE(samePixels(picture, pictureWindow(WindowId::Picture1)->picMain->image()));
    EXPECT_TRUE(pictureWindow(WindowId::Picture1)->isVisible());
    EXPECT_EQ(main->Text7->text(), "768");
    EXPECT_FALSE(fake->busy.busy);
}

TEST_F(LoadTest, ScreenSnapshotAfterTheMainWindowIsHidden) {
    fake->screen.desktop = patternPicture(1024, 768, 3);
    main->show();
    // A previous snapshot window goes at once.
    pictureWindow(WindowId::Temp)->show();
    QPointer<PictureWindow> previous = pictureWindow(WindowId::Temp);
    select(main->Option7);
    QElapsedTimer clock;
    clock.start();
    main->Command1->click();
    EXPECT_FALSE(currentDocument()->exists(WindowId::Temp));
    EXPECT_TRUE(previous.isNull() || !previous->isVisible());
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(fake->busy.busy);
    EXPECT_TRUE(main->Timer1->isActive());
    EXPECT_EQ(main->Timer1->interval(), 300);
    EXPECT_TRUE(fake->screen.captured.empty());

    ASSERT_TRUE(QTest::qWaitFor([&] { return !fake->screen.captured.empty() && main->isVisible(); }, 5000));
    EXPECT_GE(clock.elapsed(), 290);
    EXPECT_FALSE(main->Timer1->isActive());
    EXPECT_EQ(fake->screen.captured, std::vector<QRect>{QRect(0, 0, 1024, 768)});
    EXPECT_TRUE(fake->messages.shown.empty());
    PictureWindow* temp = pictureWindow(WindowId::Temp);
    EXPECT_NE(temp, previous.data());
    EXPECT_TRUE(temp->isVisible());
    EXPECT_TRUE(samePixels(fake->screen.desktop, temp->picMain->image()));
    EXPECT_TRUE(samePixels(fake->screen.desktop, readTempBmp()));
    EXPECT_EQ(main->Text7->text(), "768");
    EXPECT_EQ(main->Text8->text(), "1024");
    EXPECT_EQ(temp->scroll->vertical().maximum, 768);
    EXPECT_EQ(temp->scroll->horizontal().maximum, 1024);
    EXPECT_FALSE(fake->busy.busy);
}

TEST_F(LoadTest, FailedScreenCaptureStillBringsTheMainWindowBack) {
    main->show();
    select(main->Option7);
    main->Command1->click(); // fake->screen.desktop is null: the capture fails
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->isVisible(); }, 5000));
    EXPECT_EQ(messages(), QStringList{kLoadFailed});
    EXPECT_FALSE(fake->busy.busy);
    EXPECT_FALSE(QFile::exists(tempBmp()));
}

} // namespace
} // namespace tesmaro::testing
