// A headless run gives, file for file, what the windows give: the TempMC.bmp of a freshly
// started program's first "MCopy" on a file loaded into "Picture" with the same fields, and the
// mirrored picture of "Реверс Picture №"; and the same files whatever the jobs.
#include "batch/BatchRun.h"
#include "batch/HeadlessWork.h"
#include "core/RasterOp.h"
#include "pictures/PictureDecoding.h"
#include "TransferFixture.h"

namespace tesmaro::testing {
namespace {

class HeadlessRun : public TransferFixture {
protected:
    // What the windows give: the file loaded into "Picture", then the command with the fields.
    QImage throughTheWindows(const QString& file, const batch::MulticopyFields& f, bool reverse) {
        discardWindows(main);
        main = startMainWindow(); // a fresh start: the random sequence starts afresh
        select(main->Option2);
        chooseFile(file);
        main->Command1->click();
        if (reverse) {
            main->Command5->click();
            return pictureWindow(WindowId::Picture1)->picMain->image();
        }
        main->Text17->setText(f.height);
        main->Text18->setText(f.width);
        main->Text10->setText(f.randomPercent);
        main->Text21->setText(f.redPercent);
        QRadioButton* modes[] = {main->Option9, main->Option10, main->Option28};
        select(modes[static_cast<int>(f.mode)]);
        select(f.rasterCode == SRCINVERT ? main->Option15 : main->Option13);
        main->Check5->setChecked(f.clearResult);
        QFile::remove(fake->filePath("TempMC.bmp"));
        main->Command13->click();
        return loadPictureFile(fake->filePath("TempMC.bmp"));
    }
};

TEST_F(HeadlessRun, EachFileAsTheWindowsGiveIt) {
    const QString files[] = {pictureFile(patternPicture(97, 61, 1), "a.png"),
                             pictureFile(patternPicture(40, 33, 2), "b.bmp")};
    using batch::MulticopyMode;
    const struct {
        MulticopyMode mode;
        const char *height, *width, *random, *red;
        std::int32_t raster;
        bool clear;
    } cases[] = {
        {MulticopyMode::All, "50", "70", "0", "100", SRCAND, true},
        {MulticopyMode::All, "120", "90", "7.5", "100", SRCINVERT, false},
        {MulticopyMode::PixelAccess, "45", "80", "0", "100", SRCAND, true},
        {MulticopyMode::PixelAccess, "130", "151", "5", "80", SRCAND, true},
        {MulticopyMode::Dib, "64", "33", "0", "100", SRCAND, true},
        {MulticopyMode::Dib, "101", "140", "5", "120", SRCINVERT, false},
    };
    for (const auto& c : cases)
        for (const QString& file : files) {
            batch::BatchOptions options;
            options.multicopy = {.height = c.height,
                                 .width = c.width,
                                 .redPercent = c.red,
                                 .randomPercent = c.random,
                                 .mode = c.mode,
                                 .rasterCode = c.raster,
                                 .clearResult = c.clear};
            SCOPED_TRACE(
                QString("%1 %2x%3 r=%4").arg(file).arg(c.width).arg(c.height).arg(c.random).toStdString());
            const batch::FileResult headless = batch::headlessWork(file, options);
            ASSERT_FALSE(headless.picture.isNull()) << headless.failure.toStdString();
            EXPECT_TRUE(samePixels(throughTheWindows(file, options.multicopy, false), headless.picture));
        }
    batch::BatchOptions reverse;
    reverse.command = batch::BatchCommand::Reverse;
    EXPECT_TRUE(
        samePixels(throughTheWindows(files[0], {}, true), batch::headlessWork(files[0], reverse).picture));
}

TEST_F(HeadlessRun, FailuresCarryTheProgramsMessages) {
    batch::BatchOptions options;
    options.multicopy.height = "0";
    options.multicopy.width = "10";
    EXPECT_EQ(batch::headlessWork(pictureFile(patternPicture(8, 8), "c.png"), options).failure,
              "Ошибка в режиме мультикопирования");
    QFile text(pictures.path() + "/d.png");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    EXPECT_EQ(batch::headlessWork(text.fileName(), options).failure, transfer::kLoadFailed);
    EXPECT_FALSE(QFile::exists(fake->filePath("Temp.bmp"))) << "the program's folder is left alone";
}

TEST_F(HeadlessRun, JobsChangeNothing) {
    QStringList args{"tesmaro5", "mcopy", "--height", "37", "--width", "53", "--random", "9", "--quiet"};
    for (int i = 0; i < 6; ++i)
        args << pictureFile(patternPicture(30 + 7 * i, 20 + 5 * i, i), QString("p%1.png").arg(i));
    batch::BatchConsole console{.out = [](const QString&) {},
                                .err = [](const QString&) {},
                                .in = [] { return std::optional<QByteArray>(); }};
    const QString one = pictures.path() + "/one", four = pictures.path() + "/four";
    ASSERT_EQ(batch::runBatch(args + QStringList{"--jobs", "1", "-o", one}, batch::headlessWork, console), 0);
    ASSERT_EQ(batch::runBatch(args + QStringList{"--jobs", "4", "-o", four}, batch::headlessWork, console),
              0);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(fileBytes(QString("%1/p%2.bmp").arg(one).arg(i)),
                  fileBytes(QString("%1/p%2.bmp").arg(four).arg(i)))
            << i;
}

} // namespace
} // namespace tesmaro::testing
