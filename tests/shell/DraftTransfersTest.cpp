// "Из Picture", "в Picture", "Вернуть" and "Pixel": the round trip of an enlarged fragment, the
// raster mode shared with the copy, and commands abandoned on bad fields before any change.
#include "EditorTestSupport.h"
#include "editor/EditorCommands.h"

namespace tesmaro::testing {
namespace {

constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kBlack = 0x000000;
const QString kCopyFailed = QStringLiteral("ошибка при копировании ");

class DraftTransfers : public AppFixture {
protected:
    Canvas* pad() { return &main->document().pad(); }
    Canvas* picture1() { return pictureWindow(WindowId::Picture1)->picMain; }

    void setFields(std::initializer_list<std::pair<QLineEdit*, const char*>> fields) {
        for (const auto& [field, text] : fields)
            field->setText(text);
    }
    // Left column Y0 10, X0 20, Ymax 30, Xmax 40; right column Y0 0, X0 0, Ymax 120, Xmax 160.
    void fourTimesFragment() {
        main->Option11->setChecked(true);
        setFields({{main->Text1, "10"},
                   {main->Text2, "20"},
                   {main->Text3, "30"},
                   {main->Text4, "40"},
                   {main->Text11, "0"},
                   {main->Text12, "0"},
                   {main->Text13, "120"},
                   {main->Text14, "160"}});
    }
    // The draft pad after "Из Picture" of that fragment onto a cleared pad: each source pixel
    // repeated in a 4 x 4 block at the top-left, white elsewhere.
    QImage enlarged(const QImage& source, QRgb outside = kWhite) {
        QImage img = uniform(300, 150, outside);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 160; ++x)
                img.setPixel(x, y, source.pixel(20 + x / 4, 10 + y / 4));
        return img;
    }
    void freehand(Canvas* c, std::initializer_list<QPoint> points, int tool = 23) {
        (tool == 23 ? main->Option23 : main->Option25)->setChecked(true);
        const QPoint first = *points.begin();
        press(c, kLeftButton, first.x(), first.y());
        for (const QPoint& p : points)
            moveTo(c, kLeftButton, p.x(), p.y());
        release(c, kLeftButton, first.x(), first.y());
    }
};

TEST_F(DraftTransfers, WholePictureIntoTheDraftPad) {
    const QImage source = pattern(200, 100);
    picture1()->setPicture(source);
    main->Command10_Click();
    EXPECT_TRUE(fake->messages.shown.empty());
    EXPECT_TRUE(samePixels(source, pad()->image()));
    EXPECT_EQ(main->Text7->text(), QString("100"));
    EXPECT_EQ(main->Text8->text(), QString("200"));
    EXPECT_EQ(main->document().state.PicHeight, 100);
    EXPECT_EQ(main->document().state.PicWidth, 200);
    EXPECT_EQ(main->VScroll2->minimum(), 0);
    EXPECT_EQ(main->VScroll2->maximum(), 100);
    EXPECT_EQ(main->HScroll2->maximum(), 200);
    EXPECT_FALSE(pictureWindow(WindowId::Picture1)->isVisible()) << "the source window is not shown";
    EXPECT_FALSE(fake->busy.busy);
    EXPECT_EQ(fake->busy.history, (std::vector<bool>{true, false}));

    // The draft pad scrolls by its bars; drawing stays in its own pixels.
    main->VScroll2->setValue(40);
    main->HScroll2->setValue(70);
    EXPECT_EQ(main->picMain->pos(), QPoint(-70, -40));
}

TEST_F(DraftTransfers, EnlargedFragmentRetouchedAndReturned) {
    const QImage source = pattern(300, 500);
    picture1()->setPicture(source);
    main->Option12->setChecked(true); // "Copy"
    fourTimesFragment();
    main->Command10_Click();
    ASSERT_TRUE(fake->messages.shown.empty());
    ASSERT_TRUE(samePixels(enlarged(source), pad()->image()));
    EXPECT_EQ(main->Text7->text(), QString("150"));
    EXPECT_EQ(main->Text8->text(), QString("300"));

    // Without retouching, the return restores the fragment exactly.
    main->Command15_Click();
    EXPECT_TRUE(samePixels(source, picture1()->image()));

    // A stroke that blackens rows 16..19 of the pad, i.e. the fifth row of 4 x 4 blocks.
    freehand(pad(), {{0, 16}, {159, 16}, {159, 17}, {0, 17}, {0, 18}, {159, 18}, {159, 19}, {0, 19}});
    main->Command15_Click();
    QImage expected = source;
    for (int x = 20; x < 60; ++x)
        expected.setPixel(x, 14, kBlack);
    EXPECT_TRUE(samePixels(expected, picture1()->image()));
    EXPECT_FALSE(pictureWindow(WindowId::Picture1)->isVisible()) << "the return does not show the window";
    EXPECT_EQ(main->Text7->text(), QString("150"));
}

TEST_F(DraftTransfers, WithAndPlusWhiteStrokesChangeNothing) {
    const QImage source = pattern(300, 500);
    picture1()->setPicture(source);
    ASSERT_TRUE(main->Option13->isChecked()); // "And+", the start-up mode
    fourTimesFragment();
    main->Command10_Click();
    ASSERT_TRUE(samePixels(enlarged(source), pad()->image())) << "AND onto the cleared pad";

    freehand(pad(), {{5, 5}, {150, 100}, {30, 110}, {100, 3}}, 25);
    main->HScroll1->setValue(9);
    freehand(pad(), {{80, 20}, {20, 80}}, 25);
    ASSERT_NE(pixelsNot(pad()->image(), kWhite).size(), pixelsNot(enlarged(source), kWhite).size());
    main->Command15_Click();
    EXPECT_TRUE(samePixels(source, picture1()->image()));

    // A black stroke does darken the picture: the return really combines.
    main->HScroll1->setValue(1);
    freehand(pad(), {{0, 16}, {159, 16}, {159, 17}, {0, 17}, {0, 18}, {159, 18}, {159, 19}, {0, 19}});
    main->Command15_Click();
    EXPECT_EQ(rgbAt(picture1()->image(), 30, 14), kBlack);
}

TEST_F(DraftTransfers, PixelSetsExactlyOnePixelAndMovesTheReturn) {
    const QImage source = pattern(300, 500);
    picture1()->setPicture(source);
    main->Option12->setChecked(true);
    fourTimesFragment();
    main->Command10_Click();
    ASSERT_TRUE(fake->messages.shown.empty());

    // Before any colour was chosen: the colour the swatch shows.
    main->HScroll1->setValue(15);
    setFields({{main->Text11, "7"}, {main->Text12, "5"}});
    QImage expected = pad()->image().copy();
    main->Command12_Click();
    expected.setPixel(5, 7, 0xF0F0F0);
    EXPECT_TRUE(samePixels(expected, pad()->image()));

    fake->colours.answer = QColor(255, 0, 0);
    main->Command7_Click();
    setFields({{main->Text11, "8"}, {main->Text12, "4.5"}});
    main->Command12_Click();
    expected.setPixel(4, 8, 0xFF0000); // 4.5 goes to 4, halves to even
    EXPECT_TRUE(samePixels(expected, pad()->image()));
    EXPECT_FLOAT_EQ(main->document().state.DstY0, 8);
    EXPECT_FLOAT_EQ(main->document().state.DstX0, 4.5f);

    // Outside the pad nothing changes.
    setFields({{main->Text11, "150"}, {main->Text12, "3"}});
    main->Command12_Click();
    setFields({{main->Text11, "-1"}, {main->Text12, "100000000000000000000000000000"}});
    main->Command12_Click();
    EXPECT_TRUE(samePixels(expected, pad()->image()));
    EXPECT_TRUE(fake->messages.shown.empty());

    // The return now takes the pad's rectangle from Y0 8, X0 4, one block right and two down:
    // each picture pixel of the fragment becomes its neighbour one right and two down, and the
    // part that reaches past the enlarged area brings back the pad's white.
    setFields({{main->Text11, "8"}, {main->Text12, "4"}});
    main->Command12_Click();
    main->Command15_Click();
    const QImage back = picture1()->image();
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 300; ++x) {
            QRgb want = rgbAt(source, x, y);
            if (x >= 20 && x < 60 && y >= 10 && y < 40)
                want = (x + 1 < 60 && y + 2 < 40) ? rgbAt(source, x + 1, y + 2) : kWhite;
            if (x == 20 && y == 10 && rgbAt(back, x, y) == 0xFF0000)
                continue; // the block holding the red pixel may bring it back
            ASSERT_EQ(rgbAt(back, x, y), want) << "at (" << x << ", " << y << ")";
        }
}

TEST_F(DraftTransfers, DraftPadIntoTheSecondPictureWindow) {
    wipe(pad());
    freehand(pad(), {{10, 10}, {60, 10}});
    main->Option30->setChecked(true);
    main->Command9_Click();
    PictureWindow* win = pictureWindow(WindowId::Picture2);
    EXPECT_TRUE(win->isVisible());
    EXPECT_TRUE(samePixels(pad()->image(), win->picMain->image()));
    EXPECT_EQ(main->Text7->text(), QString("150"));
    EXPECT_EQ(main->Text8->text(), QString("300"));
    EXPECT_FALSE(currentDocument()->exists(WindowId::Picture1));

    // A fragment with "Размер задать": the window's canvas takes Text17 x Text18 first.
    main->Check4->setChecked(true);
    main->Option11->setChecked(true);
    main->Option12->setChecked(true);
    setFields({{main->Text17, "80"},
               {main->Text18, "90"},
               {main->Text1, "0"},
               {main->Text2, "0"},
               {main->Text3, "20"},
               {main->Text4, "70"},
               {main->Text11, "5"},
               {main->Text12, "5"},
               {main->Text13, "20"},
               {main->Text14, "70"}});
    main->Command9_Click();
    QImage expected = uniform(90, 80, kWhite);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 70; ++x)
            expected.setPixel(5 + x, 5 + y, pad()->image().pixel(x, y));
    EXPECT_TRUE(samePixels(expected, win->picMain->image()));
    EXPECT_EQ(main->Text7->text(), QString("80"));
    EXPECT_EQ(main->Text8->text(), QString("90"));
    EXPECT_TRUE(fake->messages.shown.empty());
}

TEST_F(DraftTransfers, BadFieldsAbandonBeforeAnyChange) {
    const QImage source = pattern(300, 500);
    picture1()->setPicture(source);
    main->Option11->setChecked(true);
    main->Check4->setChecked(true);
    const QImage padBefore = pad()->image().copy();
    const AppState stateBefore = main->document().state;
    struct Bad {
        QLineEdit* field;
        const char* text;
    };
    const std::vector<Bad> cases = {
        {main->Text1, "a"},  {main->Text4, ""},       {main->Text11, "1,2,3"}, {main->Text14, "x"},
        {main->Text17, "x"}, {main->Text18, "40000"}, {main->Text17, "-1"},    {main->Text18, "1e40"},
    };
    int messages = 0;
    for (const Bad& bad : cases) {
        for (void (MainWindow::*command)() : {&MainWindow::Command10_Click, &MainWindow::Command9_Click}) {
            fourTimesFragment();
            setFields({{main->Text17, "100"}, {main->Text18, "100"}});
            bad.field->setText(bad.text);
            (main.get()->*command)();
            ++messages;
            ASSERT_EQ(int(fake->messages.shown.size()), messages) << bad.text;
            EXPECT_EQ(fake->messages.shown.back().text, kCopyFailed);
            EXPECT_EQ(fake->messages.shown.back().title, QString("Tesmaro5"));
            EXPECT_TRUE(samePixels(padBefore, pad()->image())) << "field text '" << bad.text << "'";
            EXPECT_TRUE(samePixels(source, picture1()->image())) << "field text '" << bad.text << "'";
            EXPECT_FALSE(pictureWindow(WindowId::Picture1)->isVisible());
            EXPECT_EQ(main->document().state.SrcY0, stateBefore.SrcY0);
            EXPECT_EQ(main->document().state.SrcX0, stateBefore.SrcX0);
            EXPECT_EQ(main->document().state.DstXmax, stateBefore.DstXmax);
            EXPECT_EQ(main->document().state.RasterCode, stateBefore.RasterCode);
            EXPECT_EQ(main->Text7->text(), QString("768"));
            EXPECT_EQ(main->VScroll2->maximum(), 32767);
            EXPECT_FALSE(fake->busy.busy);
        }
    }

    // "Pixel" with a field that is not a number: the message, nothing stored, nothing set.
    setFields({{main->Text11, "3"}, {main->Text12, "zwei"}});
    main->Command12_Click();
    EXPECT_EQ(fake->messages.texts().back(), kCopyFailed);
    EXPECT_EQ(main->document().state.DstY0, stateBefore.DstY0);
    EXPECT_TRUE(samePixels(padBefore, pad()->image()));

    // "Вернуть" before any transfer (all zero): nothing to draw. With absurd values: no crash.
    main->Command15_Click();
    EXPECT_TRUE(samePixels(source, picture1()->image()));
    main->document().state.SrcX0 = main->document().state.DstX0 = -1e30f;
    main->document().state.SrcXmax = main->document().state.DstXmax = 3e38f;
    main->document().state.SrcYmax = main->document().state.DstYmax = 3e38f;
    main->Command15_Click();
    EXPECT_EQ(int(fake->messages.shown.size()), messages + 1);
}

} // namespace
} // namespace tesmaro::testing
