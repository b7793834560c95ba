// "Сохранить из": which window each choice saves, the file-name rule, names that would leave
// the program's folder, and the clipboard.
#include "TransferFixture.h"

#include <QDirIterator>

namespace tesmaro::testing {
namespace {

const QString kSaveFailed = QStringLiteral("Ошибка при записи файла");

// The program's folder sits alone inside a temporary folder, so a file written beside it or
// above it would show up in filesAround().
class NestedAppFolder : public AppFolder {
public:
    QString path() override { return dir; }
    QString picturesFolder() override { return dir; }
    QString dir;
};

class SaveTest : public TransferFixture {
protected:
    void SetUp() override {
        TransferFixture::SetUp();
        ASSERT_TRUE(QDir(root.path()).mkdir("app"));
        folder.dir = root.path() + "/app";
        Platform p = platform();
        p.folder = &folder;
        installPlatform(p);
    }
    void save(const QString& name) {
        main->Text5->setText(name);
        main->Command2->click();
    }
    QString appFile(const QString& fileName) { return folder.dir + "/" + fileName; }
    QImage savedFile(const QString& fileName) {
        return QImage(appFile(fileName)).convertToFormat(QImage::Format_RGB32);
    }
    QStringList appFiles() { return QDir(folder.dir).entryList(QDir::Files | QDir::Hidden | QDir::System); }
    // Every file anywhere under the temporary folder, named relative to it.
    QStringList filesAround() {
        QStringList files;
        QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(root.path()).relativeFilePath(it.next());
        files.sort();
        return files;
    }

    QTemporaryDir root;
    NestedAppFolder folder;
};

TEST_F(SaveTest, EmptyNameIsRefusedEvenForTheClipboard) {
    fake->clipboard.content = filled(3, 3, qRgb(1, 2, 3));
    main->Check6->setChecked(true);
    save("");
    ASSERT_EQ(fake->messages.shown.size(), 1u);
    EXPECT_EQ(fake->messages.shown[0].text, "Нет имени файла");
    EXPECT_EQ(fake->messages.shown[0].title, "Tesmaro5");
    EXPECT_EQ(fake->clipboard.clears, 0);
    EXPECT_TRUE(samePixels(filled(3, 3, qRgb(1, 2, 3)), fake->clipboard.content));
    EXPECT_TRUE(hourglassOnThenOff());
}

TEST_F(SaveTest, PictureCanvasIsSavedWithItsDrawings) {
    Canvas* canvas = pictureWindow(WindowId::Picture1)->picMain;
    ASSERT_TRUE(canvas->setPicture(patternPicture(45, 35)));
    canvas->setDrawWidth(3);
    canvas->line(2, 2, 40, 30, 0x00FF00);
    select(main->Option2);
    save("Tes");
    EXPECT_TRUE(fake->messages.shown.empty());
    EXPECT_TRUE(samePixels(canvas->image(), savedFile("Tes.bmp")));
    EXPECT_EQ(main->document().state.PicFileName, "Tes");
    EXPECT_FALSE(main->isVisible()); // save neither hides nor shows a window
    EXPECT_FALSE(pictureWindow(WindowId::Picture1)->isVisible());
    EXPECT_TRUE(hourglassOnThenOff());
}

TEST_F(SaveTest, FileNameRule) {
    select(main->Option2);
    ASSERT_TRUE(pictureWindow(WindowId::Picture1)->picMain->setPicture(patternPicture(8, 6)));
    struct Case {
        QString name;
        QString file;
    };
    const std::vector<Case> cases = {
        {"pic.jpg", "pic.bmp"}, {"pic.bmp", "pic.bmp"},
        {"pic", "pic.bmp"},     {"photo.jpeg", "photo.jpeg.bmp"},
        {"a.b.c", "a.bmp"},     {".bmp", ".bmp"},
        {"abcd", "abcd.bmp"},   {"Имя 1.txt", "Имя 1.bmp"},
        {"x..y", "x..y.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        for (const QString& f : appFiles())
            QFile::remove(appFile(f));
        save(c.name);
        EXPECT_TRUE(fake->messages.shown.empty());
        EXPECT_EQ(filesAround(), QStringList{"app/" + c.file});
        EXPECT_TRUE(samePixels(patternPicture(8, 6), savedFile(c.file)));
    }
}

TEST_F(SaveTest, NamesThatWouldLeaveTheFolderAreRefused) {
    select(main->Option2);
    ASSERT_TRUE(pictureWindow(WindowId::Picture1)->picMain->setPicture(patternPicture(8, 6)));
    const QStringList before = filesAround();
    for (const QString& name : QStringList{"../escape", "sub/pic", "..\\pic", "\\pic", "/tmp/pic", ".", "..",
                                           ".ab", ".a", "..abc", "...abc", QString("ab") + QChar(0) + "cd"}) {
        SCOPED_TRACE(name.toStdString());
        fake->messages.shown.clear();
        save(name);
        EXPECT_EQ(messages(), QStringList{kSaveFailed});
        EXPECT_EQ(filesAround(), before);
        EXPECT_FALSE(fake->busy.busy);
    }
}

TEST_F(SaveTest, NumberFrameChoosesTheWindow) {
    const QImage p1 = patternPicture(11, 7, 1), p2 = patternPicture(12, 7, 2),
                 temp = patternPicture(13, 7, 3), mcopy = patternPicture(14, 7, 4),
                 i1 = patternPicture(15, 7, 5), i2 = patternPicture(16, 7, 6);
    ASSERT_TRUE(pictureWindow(WindowId::Picture1)->picMain->setPicture(p1));
    ASSERT_TRUE(pictureWindow(WindowId::Picture2)->picMain->setPicture(p2));
    ASSERT_TRUE(pictureWindow(WindowId::Temp)->picMain->setPicture(temp));
    ASSERT_TRUE(pictureWindow(WindowId::MCopy2)->picMain->setPicture(mcopy));
    ASSERT_TRUE(imageWindow(WindowId::Image1)->Image1->setPicture(i1));
    ASSERT_TRUE(imageWindow(WindowId::Image2)->Image1->setPicture(i2));
    struct Case {
        QRadioButton* number;
        QRadioButton* source;
        QRadioButton* destination;
        const QImage& expected;
        const char* what;
    };
    const std::vector<Case> cases = {
        {main->Option29, main->Option2, main->Option4, p1, "1 Picture"},
        {main->Option29, main->Option7, main->Option4, temp, "1 Screen"},
        {main->Option29, main->Option19, main->Option4, mcopy, "1 MCopy"},
        {main->Option29, main->Option1, main->Option4, i1, "1 Image"},
        {main->Option30, main->Option2, main->Option3, p2, "2 Picture, destination frame on Image"},
        // Number 2 reads the source frame: Screen selects the Image destination.
        {main->Option30, main->Option7, main->Option4, i2, "2 Screen, destination frame on Picture"},
        {main->Option30, main->Option19, main->Option4, i2, "2 MCopy"},
        {main->Option30, main->Option1, main->Option4, i2, "2 Image"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        select(c.number);
        select(c.source);
        select(c.destination);
        save("Tes");
        EXPECT_TRUE(samePixels(c.expected, savedFile("Tes.bmp")));
    }
    EXPECT_TRUE(fake->messages.shown.empty());
}

TEST_F(SaveTest, StretchedImageLoadSavesThePicturesOwnSize) {
    main->Check4->setChecked(true);
    main->Text7->setText("200");
    main->Text8->setText("150");
    const QImage picture = patternPicture(40, 30);
    loadFile(picture, main->Option1);
    ASSERT_EQ(imageWindow(WindowId::Image1)->Image1->viewWidth(), 150);
    save("stretched");
    EXPECT_TRUE(samePixels(picture, savedFile("stretched.bmp")));
}

TEST_F(SaveTest, ClipboardGetsOnlyTheChosenPicture) {
    const QImage picture = patternPicture(21, 9);
    ASSERT_TRUE(pictureWindow(WindowId::Picture1)->picMain->setPicture(picture));
    select(main->Option2);
    main->Check6->setChecked(true);
    fake->clipboard.content = filled(2, 2, qRgb(9, 9, 9));
    save("pic.jpg");
    EXPECT_TRUE(fake->messages.shown.empty());
    EXPECT_EQ(fake->clipboard.clears, 1);
    EXPECT_TRUE(samePixels(picture, fake->clipboard.content));
    EXPECT_TRUE(appFiles().isEmpty());

    // The clipboard does not use the name, so a name a file could not have is no obstacle.
    save("../x");
    EXPECT_TRUE(fake->messages.shown.empty());

    fake->clipboard.refuse = true;
    save("Tes");
    EXPECT_EQ(messages(), QStringList{kSaveFailed});
}

TEST_F(SaveTest, WindowWithoutAPictureFailsWithoutTouchingTheClipboardOrFiles) {
    select(main->Option1); // frmImage1 never given a picture
    fake->clipboard.content = filled(2, 2, qRgb(9, 9, 9));
    main->Check6->setChecked(true);
    save("Tes");
    main->Check6->setChecked(false);
    save("Tes");
    EXPECT_EQ(messages(), QStringList({kSaveFailed, kSaveFailed}));
    EXPECT_EQ(fake->clipboard.clears, 0);
    EXPECT_FALSE(fake->clipboard.content.isNull());
    EXPECT_TRUE(appFiles().isEmpty());
    EXPECT_FALSE(fake->busy.busy);
}

TEST_F(SaveTest, ExistingFileIsReplacedAndAFailedSaveKeepsIt) {
    select(main->Option2);
    ASSERT_TRUE(pictureWindow(WindowId::Picture1)->picMain->setPicture(patternPicture(8, 6, 1)));
    save("Tes");
    ASSERT_TRUE(pictureWindow(WindowId::Picture1)->picMain->setPicture(patternPicture(9, 5, 2)));
    save("Tes");
    EXPECT_TRUE(samePixels(patternPicture(9, 5, 2), savedFile("Tes.bmp")));
    const QByteArray before = fileBytes(appFile("Tes.bmp"));

    // A name the file system refuses (too long) fails and leaves the folder as it was.
    save(QString(300, 'n'));
    EXPECT_EQ(messages(), QStringList{kSaveFailed});
    EXPECT_EQ(fileBytes(appFile("Tes.bmp")), before);
    EXPECT_EQ(appFiles(), QStringList{"Tes.bmp"});
}

} // namespace
} // namespace tesmaro::testing
