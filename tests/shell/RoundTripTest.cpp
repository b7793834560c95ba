// Lossless picture files through the panel's load and save.
#include "TransferFixture.h"
#include "pictures/FixturePictures.h"

namespace tesmaro::testing {
namespace {

const QString kFixtures = QStringLiteral(PICTURE_FIXTURES);

// Lossless files through the commands: loaded into frmPicture1, Temp.bmp and a saved file hold
// the file's pixels exactly.
class RoundTripTest : public TransferFixture {};

TEST_F(RoundTripTest, LosslessFilesLoadAndSaveUnchanged) {
    QTemporaryDir dir;
    std::vector<std::pair<QString, QImage>> files;
    for (const Lossless& f : kCommittedLossless)
        files.emplace_back(kFixtures + "/" + f.file, fixturePicture(f.colours));
    files.emplace_back(writeBytes(dir, "rle4.bmp", rle4Bmp()), fixturePicture(16));
    const QImage generated = patternPicture(33, 19);
    for (const char* format : {"png", "bmp"}) {
        const QString path = dir.path() + "/generated." + format;
        ASSERT_TRUE(generated.save(path, format));
        files.emplace_back(path, generated);
    }
    select(main->Option2);
    for (const auto& [path, expected] : files) {
        SCOPED_TRACE(path.toStdString());
        chooseFile(path);
        main->Command1->click();
        EXPECT_TRUE(fake->messages.shown.empty());
        EXPECT_TRUE(samePixels(expected, pictureWindow(WindowId::Picture1)->picMain->image()));
        EXPECT_TRUE(samePixels(expected, readTempBmp()));
        main->Text5->setText("again");
        main->Command2->click();
        EXPECT_TRUE(samePixels(expected, QImage(fake->filePath("again.bmp"))));
        // and the saved file loads back the same
        chooseFile(fake->filePath("again.bmp"));
        main->Command1->click();
        EXPECT_TRUE(samePixels(expected, pictureWindow(WindowId::Picture1)->picMain->image()));
    }
}

} // namespace
} // namespace tesmaro::testing
