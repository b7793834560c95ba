// The mouse tools on the draft pad and the picture canvases: what each gesture draws, where,
// in which colour, and that every release selects "нет" again.
#include "EditorTestSupport.h"
#include "editor/EditorCommands.h"
#include "editor/EditorSurfaces.h"

#include <QFontMetrics>
#include <QTest>

#include <cmath>

namespace tesmaro::testing {
namespace {

constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kBlack = 0x000000;

enum class Which { DraftPad, Picture1, Picture2 };

class DrawingTools : public AppFixture, public ::testing::WithParamInterface<Which> {
protected:
    Canvas* canvas(Which which) {
        switch (which) {
        case Which::DraftPad:
            return &main->document().pad();
        case Which::Picture1:
            return pictureWindow(WindowId::Picture1)->picMain;
        default:
            return pictureWindow(WindowId::Picture2)->picMain;
        }
    }
    // The canvas under test, white and empty.
    Canvas* clean() {
        Canvas* c = canvas(GetParam());
        wipe(c);
        return c;
    }
    QImage white(Canvas* c) { return uniform(c->canvasWidth(), c->canvasHeight(), kWhite); }
    bool isPictureWindow() const { return GetParam() != Which::DraftPad; }
};

TEST_P(DrawingTools, FreehandLineRunsThroughEveryReportedPoint) {
    Canvas* c = clean();
    main->Option23->setChecked(true);
    press(c, kLeftButton, 10, 10);
    moveTo(c, kLeftButton, 20, 10);
    moveTo(c, kLeftButton, 20, 20);
    release(c, kLeftButton, 20, 20);
    QImage expected = white(c);
    for (int x = 10; x <= 20; ++x)
        expected.setPixel(x, 10, kBlack);
    for (int y = 10; y <= 20; ++y)
        expected.setPixel(20, y, kBlack);
    EXPECT_TRUE(samePixels(expected, c->image()));
    EXPECT_TRUE(main->Option22->isChecked()) << "a release selects \"нет\" again";

    // The tool served one stroke: a further drag draws nothing.
    press(c, kLeftButton, 50, 50);
    moveTo(c, kLeftButton, 60, 60);
    release(c, kLeftButton, 60, 60);
    EXPECT_TRUE(samePixels(expected, c->image()));
}

TEST_P(DrawingTools, SegmentIsDrawnOnlyAtTheRelease) {
    Canvas* c = clean();
    const QImage blank = white(c);
    main->Option24->setChecked(true);
    press(c, kLeftButton, 10, 10);
    moveTo(c, kLeftButton, 30, 60);
    moveTo(c, kLeftButton, 70, 5);
    EXPECT_TRUE(samePixels(blank, c->image())) << "nothing is shown while dragging";
    release(c, kLeftButton, 50, 30);

    // One line from (10, 10) to (50, 30): one pixel per column, within half a pixel of the ideal.
    const std::vector<Pixel> drawn = pixelsNot(c->image(), kWhite);
    ASSERT_EQ(drawn.size(), 41u);
    std::vector<int> perColumn(c->canvasWidth(), 0);
    for (const Pixel& p : drawn) {
        ASSERT_GE(p.x, 10);
        ASSERT_LE(p.x, 50);
        ++perColumn[p.x];
        EXPECT_LE(std::fabs(p.y - (10 + (p.x - 10) / 2.0)), 0.5) << "at column " << p.x;
    }
    for (int x = 10; x <= 50; ++x)
        EXPECT_EQ(perColumn[x], 1) << "column " << x;
    EXPECT_EQ(rgbAt(c->image(), 10, 10), kBlack);
    EXPECT_EQ(rgbAt(c->image(), 50, 30), kBlack);
    EXPECT_TRUE(main->Option22->isChecked());
}

TEST_P(DrawingTools, OtherButtonsAndTwoButtonsDrawNothing) {
    Canvas* c = clean();
    const QImage blank = white(c);
    for (QRadioButton* tool : {main->Option23, main->Option24, main->Option25}) {
        for (int button : {kRightButton, kMiddleButton}) {
            tool->setChecked(true);
            press(c, button, 10, 10);
            moveTo(c, button, 40, 40);
            release(c, button, 60, 30);
            EXPECT_TRUE(samePixels(blank, c->image())) << tool->text().toStdString() << " button " << button;
            EXPECT_TRUE(main->Option22->isChecked());
        }
        // Left and right held together during the move.
        tool->setChecked(true);
        press(c, kLeftButton, 10, 10);
        moveTo(c, kLeftButton | kRightButton, 40, 40);
        moveTo(c, kLeftButton | kRightButton, 60, 10);
        EXPECT_TRUE(samePixels(blank, c->image())) << tool->text().toStdString() << " two buttons";
        release(c, kRightButton, 60, 10);
        EXPECT_TRUE(samePixels(blank, c->image()));
    }
    // The press tools ignore the right button as well.
    for (QRadioButton* tool : {main->Option18, main->Option26, main->Option27, main->Option17}) {
        tool->setChecked(true);
        press(c, kRightButton, 50, 50);
        release(c, kRightButton, 50, 50);
        EXPECT_TRUE(samePixels(blank, c->image())) << tool->text().toStdString();
    }
    EXPECT_EQ(currentDocument()->swatch().backColour(), 0xF0F0F0) << "a right click does not pick a colour";
}

TEST_P(DrawingTools, EraserBoxFollowsThePointer) {
    Canvas* c = canvas(GetParam());
    c->setPicture(uniform(c->canvasWidth(), c->canvasHeight(), kBlack));
    main->Option25->setChecked(true);
    press(c, kLeftButton, 50, 50);
    moveTo(c, kLeftButton, 50, 50);
    moveTo(c, kLeftButton, 80, 60);
    release(c, kLeftButton, 80, 60);
    // The draft pad: a mark of the line width (1) on the pointer; a picture window: a filled box
    // from the pointer to 5 pixels right and down of it.
    const int extent = isPictureWindow() ? 5 : 0;
    QImage expected = uniform(c->canvasWidth(), c->canvasHeight(), kBlack);
    for (const Pixel p : {Pixel{50, 50}, Pixel{80, 60}})
        for (int y = p.y; y <= p.y + extent; ++y)
            for (int x = p.x; x <= p.x + extent; ++x)
                expected.setPixel(x, y, kWhite);
    EXPECT_TRUE(samePixels(expected, c->image()));
    EXPECT_TRUE(main->Option22->isChecked());
}

TEST_P(DrawingTools, CircleAndSquareTakeTheirSizeFromD) {
    Canvas* c = clean();
    const QRgb green = 0x00C000;
    c->setForeColour(packed(green));
    auto circleAt = [&](const QString& d, double cx, double cy) {
        wipe(c);
        main->Text19->setText(d);
        main->Option18->setChecked(true);
        press(c, kLeftButton, cx, cy);
        release(c, kLeftButton, cx, cy);
        return pixelsNot(c->image(), kWhite);
    };

    // D 10: a ring of radius 5 about the press point, its inside untouched.
    for (const Pixel& p : circleAt("10", 100, 50)) {
        const double dist = std::hypot(p.x - 100, p.y - 50);
        EXPECT_LE(std::fabs(dist - 5), 0.5) << "(" << p.x << ", " << p.y << ")";
        EXPECT_EQ(rgbAt(c->image(), p.x, p.y), green);
    }
    for (const Pixel p : {Pixel{105, 50}, Pixel{95, 50}, Pixel{100, 45}, Pixel{100, 55}})
        EXPECT_EQ(rgbAt(c->image(), p.x, p.y), green) << "(" << p.x << ", " << p.y << ")";
    EXPECT_EQ(rgbAt(c->image(), 100, 50), kWhite);
    EXPECT_EQ(main->document().state.DotDiameter, 10);

    // D 5: radius 2.5, symmetric about the press point.
    const std::vector<Pixel> odd = circleAt("5", 100, 50);
    ASSERT_FALSE(odd.empty());
    for (const Pixel& p : odd) {
        EXPECT_LE(std::fabs(std::hypot(p.x - 100, p.y - 50) - 2.5), 0.5) << "(" << p.x << ", " << p.y << ")";
        EXPECT_EQ(rgbAt(c->image(), 200 - p.x, p.y), green);
        EXPECT_EQ(rgbAt(c->image(), p.x, 100 - p.y), green);
        EXPECT_EQ(rgbAt(c->image(), 100 + (p.y - 50), 50 + (p.x - 100)), green);
    }
    EXPECT_EQ(rgbAt(c->image(), 100, 50), kWhite);

    // D 0: radius 0, the press point alone.
    const std::vector<Pixel> dot = circleAt("0", 100, 50);
    ASSERT_EQ(dot.size(), 1u);
    EXPECT_EQ(dot[0].x, 100);
    EXPECT_EQ(dot[0].y, 50);

    // Squares: outlined boxes from (X - D/2, Y - D/2) to (X + D/2, Y + D/2); fractional corners
    // go to the nearest pixel, halves to even (97.5 -> 98, 102.5 -> 102).
    auto squareOutline = [&](int left, int top, int right, int bottom) {
        QImage expected = white(c);
        for (int x = left; x <= right; ++x) {
            expected.setPixel(x, top, green);
            expected.setPixel(x, bottom, green);
        }
        for (int y = top; y <= bottom; ++y) {
            expected.setPixel(left, y, green);
            expected.setPixel(right, y, green);
        }
        return expected;
    };
    struct Case {
        const char* d;
        int left, top, right, bottom;
    };
    for (const Case& k :
         {Case{"10", 95, 45, 105, 55}, Case{"5", 98, 48, 102, 52}, Case{"4,5", 98, 48, 102, 52},
          Case{" 5.5 ", 97, 47, 103, 53}, Case{"0", 100, 50, 100, 50}}) {
        wipe(c);
        main->Text19->setText(k.d);
        main->Option27->setChecked(true);
        press(c, kLeftButton, 100, 50);
        release(c, kLeftButton, 100, 50);
        EXPECT_TRUE(samePixels(squareOutline(k.left, k.top, k.right, k.bottom), c->image())) << "D " << k.d;
    }
    EXPECT_EQ(main->document().state.DotDiameter, 0);
}

TEST_P(DrawingTools, LabelIsPrintedAtThePressPointInTheDrawingColour) {
    Canvas* c = clean();
    const QRgb red = 0xFF0000;
    c->setForeColour(packed(red));
    main->Option26->setChecked(true);
    press(c, kLeftButton, 30, 40);
    release(c, kLeftButton, 30, 40);
    EXPECT_TRUE(main->Option22->isChecked());

    // Only the glyphs, all in the drawing colour, no background; the four leading blanks leave
    // their width free to the right of x 30; nothing above row 40 or below one line.
    const QFontMetrics fm(c->drawFont());
    const std::vector<Pixel> ink = pixelsNot(c->image(), kWhite);
    ASSERT_GT(ink.size(), 20u);
    int left = c->canvasWidth(), top = c->canvasHeight(), bottom = 0, right = 0;
    for (const Pixel& p : ink) {
        EXPECT_EQ(rgbAt(c->image(), p.x, p.y), red) << "(" << p.x << ", " << p.y << ")";
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    const int blanks = fm.horizontalAdvance("    ");
    EXPECT_GE(left, 30 + blanks - 1);
    EXPECT_LE(left, 30 + blanks + fm.averageCharWidth());
    EXPECT_GE(top, 40);
    EXPECT_LT(bottom, 40 + fm.height());
    EXPECT_LE(right, 30 + fm.horizontalAdvance(main->Text16->text()) + 1);
}

TEST_P(DrawingTools, ColourPickTakesTheMeanOfNinePixels) {
    Canvas* c = canvas(GetParam());
    c->setPicture(uniform(c->canvasWidth(), c->canvasHeight(), 0xFF0000));
    auto pickAt = [&](double x, double y) {
        main->Option17->setChecked(true);
        press(c, kLeftButton, x, y);
        release(c, kLeftButton, x, y);
        EXPECT_TRUE(main->Option22->isChecked());
    };
    auto expectEverywhere = [&](std::int32_t colour) {
        EXPECT_EQ(currentDocument()->swatch().backColour(), colour);
        EXPECT_EQ(currentDocument()->pad().foreColour(), colour);
        EXPECT_EQ(textColour(*main->Text16), colour);
        EXPECT_EQ(pictureWindow(WindowId::Picture1)->picMain->foreColour(), colour);
        EXPECT_EQ(pictureWindow(WindowId::Picture2)->picMain->foreColour(), colour);
    };

    // Inside a uniform red area: red, packed &H0000FF.
    pickAt(100, 50);
    expectEverywhere(0x0000FF);
    EXPECT_TRUE(currentDocument()->exists(WindowId::Picture1));
    EXPECT_TRUE(currentDocument()->exists(WindowId::Picture2));
    EXPECT_FALSE(pictureWindow(WindowId::Picture2)->isVisible())
        << "a window created for the colour stays hidden";

    // At the corner five samples lie outside and count as black: round(4 * 255 / 9) = 113.
    pickAt(0, 0);
    expectEverywhere(static_cast<std::int32_t>(std::lround(4 * 255 / 9.0)));

    // Eight white samples and one black: round(8 * 255 / 9) = 227 in every channel.
    wipe(c);
    c->setPixel(11, 21, 0);
    pickAt(10, 20);
    const int m = static_cast<int>(std::lround(8 * 255 / 9.0));
    expectEverywhere(m + 256 * m + 65536 * m);
    EXPECT_EQ(c->foreColour(), m + 256 * m + 65536 * m);
}

TEST_P(DrawingTools, InvalidDiameterShowsTheMessageAtEveryPress) {
    Canvas* c = clean();
    const QImage blank = white(c);
    press(c, kLeftButton, 3, 4);
    release(c, kLeftButton, 3, 4);
    ASSERT_EQ(main->document().state.DotDiameter, 5);
    ASSERT_TRUE(fake->messages.shown.empty());

    int expectedMessages = 0;
    for (const char* bad : {"", "abc", "40000", "-32769"}) {
        main->Text19->setText(bad);
        for (QRadioButton* tool : {main->Option22, main->Option23, main->Option18, main->Option27}) {
            for (int button : {kLeftButton, kRightButton}) {
                tool->setChecked(true);
                press(c, button, 33, 44);
                ++expectedMessages;
                ASSERT_EQ(int(fake->messages.shown.size()), expectedMessages) << "D '" << bad << "'";
                EXPECT_EQ(fake->messages.shown.back().text, QString(" Задайте диаметр точки "));
                EXPECT_EQ(fake->messages.shown.back().title, QString("Tesmaro5"));
                EXPECT_EQ(main->document().state.DotDiameter, 5) << "D keeps its last good value";
                EXPECT_EQ(main->document().state.PenX, 33);
                EXPECT_EQ(main->document().state.PenY, 44);
                moveTo(c, button, 60, 60);
                release(c, button, 60, 60);
                EXPECT_TRUE(main->Option22->isChecked());
            }
        }
    }
    EXPECT_TRUE(samePixels(blank, c->image())) << "a failed press draws nothing";
}

TEST_P(DrawingTools, PenPointIsRoundedHalvesToEven) {
    Canvas* c = clean();
    main->Option23->setChecked(true);
    press(c, kLeftButton, 10.5, 11.5);
    EXPECT_EQ(main->document().state.PenX, 10);
    EXPECT_EQ(main->document().state.PenY, 12);
    moveTo(c, kLeftButton, 12.5, 12.5);
    EXPECT_EQ(main->document().state.PenX, 12);
    EXPECT_EQ(main->document().state.PenY, 12);
    release(c, kLeftButton, 12.5, 12.5);
}

INSTANTIATE_TEST_SUITE_P(Canvases, DrawingTools,
                         ::testing::Values(Which::DraftPad, Which::Picture1, Which::Picture2),
                         [](const ::testing::TestParamInfo<Which>& info) {
                             return info.param == Which::DraftPad   ? std::string("DraftPad")
                                    : info.param == Which::Picture1 ? std::string("Picture1")
                                                                    : std::string("Picture2");
                         });

// The same gesture through real mouse events: the canvas reports buttons and positions.
class DrawingToolsMouse : public AppFixture {};

TEST_F(DrawingToolsMouse, DragWithTheLeftButtonDrawsAFreehandLine) {
    PictureWindow* win = pictureWindow(WindowId::Picture1);
    win->show();
    PictureWindowWidget* shown = main->views().pictureWindow(WindowId::Picture1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(shown));
    Canvas* c = win->picMain;
    wipe(c);
    main->Option23->setChecked(true);
    QTest::mousePress(shown->picMain, Qt::LeftButton, Qt::NoModifier, QPoint(10, 30));
    QTest::mouseMove(shown->picMain, QPoint(40, 30));
    QTest::mouseRelease(shown->picMain, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    QImage expected = uniform(c->canvasWidth(), c->canvasHeight(), kWhite);
    for (int x = 10; x <= 40; ++x)
        expected.setPixel(x, 30, kBlack);
    EXPECT_TRUE(samePixels(expected, c->image()));
    EXPECT_TRUE(main->Option22->isChecked());
}

TEST_F(DrawingToolsMouse, ReopenedPictureWindowAnswersTheMouseAgain) {
    pictureWindow(WindowId::Picture2);
    currentDocument()->discard(WindowId::Picture2);
    Canvas* c = pictureWindow(WindowId::Picture2)->picMain;
    main->Option18->setChecked(true);
    main->Text19->setText("0");
    press(c, kLeftButton, 7, 9);
    release(c, kLeftButton, 7, 9);
    const std::vector<Pixel> drawn = pixelsNot(c->image(), kWhite);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].x, 7);
    EXPECT_EQ(drawn[0].y, 9);
}

} // namespace
} // namespace tesmaro::testing
