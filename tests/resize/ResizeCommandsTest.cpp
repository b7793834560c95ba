// "MCopy" in its three modes and "Реверс Picture №" on the document alone, their kernels on
// several threads: each result is the one the literal references give, in one undo step.
#include "resize/ResizeCommands.h"
#include "CommandTestSupport.h"
#include "core/RasterOp.h"
#include "support/CommandTable.h"

namespace tesmaro::testing {
namespace {

using namespace resize;

class ResizeCommands;
using Case = CommandCase<ResizeCommands>;

// Temp.bmp holds the source; frmPicture1 and frmPicture2 a picture each. The kernels share their
// rows among four threads, however few cores run them.
class ResizeCommands : public CommandDocument, public ::testing::TestWithParam<Case> {
public:
    ResizeCommands() {
        document().setKernelThreads(4);
        EXPECT_TRUE(document().files().write("Temp.bmp", toImage(source)));
        document().pictureWindow(WindowId::Picture1).picMain->setPicture(toImage(first));
        document().pictureWindow(WindowId::Picture2).picMain->setPicture(toImage(second));
    }

    Picture shown(WindowId id) { return fromImage(document().pictureWindow(id).picMain->image()); }

    const Picture source = randomPicture(61, 43, 1), first = randomPicture(29, 11, 2),
                  second = randomPicture(16, 9, 3);
};

// Results tall enough for every thread to get rows: Wd x Hd, r, the colour percents.
const ReferenceSettings kSettings{97, 131, 5, 90, 100, 110};

Command multicopy(MulticopyMode mode, const ReferenceSettings& s) {
    return multicopyCommand({.height = s.height,
                             .width = s.width,
                             .randomPercent = s.r,
                             .redPercent = s.red,
                             .greenPercent = s.green,
                             .bluePercent = s.blue,
                             .rasterCode = SRCCOPY,
                             .mode = mode});
}

// The result in frmMCopy2, shown, and in TempMC.bmp; the random sequence where the reference
// left its own.
void multicopied(ResizeCommands& t, const Picture& expected, const RandomSequence& drawn) {
    EXPECT_TRUE(samePicture(expected, t.shown(WindowId::MCopy2)));
    EXPECT_TRUE(t.document().pictureWindow(WindowId::MCopy2).isVisible());
    EXPECT_TRUE(samePicture(expected, fromImage(QImage(t.fake.filePath("TempMC.bmp")))));
    EXPECT_EQ(drawn.state(), t.document().state.random.state());
}

Picture mirrored(const Picture& p) {
    Picture m(p.width, p.height);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            m.at(x, y) = p.at(p.width - 1 - x, y);
    return m;
}

const Case kCases[] = {
    // Without randomness the main copy and its overlays are one plain stretch; the six draws
    // are still made.
    {"MulticopyAll", 1,
     [](auto& t) {
         t.run(multicopy(MulticopyMode::All, {97, 131, 0}));
     },
     [](auto& t) {
         RandomSequence drawn;
         drawn.skip(6);
         multicopied(t, stretchOnto(Picture(97, 131), t.source, 97, 131, [](auto, auto s) { return s; }),
                     drawn);
     }},
    {"MulticopyPixelAccess", 1, [](auto& t) { t.run(multicopy(MulticopyMode::PixelAccess, kSettings)); },
     [](auto& t) {
         Picture expected(kSettings.width, kSettings.height);
         RandomSequence drawn;
         std::vector<int> percents;
         referencePixelAccess(t.source, expected, kSettings, drawn, percents);
         multicopied(t, expected, drawn);
     }},
    {"MulticopyDib", 1, [](auto& t) { t.run(multicopy(MulticopyMode::Dib, kSettings)); },
     [](auto& t) {
         Picture expected;
         RandomSequence drawn;
         std::vector<int> percents;
         ASSERT_TRUE(referenceDib(t.source, expected, kSettings, drawn, percents));
         multicopied(t, expected, drawn);
     }},
    {"ReversePicture1", 1, [](auto& t) { t.run(reverseCommand({})); },
     [](auto& t) {
         EXPECT_TRUE(samePicture(mirrored(t.first), t.shown(WindowId::Picture1)));
         EXPECT_TRUE(samePicture(t.second, t.shown(WindowId::Picture2)));
     }},
    {"ReversePicture2", 1, [](auto& t) { t.run(reverseCommand({.second = true})); },
     [](auto& t) {
         EXPECT_TRUE(samePicture(t.first, t.shown(WindowId::Picture1)));
         EXPECT_TRUE(samePicture(mirrored(t.second), t.shown(WindowId::Picture2)));
     }},
};

TEST_P(ResizeCommands, GiveTheReferenceResult) {
    runCase(*this, GetParam());
}
INSTANTIATE_TEST_SUITE_P(Each, ResizeCommands, ::testing::ValuesIn(kCases), CaseName());

} // namespace
} // namespace tesmaro::testing
