// The editor on the document alone: every tool on the draft pad and on a picture canvas, press
// to release one undo step; the pen settings, the pad's transfers and "Pixel"; the editor mode
// through the front end.
#include "editor/EditorCommands.h"
#include "core/RasterOp.h"
#include "support/CommandTable.h"
#include "support/TestPictures.h"

#include <QGuiApplication>

#include <cmath>
#include <vector>

namespace tesmaro::testing {
namespace {

using namespace editor;

constexpr int kLeft = 1;
constexpr std::int32_t kRed = 0x0000FF; // packed
constexpr QRgb kRedPixel = 0xFF0000, kWhitePixel = 0xFFFFFF;

class EditorCommands;
using Case = CommandCase<EditorCommands>;

// frmPicture1's canvas and the draft pad show pictures of their own and draw in red.
class EditorCommands : public CommandDocument, public ::testing::TestWithParam<Case> {
public:
    EditorCommands() {
        picture1().setPicture(inPicture);
        pad().setPicture(onPad);
        picture1().setForeColour(kRed);
        pad().setForeColour(kRed);
    }

    Canvas& pad() { return document().pad(); }
    Canvas& picture1() { return *document().pictureWindow(WindowId::Picture1).picMain; }
    Canvas& canvas(CanvasKind kind) { return kind == CanvasKind::DraftPad ? pad() : picture1(); }
    const QImage& before(CanvasKind kind) const { return kind == CanvasKind::DraftPad ? onPad : inPicture; }

    // Press, move and release with the left button, as one drawing action.
    void gesture(Tool tool, CanvasKind kind, QPoint press, QPoint to) {
        Canvas& c = canvas(kind);
        runner().beginAction();
        runner().run(pressCommand({.tool = tool, .labelText = "Ab", .dotDiameter = std::int16_t(10)}, c, kind,
                                  kLeft, press.x(), press.y()));
        toolMove(document(), tool, c, kind, kLeft, to.x(), to.y());
        toolRelease(document(), tool, c, kLeft, to.x(), to.y());
        runner().endAction();
    }

    const QImage inPicture = patternPicture(60, 40, 1), onPad = patternPicture(50, 30, 2);
};

// Every pixel that differs between the two pictures (of the same size).
std::vector<QPoint> changed(const QImage& before, const QImage& after) {
    std::vector<QPoint> out;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if ((before.pixel(x, y) & 0xFFFFFF) != (after.pixel(x, y) & 0xFFFFFF))
                out.emplace_back(x, y);
    return out;
}

// The gesture drew in colour inside box, at least at the points given.
::testing::AssertionResult drawn(const QImage& before, const QImage& after, QRect box, QRgb colour,
                                 std::vector<QPoint> atLeast) {
    for (const QPoint p : changed(before, after))
        if (!box.contains(p) || (after.pixel(p) & 0xFFFFFF) != colour)
            return ::testing::AssertionFailure() << "pixel (" << p.x() << ", " << p.y() << ") changed";
    for (const QPoint p : atLeast)
        if ((after.pixel(p) & 0xFFFFFF) != colour)
            return ::testing::AssertionFailure() << "nothing drawn at (" << p.x() << ", " << p.y() << ")";
    return ::testing::AssertionSuccess();
}

// A press at (20, 20) with D = 10, a move and the release at (36, 26).
const QPoint kPress(20, 20), kTo(36, 26);

struct ToolCase {
    const char* name;
    Tool tool;
    int steps;
    std::function<void(EditorCommands&, CanvasKind, const QImage& after)> check;
};

const ToolCase kTools[] = {
    {"Line", Tool::Line, 1,
     [](auto& t, CanvasKind kind, const QImage& after) {
         EXPECT_TRUE(drawn(t.before(kind), after, QRect(kPress, kTo), kRedPixel, {kPress, {28, 23}, kTo}));
     }},
    {"Segment", Tool::Segment, 1,
     [](auto& t, CanvasKind kind, const QImage& after) {
         EXPECT_TRUE(drawn(t.before(kind), after, QRect(kPress, kTo), kRedPixel, {kPress, {28, 23}, kTo}));
     }},
    // The eraser's box reaches 5 pixels right and down on a picture canvas, none on the pad.
    {"Eraser", Tool::Eraser, 1,
     [](auto& t, CanvasKind kind, const QImage& after) {
         const int reach = kind == CanvasKind::DraftPad ? 0 : 5;
         const QRect box(kTo, kTo + QPoint(reach, reach));
         EXPECT_TRUE(drawn(t.before(kind), after, box, kWhitePixel, {box.topLeft(), box.bottomRight()}));
     }},
    {"Circle", Tool::Circle, 1,
     [](auto& t, CanvasKind kind, const QImage& after) {
         EXPECT_TRUE(drawn(t.before(kind), after, QRect(15, 15, 11, 11), kRedPixel,
                           {{25, 20}, {15, 20}, {20, 25}, {20, 15}}));
         EXPECT_EQ(t.before(kind).pixel(kPress), after.pixel(kPress));
     }},
    {"Square", Tool::Square, 1,
     [](auto& t, CanvasKind kind, const QImage& after) {
         EXPECT_TRUE(
             drawn(t.before(kind), after, QRect(15, 15, 11, 11), kRedPixel, {{15, 15}, {25, 25}, {20, 15}}));
         EXPECT_EQ(t.before(kind).pixel(kPress), after.pixel(kPress));
     }},
    {"Label", Tool::Label, 1,
     [](auto& t, CanvasKind kind, const QImage& after) {
         EXPECT_FALSE(changed(t.before(kind), after).empty());
         EXPECT_TRUE(drawn(t.before(kind), after, QRect(kPress, QPoint(after.width(), after.height())),
                           kRedPixel, {}));
     }},
    // The mean of the 3 x 3 pixels about the press, for every surface that draws; no pixel changes.
    {"PickColour", Tool::PickColour, 0,
     [](auto& t, CanvasKind kind, const QImage& after) {
         EXPECT_TRUE(changed(t.before(kind), after).empty());
         int sum[3] = {};
         for (int y = kPress.y() - 1; y <= kPress.y() + 1; ++y)
             for (int x = kPress.x() - 1; x <= kPress.x() + 1; ++x) {
                 const QRgb p = t.before(kind).pixel(x, y);
                 sum[0] += qRed(p), sum[1] += qGreen(p), sum[2] += qBlue(p);
             }
         const auto mean = [](int s) { return static_cast<int>(std::lround(s / 9.0)); };
         const std::int32_t colour = mean(sum[0]) + 256 * mean(sum[1]) + 65536 * mean(sum[2]);
         EXPECT_EQ(colour, t.document().swatch().backColour());
         EXPECT_EQ(colour, t.document().labelField().colour);
         for (Canvas* c : {&t.pad(), &t.picture1(), t.document().pictureWindow(WindowId::Picture2).picMain})
             EXPECT_EQ(colour, c->foreColour());
     }},
};

std::vector<Case> toolCases() {
    std::vector<Case> cases;
    for (const ToolCase& tool : kTools)
        for (const CanvasKind kind : {CanvasKind::DraftPad, CanvasKind::PictureWindow})
            cases.push_back({std::string(tool.name) + (kind == CanvasKind::DraftPad ? "OnPad" : "OnPicture"),
                             tool.steps, [tool, kind](auto& t) { t.gesture(tool.tool, kind, kPress, kTo); },
                             [tool, kind](auto& t) { tool.check(t, kind, t.canvas(kind).image()); }});
    cases.push_back({"BadDiameterFailsThePress", 0,
                     [](auto& t) {
                         t.runner().beginAction();
                         t.runner().run(pressCommand(
                             {.tool = Tool::Circle, .dotDiameter = Checked<std::int16_t>::failed("D")},
                             t.pad(), CanvasKind::DraftPad, kLeft, 20, 20));
                         t.runner().endAction();
                     },
                     [](auto& t) { EXPECT_TRUE(changed(t.onPad, t.pad().image()).empty()); }, kBadDiameter});
    return cases;
}

TEST_P(EditorCommands, ToolsDrawInOneStep) {
    runCase(*this, GetParam());
}
INSTANTIATE_TEST_SUITE_P(Each, EditorCommands, ::testing::ValuesIn(toolCases()), CaseName());

// Source x, y, width, height, then the destination's, as the coordinate fields give them.
FragmentFields fields(QRect from, QRect to) {
    const auto f = [](int v) { return static_cast<float>(v); };
    return {f(from.y()), f(from.x()), f(from.height()), f(from.width()),
            f(to.y()),   f(to.x()),   f(to.height()),   f(to.width())};
}

// base with the pixels of from inside rect `part` put at `at`.
QImage pasted(QImage base, const QImage& from, QRect part, QPoint at) {
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            base.setPixel(at.x() + x, at.y() + y, from.pixel(part.x() + x, part.y() + y));
    return base;
}

class PenAndPad : public EditorCommands {};

const Case kPenAndPad[] = {
    {"Colour", 0,
     [](auto& t) {
         t.fake.colours.answer = QColor(10, 20, 30);
         t.run(colourCommand());
     },
     [](auto& t) {
         const std::int32_t colour = 10 + 256 * 20 + 65536 * 30;
         EXPECT_EQ(colour, t.document().swatch().backColour());
         EXPECT_EQ(colour, t.document().labelField().colour);
         EXPECT_EQ(colour, t.pad().foreColour());
         EXPECT_EQ(colour, t.picture1().foreColour());
     }},
    {"Font", 0,
     [](auto& t) {
         QFont chosen(QGuiApplication::font().family(), 17);
         chosen.setBold(true);
         t.fake.fonts.answer = chosen;
         t.run(fontCommand());
     },
     [](auto& t) {
         ASSERT_TRUE(t.document().labelField().font.has_value());
         EXPECT_TRUE(t.document().labelField().font->bold());
         for (Canvas* c : {&t.pad(), &t.picture1()}) {
             EXPECT_TRUE(c->drawFont().bold());
             EXPECT_EQ(17, c->drawFont().pointSize());
         }
     }},
    // Every surface draws 5 wide; the preview shows a dot of it in its middle.
    {"LineWidth", 0, [](auto& t) { t.run(lineWidthCommand(5)); },
     [](auto& t) {
         Canvas& preview = t.document().widthPreview();
         for (Canvas* c : {&preview, &t.pad(), &t.picture1()})
             EXPECT_EQ(5, c->drawWidth());
         EXPECT_EQ(preview.foreColour(),
                   preview.point(preview.canvasWidth() / 2, preview.canvasHeight() / 2));
     }},
    {"ClearPad", 1, [](auto& t) { t.run(clearPadCommand()); },
     [](auto& t) {
         EXPECT_TRUE(samePixels(filled(50, 30, kWhitePixel), t.pad().image()));
         EXPECT_TRUE(t.pad().picture().isNull());
     }},
    // The whole picture onto the pad, whose bars then reach its size.
    {"FromPicture", 1, [](auto& t) { t.run(fromPictureCommand({.fields = fields({}, {})})); },
     [](auto& t) {
         EXPECT_TRUE(samePixels(t.inPicture, t.pad().image()));
         EXPECT_EQ(40, t.document().padScroll().vertical().maximum);
         EXPECT_EQ(60, t.document().padScroll().horizontal().maximum);
     }},
    // A fragment of the pad over the picture, kept.
    {"ToPictureFragment", 1,
     [](auto& t) {
         t.run(toPictureCommand({.fields = fields({3, 2, 10, 6}, {20, 10, 10, 6}),
                                 .rasterCode = SRCCOPY,
                                 .fragment = true,
                                 .clearReceiver = false}));
     },
     [](auto& t) {
         EXPECT_TRUE(samePixels(pasted(t.inPicture, t.onPad, {3, 2, 10, 6}, {20, 10}), t.picture1().image()));
         EXPECT_TRUE(t.document().pictureWindow(WindowId::Picture1).isVisible());
     }},
    // The pad's destination rectangle back onto the picture's source rectangle.
    {"Return", 1,
     [](auto& t) {
         AppState& s = t.document().state;
         s.SrcX0 = 5, s.SrcY0 = 4, s.SrcXmax = 8, s.SrcYmax = 6;
         s.DstX0 = 1, s.DstY0 = 2, s.DstXmax = 8, s.DstYmax = 6;
         s.RasterCode = SRCCOPY;
         t.run(returnCommand(false));
     },
     [](auto& t) {
         EXPECT_TRUE(samePixels(pasted(t.inPicture, t.onPad, {1, 2, 8, 6}, {5, 4}), t.picture1().image()));
     }},
    // One pixel of the pad in the swatch's colour.
    {"Pixel", 1,
     [](auto& t) {
         t.document().swatch().setBackColour(0x00FF00);
         t.run(pixelCommand({.y0 = 4.0f, .x0 = 7.0f}));
     },
     [](auto& t) {
         QImage expected = t.onPad;
         expected.setPixel(7, 4, qRgb(0, 255, 0));
         EXPECT_TRUE(samePixels(expected, t.pad().image()));
     }},
};

TEST_P(PenAndPad, SetThePensAndMoveThePictures) {
    runCase(*this, GetParam());
}
INSTANTIATE_TEST_SUITE_P(Each, PenAndPad, ::testing::ValuesIn(kPenAndPad), CaseName());

// "On" takes the panel to the left edge and makes it the window kept on top, which the timer
// raises whenever another window is in front; "Off" takes it back to 6500 twips.
using EditorMode = EditorCommands;

TEST_F(EditorMode, KeepsThePanelOnTop) {
    front.windowId = 77;
    setEditorMode(document(), true);
    EXPECT_EQ(77u, document().state.OnTopWindow);
    fake.stacking.foreground = 77;
    keepPanelOnTop(document());
    EXPECT_EQ(0, front.keptOnTop);
    fake.stacking.foreground = 5;
    keepPanelOnTop(document());
    EXPECT_EQ(1, front.keptOnTop);
    EXPECT_EQ(5u, document().state.ForegroundNow);
    setEditorMode(document(), false);
    EXPECT_EQ((std::vector<int>{0, 6500 / 15}), front.panelLefts);
}

} // namespace
} // namespace tesmaro::testing
