#include "ResizeFixture.h"
#include "resize/ResizeCommands.h"

#include <QFile>

#include <algorithm>
#include <functional>

namespace tesmaro {
namespace {

using testing::currentDocument;
using testing::Picture;
using testing::pictureWindow;
using testing::ReferenceSettings;
using testing::samePicture;

const QString kFailure = QStringLiteral("Ошибка в режиме мультикопирования");

class Resamplers : public testing::CommandTest {
protected:
    void setUp(const ReferenceSettings& s) {
        main->Text17->setText(QString::number(s.height));
        main->Text18->setText(QString::number(s.width));
        main->Text10->setText(QString::number(s.r));
        main->Text21->setText(QString::number(s.red));
        main->Text22->setText(QString::number(s.green));
        main->Text23->setText(QString::number(s.blue));
    }
};

TEST_F(Resamplers, XyVbWritesTheDefinedPixelsOverTheClearedResult) {
    const Picture src = testing::randomPicture(45, 31, 11);
    writeTemp(src);
    const ReferenceSettings s{64, 40, 5, 90, 100, 110};
    setUp(s);
    main->Option10->setChecked(true);
    QStringList* titles = testing::recordTitles(pictureWindow(WindowId::MCopy2));
    main->Command13->click();
    ASSERT_TRUE(fake->messages.shown.empty());

    Picture expected(64, 40);
    RandomSequence rnd;
    std::vector<int> percents;
    testing::referencePixelAccess(src, expected, s, rnd, percents);
    EXPECT_TRUE(samePicture(expected, readTempMC()));
    EXPECT_EQ(rnd.state(), currentDocument()->state.random.state());
    ASSERT_FALSE(titles->isEmpty());
    EXPECT_EQ("Мультикопирование  64 * 40 выполнено 0 процентов ", titles->first());
    EXPECT_EQ("Мультикопирование  64 * 40 выполнено 100 процентов ", titles->last());
    EXPECT_TRUE(titles->contains("Мультикопирование  64 * 40 выполнено 30 процентов "));
}

TEST_F(Resamplers, XyVbNegativePercentStillWritesTheFile) {
    const Picture src = testing::randomPicture(9, 7, 12);
    writeTemp(src);
    const ReferenceSettings s{9, 7, 0, 100, 100, -10};
    setUp(s);
    main->Option10->setChecked(true);
    main->Command13->click();
    EXPECT_TRUE(fake->messages.shown.empty());
    Picture expected(9, 7);
    RandomSequence rnd;
    std::vector<int> percents;
    testing::referencePixelAccess(src, expected, s, rnd, percents);
    EXPECT_TRUE(samePicture(expected, readTempMC())) << "pixels with blue stay white";
}

TEST_F(Resamplers, XyApiDrawsThroughTheScratchWindowWithTheRasterMode) {
    const Picture src = testing::randomPicture(47, 29, 13); // 141 bytes of pixels and 3 of padding per row
    writeTemp(src);
    const ReferenceSettings s{70, 44, 5, 100, 120, 80};
    setUp(s);
    main->Option28->setChecked(true);
    main->Option12->setChecked(true); // "Copy"
    QStringList* titles = testing::recordTitles(pictureWindow(WindowId::MCopy2));
    main->Command13->click();
    ASSERT_TRUE(fake->messages.shown.empty());

    Picture expected;
    RandomSequence rnd;
    std::vector<int> percents;
    ASSERT_TRUE(testing::referenceDib(src, expected, s, rnd, percents));
    EXPECT_TRUE(samePicture(expected, readTempMC()));
    EXPECT_EQ(rnd.state(), currentDocument()->state.random.state());
    Canvas* work = pictureWindow(WindowId::Temp)->picMain;
    EXPECT_TRUE(samePicture(expected, testing::fromImage(work->image())));
    EXPECT_TRUE(work->picture().isNull());
    EXPECT_FALSE(pictureWindow(WindowId::Temp)->isVisible());
    ASSERT_FALSE(titles->isEmpty());
    EXPECT_EQ("Мультикопирование  70 * 44 выполнено 0 процентов ", titles->first());
    EXPECT_EQ("Мультикопирование  70 * 44 выполненоно 0 процентов ", titles->at(1));
    EXPECT_EQ("Мультикопирование  70 * 44 выполненоно 100 процентов ", titles->last());
}

TEST_F(Resamplers, XyApiCombinesWithWhatTheResultHeld) {
    const Picture first = testing::randomPicture(30, 20, 14), second = testing::randomPicture(21, 18, 15);
    const ReferenceSettings s{26, 19, 0, 100, 100, 100};
    setUp(s);
    main->Option28->setChecked(true);
    main->Option15->setChecked(true); // "Xor"
    writeTemp(first);
    main->Command13->click();
    main->Check5->setChecked(false);
    writeTemp(second);
    main->Command13->click();
    ASSERT_TRUE(fake->messages.shown.empty());

    Picture a, b;
    RandomSequence rnd;
    std::vector<int> percents;
    ASSERT_TRUE(testing::referenceDib(first, a, s, rnd, percents));
    ASSERT_TRUE(testing::referenceDib(second, b, s, rnd, percents));
    Picture expected(26, 19);
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 26; ++x)
            expected.at(x, y) = (0xFFFFFFu ^ a.at(x, y) ^ b.at(x, y)) | 0xFF000000u;
    EXPECT_TRUE(samePicture(expected, readTempMC()));
}

TEST_F(Resamplers, XyApiHeightOneShows100AndFinishes) {
    writeTemp(testing::randomPicture(12, 1, 16));
    setUp(ReferenceSettings{15, 1, 0, 100, 100, 100});
    main->Option28->setChecked(true);
    main->Command13->click();
    EXPECT_TRUE(fake->messages.shown.empty());
    EXPECT_EQ("Мультикопирование  15 * 1 выполненоно 100 процентов ",
              pictureWindow(WindowId::MCopy2)->title());
    EXPECT_EQ(15, readTempMC().width);
}

TEST_F(Resamplers, XyApiNegativeChannelFailsWithNothingDrawn) {
    const Picture src = testing::randomPicture(20, 12, 17);
    writeTemp(src);
    setUp(ReferenceSettings{30, 16, 0, -5, 100, 100});
    main->Option28->setChecked(true);
    main->Option12->setChecked(true);
    main->Command13->click();
    EXPECT_EQ(QStringList{kFailure}, fake->messages.texts());
    EXPECT_FALSE(QFile::exists(fake->filePath("TempMC.bmp")));
    EXPECT_TRUE(
        samePicture(Picture(30, 16), testing::fromImage(pictureWindow(WindowId::MCopy2)->picMain->image())))
        << "the cleared result keeps its white";
    Canvas* work = pictureWindow(WindowId::Temp)->picMain;
    EXPECT_EQ(30, work->canvasWidth());
    EXPECT_EQ(16, work->canvasHeight());
    EXPECT_EQ(src.at(5, 7), testing::fromImage(work->image()).at(5, 7))
        << "the scratch canvas holds the picture";
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(fake->busy.busy);
}

TEST_F(Resamplers, ThreadCountDoesNotChangeTheFileOrTheSequence) {
    const Picture src = testing::randomPicture(77, 53, 18);
    writeTemp(src);
    setUp(ReferenceSettings{101, 67, 5, 95, 100, 105});
    for (QRadioButton* mode : {main->Option10, main->Option28}) {
        mode->setChecked(true);
        resize::setResizeThreadCount(1);
        currentDocument()->state.random = RandomSequence{};
        main->Command13->click();
        const Picture one = readTempMC();
        const std::uint32_t oneState = currentDocument()->state.random.state();
        resize::setResizeThreadCount(4);
        currentDocument()->state.random = RandomSequence{};
        main->Command13->click();
        EXPECT_TRUE(samePicture(one, readTempMC())) << mode->text().toStdString();
        EXPECT_EQ(oneState, currentDocument()->state.random.state());
    }
    EXPECT_TRUE(fake->messages.shown.empty());
}

TEST_F(Resamplers, XyApiCombinesAsRowsAreMadeExactlyAsAfterTheRun) {
    // Without blue in the picture a blue percent of 0 and of -5 give the same rows, but only 0
    // lets rows reach the result as they are made; -5 runs first and blits afterwards. Both
    // must leave the same result and scratch raster for every code, over a non-blank result
    // (a picture it held, or its back colour when "Очистить приемник" clears it).
    Picture noBlue = testing::randomPicture(36, 22, 31); // a width of 4k keeps bytes on their channel
    for (std::uint32_t& px : noBlue.pixels)
        px &= 0xFFFFFF00u;
    const Picture previous = testing::randomPicture(40, 27, 32);
    const Picture backColour(40, 27, testing::rgbPixel(0xC5, 0x7F, 0x3A));
    main->Option28->setChecked(true);
    QRadioButton* const codes[] = {main->Option12, main->Option13, main->Option14, main->Option15,
                                   main->Option16};
    const std::function<std::uint32_t(std::uint32_t, std::uint32_t)> ops[] = {
        [](std::uint32_t, std::uint32_t s) { return s; },
        [](std::uint32_t d, std::uint32_t s) { return d & s; },
        [](std::uint32_t d, std::uint32_t s) { return s & ~d; },
        [](std::uint32_t d, std::uint32_t s) { return d ^ s; },
        [](std::uint32_t d, std::uint32_t s) { return d | s; }};
    Picture rows;
    RandomSequence rnd;
    std::vector<int> percents;
    ASSERT_TRUE(testing::referenceDib(noBlue, rows, ReferenceSettings{40, 27, 5, 90, 105, 0}, rnd, percents));
    for (bool clear : {false, true})
        for (int c = 0; c < 5; ++c) {
            main->Check5->setChecked(clear);
            codes[c]->setChecked(true);
            Picture results[2], scratch[2];
            std::uint32_t states[2];
            for (int i = 0; i < 2; ++i) {
                setUp(ReferenceSettings{40, 27, 5, 90, 105, static_cast<std::int16_t>(i == 0 ? 0 : -5)});
                Canvas* result = pictureWindow(WindowId::MCopy2)->picMain;
                result->setBackColour(clear ? 0x3A7FC5 : 0xFFFFFF);
                result->setPicture(clear ? QImage() : testing::toImage(previous));
                if (clear) { // drawings over no picture, which clearing removes
                    const RasterView drawn = result->view();
                    for (int y = 0; y < drawn.height; ++y)
                        std::copy_n(&previous.pixels[static_cast<std::size_t>(y) * previous.width],
                                    drawn.width, drawn.row(y));
                }
                writeTemp(noBlue);
                currentDocument()->state.random = RandomSequence{};
                main->Command13->click();
                ASSERT_TRUE(fake->messages.shown.empty()) << codes[c]->objectName().toStdString();
                results[i] = testing::fromImage(result->image());
                scratch[i] = testing::fromImage(pictureWindow(WindowId::Temp)->picMain->image());
                states[i] = currentDocument()->state.random.state();
            }
            SCOPED_TRACE(codes[c]->objectName().toStdString() + (clear ? ", cleared" : ""));
            EXPECT_TRUE(samePicture(results[1], results[0]));
            EXPECT_TRUE(samePicture(scratch[1], scratch[0]));
            EXPECT_EQ(states[1], states[0]);
            EXPECT_TRUE(samePicture(results[0], readTempMC()));
            EXPECT_TRUE(samePicture(rows, scratch[0]));
            EXPECT_TRUE(samePicture(testing::stretchOnto(clear ? backColour : previous, rows, 40, 27, ops[c]),
                                    results[0]));
        }
}

TEST_F(Resamplers, XyApiFailingRunLeavesAnUnclearedResultUntouched) {
    // Green only in the top row, which the bottom-up run reaches last: many rows succeed first.
    const Picture previous = testing::randomPicture(25, 18, 33);
    Picture greenOnTop = testing::randomPicture(19, 13, 34);
    for (int y = 1; y < greenOnTop.height; ++y)
        for (int x = 0; x < greenOnTop.width; ++x)
            greenOnTop.at(x, y) &= 0xFFFF00FFu;
    writeTemp(greenOnTop);
    setUp(ReferenceSettings{25, 18, 0, 100, -1, 100});
    main->Option28->setChecked(true);
    main->Option16->setChecked(true); // "Or"
    main->Check5->setChecked(false);
    pictureWindow(WindowId::MCopy2)->picMain->setPicture(testing::toImage(previous));
    main->Command13->click();
    EXPECT_EQ(QStringList{kFailure}, fake->messages.texts());
    EXPECT_TRUE(samePicture(previous, testing::fromImage(pictureWindow(WindowId::MCopy2)->picMain->image())));
}

} // namespace
} // namespace tesmaro
