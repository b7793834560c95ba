// "Цвет", "Шрифт", the line width and "Очистить" through the dialog doubles.
#include "EditorTestSupport.h"
#include "editor/EditorCommands.h"
#include "editor/EditorSurfaces.h"

namespace tesmaro::testing {
namespace {

constexpr QRgb kWhite = 0xFFFFFF;

class PenSettings : public AppFixture {
protected:
    Canvas* picture1() { return pictureWindow(WindowId::Picture1)->picMain; }
    Canvas* picture2() { return pictureWindow(WindowId::Picture2)->picMain; }

    void expectDrawingColour(std::int32_t colour) {
        EXPECT_EQ(currentDocument()->pad().foreColour(), colour);
        EXPECT_EQ(textColour(*main->Text16), colour);
        EXPECT_EQ(picture1()->foreColour(), colour);
        EXPECT_EQ(picture2()->foreColour(), colour);
    }
    void drawLine(Canvas* c, int x1, int y1, int x2, int y2) {
        main->Option23->setChecked(true);
        press(c, kLeftButton, x1, y1);
        moveTo(c, kLeftButton, x2, y2);
        release(c, kLeftButton, x2, y2);
    }
    void pickAt(Canvas* c, int x, int y) {
        main->Option17->setChecked(true);
        press(c, kLeftButton, x, y);
        release(c, kLeftButton, x, y);
    }
};

TEST_F(PenSettings, ChosenColourReachesEveryTarget) {
    fake->colours.answer = QColor(255, 0, 0);
    main->Command7_Click();
    ASSERT_EQ(fake->colours.shownWith.size(), 1u);
    EXPECT_EQ(fake->colours.shownWith[0], QColor(0, 0, 0)) << "the dialog starts on black";
    EXPECT_EQ(main->document().state.CD1.Color, 0x0000FF);
    EXPECT_EQ(currentDocument()->swatch().backColour(), 0x0000FF);
    expectDrawingColour(0x0000FF);
    EXPECT_FALSE(pictureWindow(WindowId::Picture1)->isVisible());

    // Lines drawn afterwards on a picture window are red.
    wipe(picture2());
    drawLine(picture2(), 5, 5, 25, 5);
    for (int x = 5; x <= 25; ++x)
        EXPECT_EQ(rgbAt(picture2()->image(), x, 5), 0xFF0000u) << "at x " << x;

    // The next dialog opens on the last choice.
    fake->colours.answer = QColor(0, 0, 255);
    main->Command7_Click();
    EXPECT_EQ(fake->colours.shownWith[1], QColor(255, 0, 0));
    expectDrawingColour(0xFF0000);
}

TEST_F(PenSettings, FontResetsTheDrawingColourButNotTheSwatch) {
    fake->colours.answer = QColor(0, 0, 255);
    main->Command7_Click();
    // Pick a green from the draft pad.
    currentDocument()->pad().setPicture(uniform(300, 150, 0x00FF00));
    pickAt(&main->document().pad(), 100, 50);
    ASSERT_EQ(currentDocument()->swatch().backColour(), 0x00FF00);
    expectDrawingColour(0x00FF00);

    main->document().state.CD1.CancelError = false;
    QFont chosen("DejaVu Serif");
    chosen.setPointSizeF(14.5);
    chosen.setBold(true);
    chosen.setItalic(true);
    chosen.setUnderline(true);
    chosen.setStrikeOut(true);
    fake->fonts.answer = chosen;
    main->Command11_Click();
    EXPECT_TRUE(main->document().state.CD1.CancelError);
    EXPECT_EQ(main->document().state.CD1.Flags, 3);

    expectDrawingColour(0xFF0000); // the colour last chosen in the dialog, blue
    EXPECT_EQ(currentDocument()->swatch().backColour(), 0x00FF00) << "the swatch keeps the picked colour";
    auto expectFont = [&](const QFont& f, const char* target) {
        EXPECT_EQ(f.family(), QString("DejaVu Serif")) << target;
        EXPECT_DOUBLE_EQ(f.pointSizeF(), 14.5) << target;
        EXPECT_TRUE(f.bold()) << target;
        EXPECT_TRUE(f.italic()) << target;
        EXPECT_TRUE(f.underline()) << target;
        EXPECT_TRUE(f.strikeOut()) << target;
    };
    expectFont(main->Text16->font(), "Text16");
    expectFont(currentDocument()->pad().drawFont(), "draft pad");
    expectFont(picture1()->drawFont(), "frmPicture1");
    expectFont(picture2()->drawFont(), "frmPicture2");

    // The next font dialog opens on the font chosen.
    fake->fonts.answer.reset();
    main->Command11_Click();
    ASSERT_EQ(fake->fonts.shownWith.size(), 2u);
    EXPECT_EQ(fake->fonts.shownWith[1].family(), QString("DejaVu Serif"));
}

TEST_F(PenSettings, FontBeforeAnyColourResetsToBlack) {
    currentDocument()->pad().setPicture(uniform(300, 150, 0x0000FF));
    pickAt(&main->document().pad(), 50, 50);
    fake->fonts.answer = QFont("DejaVu Sans", 12);
    main->Command11_Click();
    expectDrawingColour(0);
    EXPECT_EQ(currentDocument()->swatch().backColour(), 0xFF0000);
}

TEST_F(PenSettings, CancelChangesNothing) {
    const QFont padFont = currentDocument()->pad().drawFont();
    const QFont textFont = main->Text16->font();
    fake->colours.answer.reset();
    fake->fonts.answer.reset();
    ASSERT_TRUE(main->document().state.CD1.CancelError);
    main->Command7_Click();
    EXPECT_EQ(fake->colours.shownWith.size(), 1u);
    EXPECT_EQ(currentDocument()->swatch().backColour(), 0xF0F0F0);
    expectDrawingColour(0);

    // Pick a colour, then cancel both dialogs: nothing moves.
    currentDocument()->pad().setPicture(uniform(300, 150, 0x123456));
    pickAt(&main->document().pad(), 50, 50);
    const std::int32_t picked = packed(0x123456);
    main->Command7_Click();
    main->Command11_Click();
    EXPECT_EQ(currentDocument()->swatch().backColour(), picked);
    expectDrawingColour(picked);
    EXPECT_EQ(currentDocument()->pad().drawFont(), padFont);
    EXPECT_EQ(main->Text16->font(), textFont);
    EXPECT_EQ(main->document().state.CD1.Color, 0);

    // Without CancelError a cancelled colour dialog applies the colour CD1 holds.
    main->document().state.CD1.CancelError = false;
    main->document().state.CD1.Color = 0x00FF00;
    main->Command7_Click();
    EXPECT_EQ(currentDocument()->swatch().backColour(), 0x00FF00);
    expectDrawingColour(0x00FF00);
}

TEST_F(PenSettings, LineWidthPreviewAndLines) {
    const QRgb black = 0;
    Canvas* preview = &main->document().widthPreview();
    const QRgb face = rgbAt(preview->image(), 0, 0);
    main->HScroll1->setValue(15);
    EXPECT_EQ(currentDocument()->pad().drawWidth(), 15);
    EXPECT_EQ(picture1()->drawWidth(), 15);
    EXPECT_EQ(picture2()->drawWidth(), 15);

    // Picture4 (18 x 18): a round dot 15 pixels across at the centre (9, 9).
    ASSERT_EQ(preview->canvasWidth(), 18);
    const QImage dot = preview->image();
    int across = 0, down = 0;
    for (int i = 0; i < 18; ++i) {
        across += rgbAt(dot, i, 9) == black;
        down += rgbAt(dot, 9, i) == black;
    }
    EXPECT_EQ(across, 15);
    EXPECT_EQ(down, 15);
    EXPECT_EQ(rgbAt(dot, 2, 2), face) << "the dot is round, not square";
    EXPECT_EQ(rgbAt(dot, 0, 9), face);

    // Lines on the draft pad and a picture window are 15 pixels wide.
    for (Canvas* c : {&main->document().pad(), picture1()}) {
        wipe(c);
        drawLine(c, 50, 60, 150, 60);
        int wide = 0;
        for (int y = 0; y < c->canvasHeight(); ++y)
            if (rgbAt(c->image(), 100, y) == black) {
                ++wide;
                EXPECT_GE(y, 53);
                EXPECT_LE(y, 67);
            }
        EXPECT_EQ(wide, 15);
    }

    // Back to 1: a single pixel at the centre.
    main->HScroll1->setValue(1);
    const std::vector<Pixel> single = pixelsNot(preview->image(), face);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].x, 9);
    EXPECT_EQ(single[0].y, 9);
    EXPECT_EQ(currentDocument()->pad().drawWidth(), 1);
}

TEST_F(PenSettings, ClearKeepsSizeColourWidthAndFont) {
    Canvas* pad = &main->document().pad();
    ASSERT_FALSE(pixelsNot(pad->image(), kWhite).empty()) << "the start-up hint is on the pad";
    pad->setCanvasSize(200, 120);
    fake->colours.answer = QColor(0, 128, 0);
    main->Command7_Click();
    main->HScroll1->setValue(3);
    pad->setPicture(pattern(200, 120));
    drawLine(pad, 10, 10, 100, 90);

    main->Command8_Click();
    EXPECT_TRUE(samePixels(uniform(200, 120, kWhite), pad->image()));
    EXPECT_EQ(pad->foreColour(), 0x008000);
    EXPECT_EQ(pad->drawWidth(), 3);
    EXPECT_TRUE(pad->picture().isNull());
}

} // namespace
} // namespace tesmaro::testing
