#include "ResizeFixture.h"
#include "resize/ResizeCommands.h"

#include <QFile>

namespace tesmaro {
namespace {

using testing::currentDocument;
using testing::Picture;
using testing::pictureWindow;
using testing::samePicture;

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;
const QString kFailure = QStringLiteral("Ошибка в режиме мультикопирования");

std::uint32_t andOp(std::uint32_t d, std::uint32_t s) {
    return d & s;
}
std::uint32_t orOp(std::uint32_t d, std::uint32_t s) {
    return d | s;
}
std::uint32_t copyOp(std::uint32_t, std::uint32_t s) {
    return s;
}

class Multicopy : public testing::CommandTest {
protected:
    void setSize(int height, int width) {
        main->Text17->setText(QString::number(height));
        main->Text18->setText(QString::number(width));
    }
    Picture result() { return testing::fromImage(pictureWindow(WindowId::MCopy2)->picMain->image()); }
};

TEST_F(Multicopy, AllWithoutRandomnessIsOnePlainStretchedCopy) {
    const Picture src = testing::randomPicture(37, 23, 1);
    writeTemp(src);
    setSize(50, 71);
    main->hide();
    QStringList* titles = testing::recordTitles(pictureWindow(WindowId::MCopy2));
    main->Command13->click();

    EXPECT_TRUE(fake->messages.shown.empty());
    const Picture expected = testing::stretchOnto(Picture(71, 50), src, 71, 50, copyOp);
    EXPECT_TRUE(samePicture(expected, result()));
    EXPECT_TRUE(samePicture(expected, readTempMC()));
    EXPECT_EQ((QStringList{"Мультикопирование  71 * 50 выполнено 0 процентов ",
                           "Мультикопирование  71 * 50 выполнено 100 процентов "}),
              *titles);
    EXPECT_TRUE(pictureWindow(WindowId::MCopy2)->isVisible());
    EXPECT_FALSE(pictureWindow(WindowId::MCopy1)->isVisible());
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ("23", main->Text7->text());
    EXPECT_EQ("37", main->Text8->text());
    EXPECT_EQ(23, main->document().state.PicHeight);
    EXPECT_EQ(37, main->document().state.PicWidth);
    EXPECT_EQ((std::vector<bool>{true, false}), fake->busy.history);
    RandomSequence after;
    after.skip(6);
    EXPECT_EQ(after.state(), currentDocument()->state.random.state())
        << "two draws per overlay, also with r = 0";
}

TEST_F(Multicopy, OverlaysAreSizedFromTheFixedSizeAndCombinedWithTheRasterMode) {
    const Picture src = testing::randomPicture(40, 30, 2);
    writeTemp(src);
    setSize(60, 90);
    main->Text10->setText("5000"); // overlays vary by up to 10 %
    main->Command13->click();
    ASSERT_TRUE(fake->messages.shown.empty());

    // The draws in order: height then width of each overlay, each from Hd and Wd.
    RandomSequence rnd;
    Picture expected = testing::stretchOnto(Picture(90, 60), src, 90, 60, copyOp);
    float h = 0, w = 0;
    for (int overlay = 0; overlay < 3; ++overlay) {
        const float r = 5000;
        float u = rnd.next();
        h = (1 + (r - 2 * r * u) / 50000) * 60.0f;
        u = rnd.next();
        w = (1 + (r - 2 * r * u) / 50000) * 90.0f;
        expected = testing::stretchOnto(expected, src, static_cast<int>(std::nearbyint(w)),
                                        static_cast<int>(std::nearbyint(h)), andOp);
    }
    EXPECT_EQ(h, main->document().state.OverlayHeight);
    EXPECT_EQ(w, main->document().state.OverlayWidth);
    EXPECT_TRUE(samePicture(expected, result()));
    EXPECT_TRUE(samePicture(expected, readTempMC()));
}

TEST_F(Multicopy, WithoutClearingTheMainCopyIsCombinedToo) {
    const Picture first = testing::randomPicture(25, 19, 3), second = testing::randomPicture(31, 17, 4);
    setSize(40, 50);
    main->Option16->setChecked(true); // "Or"
    writeTemp(first);
    main->Command13->click();
    const Picture firstCopy = testing::stretchOnto(Picture(50, 40), first, 50, 40, copyOp);
    ASSERT_TRUE(samePicture(firstCopy, result())) << "cleared to white, then copied, then or-ed with itself";

    main->Check5->setChecked(false);
    writeTemp(second);
    main->Command13->click();
    EXPECT_TRUE(fake->messages.shown.empty());
    EXPECT_TRUE(samePicture(testing::stretchOnto(firstCopy, second, 50, 40, orOp), result()));
    EXPECT_EQ("17", main->Text7->text()) << "the source size, not the destination size";
}

TEST_F(Multicopy, MissingTempBmpEndsWithTheMessageBeforeTheResultIsShown) {
    setSize(40, 50);
    main->hide();
    main->Command13->click();
    EXPECT_EQ(QStringList{kFailure}, fake->messages.texts());
    EXPECT_EQ("Tesmaro5", fake->messages.shown.at(0).title);
    EXPECT_FALSE(currentDocument()->exists(WindowId::MCopy2) && pictureWindow(WindowId::MCopy2)->isVisible());
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(fake->busy.busy);
    EXPECT_FALSE(QFile::exists(fake->filePath("TempMC.bmp")));
}

TEST_F(Multicopy, BadFieldsEndTheRunBeforeAnythingIsDrawn) {
    writeTemp(testing::randomPicture(20, 10, 5));
    setSize(10, 20);
    main->Command13->click(); // a first good run leaves a TempMC.bmp
    ASSERT_TRUE(fake->messages.shown.empty());
    QFile file(fake->filePath("TempMC.bmp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    currentDocument()->discard(WindowId::MCopy2);

    // The fields are read first, so a bad one stops the run before Temp.bmp is loaded; a size
    // the result window refuses stops it after.
    struct Case {
        QLineEdit* field;
        QString text;
        bool beforeLoading;
    } cases[] = {{main->Text17, "abc", true},   {main->Text18, "", true},       {main->Text10, "x", true},
                 {main->Text21, "40000", true}, {main->Text17, "40000", false}, {main->Text18, "-3", false}};
    for (const Case& c : cases) {
        const QString saved = c.field->text();
        c.field->setText(c.text);
        fake->messages.shown.clear();
        main->Text7->setText("unchanged");
        main->Command13->click();
        c.field->setText(saved);
        SCOPED_TRACE(c.field->objectName().toStdString() + " \"" + c.text.toStdString() + "\"");
        EXPECT_EQ(QStringList{kFailure}, fake->messages.texts());
        EXPECT_FALSE(currentDocument()->exists(WindowId::MCopy2) &&
                     pictureWindow(WindowId::MCopy2)->isVisible());
        EXPECT_TRUE(main->isVisible());
        EXPECT_EQ(c.beforeLoading ? "unchanged" : "10", main->Text7->text());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(before, file.readAll()) << "TempMC.bmp keeps its content";
        file.close();
    }
}

TEST_F(Multicopy, ZeroWidthFailsAfterShowingTheResultWindow) {
    writeTemp(testing::randomPicture(20, 10, 6));
    setSize(10, 0);
    main->Command13->click();
    EXPECT_EQ(QStringList{kFailure}, fake->messages.texts());
    EXPECT_FALSE(QFile::exists(fake->filePath("TempMC.bmp")));
}

TEST_F(Multicopy, AnOverlayBeyondThe32BitRangeFailsAfterTheMainCopyAndItsDraws) {
    const Picture src = testing::randomPicture(29, 18, 8);
    writeTemp(src);
    setSize(33, 47);
    main->Text10->setText("1000000000000000000000000000000"); // any draw but exactly one half sizes the first
                                                              // overlay out of range
    QStringList* titles = testing::recordTitles(pictureWindow(WindowId::MCopy2));
    main->Command13->click();

    EXPECT_EQ(QStringList{kFailure}, fake->messages.texts());
    EXPECT_TRUE(samePicture(testing::stretchOnto(Picture(47, 33), src, 47, 33, copyOp), result()))
        << "the main copy stays, no overlay is drawn";
    EXPECT_EQ(QStringList{"Мультикопирование  47 * 33 выполнено 0 процентов "}, *titles);
    RandomSequence after;
    after.skip(2);
    EXPECT_EQ(after.state(), currentDocument()->state.random.state())
        << "only the failing overlay's two draws";
    RandomSequence rnd;
    const float r = 1e30f, u = rnd.next();
    EXPECT_EQ((1 + (r - 2 * r * u) / 50000) * 33.0f, main->document().state.OverlayHeight);
    EXPECT_FALSE(QFile::exists(fake->filePath("TempMC.bmp")));
}

TEST_F(Multicopy, AFreshStartRepeatsTheSameRandomResult) {
    const Picture src = testing::randomPicture(33, 21, 7);
    writeTemp(src);
    setSize(45, 61);
    main->Text10->setText("5");
    main->Option10->setChecked(true); // "XY VB"
    main->Command13->click();
    const Picture first = readTempMC();
    main->Command13->click();
    const Picture continued = readTempMC();
    currentDocument()->state.random = RandomSequence{}; // as a new start of the program
    main->Command13->click();
    EXPECT_TRUE(samePicture(first, readTempMC()));
    EXPECT_FALSE(samePicture(first, continued)) << "the sequence goes on between runs";
}

} // namespace
} // namespace tesmaro
