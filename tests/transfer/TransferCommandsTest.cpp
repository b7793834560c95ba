// Load, copy and save on the document alone: each puts the picture where it belongs in one undo
// step; files and the clipboard are written but not undone. The screen load waits for its timer.
#include "transfer/TransferCommands.h"
#include "core/RasterOp.h"
#include "support/CommandTable.h"
#include "support/TestPictures.h"

#include <QTemporaryDir>

namespace tesmaro::testing {
namespace {

using namespace transfer;

class TransferCommands;
using Case = CommandCase<TransferCommands>;

// Before each command frmPicture1 and frmImage1 show a picture of their own, and the open dialog,
// the clipboard and the screen each offer another.
class TransferCommands : public CommandDocument, public ::testing::TestWithParam<Case> {
public:
    TransferCommands() {
        document().pictureWindow(WindowId::Picture1).picMain->setPicture(inPicture);
        document().imageWindow(WindowId::Image1).Image1->setPicture(inImage);
        const QString chosen = elsewhere.path() + "/chosen.png";
        EXPECT_TRUE(inFile.save(chosen));
        fake.files.answer = {OpenFileResult::Outcome::Chosen, chosen};
        fake.clipboard.content = onClipboard;
        fake.screen.screenSize = onScreen.size();
        fake.screen.desktop = onScreen;
    }

    PictureWindow& picture(WindowId id) { return document().pictureWindow(id); }
    ImageWindow& image(WindowId id) { return document().imageWindow(id); }
    // A file of the program's folder as Qt reads it.
    QImage programFile(const QString& name) { return QImage(fake.filePath(name)); }

    const QImage inPicture = patternPicture(23, 17, 1), inImage = patternPicture(19, 13, 2),
                 inFile = patternPicture(21, 11, 3), onClipboard = patternPicture(15, 9, 4),
                 onScreen = patternPicture(40, 30, 5);
    QTemporaryDir elsewhere;
};

// Source x, y, width, height, then the destination's, as the coordinate fields give them.
FragmentFields fields(QRect from, QRect to) {
    const auto f = [](int v) { return static_cast<float>(v); };
    return {f(from.y()), f(from.x()), f(from.height()), f(from.width()),
            f(to.y()),   f(to.x()),   f(to.height()),   f(to.width())};
}
const QRect kFrom(3, 2, 7, 5), kTo(4, 1, 7, 5);

// The loaded picture shown in frmPicture1 or frmImage1, in Temp.bmp, its size reported.
void loadedInto(TransferCommands& t, WindowId id, const QImage& expected) {
    const ProgramWindow& window = t.document().window(id);
    EXPECT_TRUE(samePixels(expected, isImageWindow(id) ? t.image(id).Image1->picture()
                                                       : t.picture(id).picMain->image()));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(samePixels(expected, t.programFile("Temp.bmp")));
    EXPECT_EQ(expected.size(), t.front.sourceSize);
}

const Case kCases[] = {
    {"LoadFileIntoPicture", 1, [](auto& t) { t.run(loadCommand({.target = LoadTarget::Picture})); },
     [](auto& t) { loadedInto(t, WindowId::Picture1, t.inFile); }},
    {"LoadFileIntoImage", 1, [](auto& t) { t.run(loadCommand({.target = LoadTarget::Image})); },
     [](auto& t) { loadedInto(t, WindowId::Image1, t.inFile); }},
    {"LoadClipboard", 1,
     [](auto& t) { t.run(loadCommand({.target = LoadTarget::Picture, .fromClipboard = true})); },
     [](auto& t) { loadedInto(t, WindowId::Picture1, t.onClipboard); }},
    {"LoadScreen", 1, [](auto& t) { t.run(loadCommand({.target = LoadTarget::Screen})); },
     [](auto& t) { loadedInto(t, WindowId::Temp, t.onScreen); }},
    {"CopyWholeIntoPicture", 1,
     [](auto& t) {
         t.run(copyCommand(
             {.fields = fields({}, {}), .target = CopyTarget::Picture, .source = SourceWindow::Picture}));
     },
     [](auto& t) {
         EXPECT_TRUE(samePixels(t.inPicture, t.picture(WindowId::Picture2).picMain->image()));
         EXPECT_TRUE(t.picture(WindowId::Picture2).isVisible());
         EXPECT_EQ(t.inPicture.size(), t.front.destinationSize);
     }},
    {"CopyWholeIntoImage", 1,
     [](auto& t) {
         t.run(copyCommand(
             {.fields = fields({}, {}), .target = CopyTarget::Image, .source = SourceWindow::Image}));
     },
     [](auto& t) {
         EXPECT_TRUE(samePixels(t.inImage, t.image(WindowId::Image2).Image1->picture()));
         EXPECT_TRUE(t.image(WindowId::Image2).isVisible());
     }},
    // A fragment of the same size lands pixel for pixel on the cleared canvas.
    {"CopyFragmentIntoPicture", 1,
     [](auto& t) {
         t.run(copyCommand({.fields = fields(kFrom, kTo),
                            .rasterCode = SRCCOPY,
                            .fragment = true,
                            .target = CopyTarget::Picture,
                            .source = SourceWindow::Picture}));
     },
     [](auto& t) {
         const PictureWindowDesign design = pictureDesign(WindowId::Picture2);
         QImage expected = filled(design.canvasWidth, design.canvasHeight, qRgb(255, 255, 255));
         for (int y = 0; y < kFrom.height(); ++y)
             for (int x = 0; x < kFrom.width(); ++x)
                 expected.setPixel(kTo.x() + x, kTo.y() + y, t.inPicture.pixel(kFrom.x() + x, kFrom.y() + y));
         EXPECT_TRUE(samePixels(expected, t.picture(WindowId::Picture2).picMain->image()));
     }},
    // The panel refuses "X Y" into Image with a message of its own; nothing changes.
    {"CopyFragmentIntoImageIsRefused", 0,
     [](auto& t) {
         t.run(copyCommand({.fields = fields(kFrom, kTo),
                            .fragment = true,
                            .target = Checked<CopyTarget>::refused(kNoFragmentIntoImage),
                            .source = SourceWindow::Image}));
     },
     [](auto& t) { EXPECT_FALSE(t.document().exists(WindowId::Image2)); }, kNoFragmentIntoImage},
    {"SaveToFile", 0,
     [](auto& t) { t.run(saveCommand({.name = QString("saved.jpg"), .source = SourceWindow::Picture})); },
     [](auto& t) { EXPECT_TRUE(samePixels(t.inPicture, t.programFile("saved.bmp"))); }},
    {"SaveToClipboard", 0,
     [](auto& t) {
         t.run(saveCommand({.name = QString("x"), .toClipboard = true, .source = SourceWindow::Image}));
     },
     [](auto& t) {
         EXPECT_TRUE(samePixels(t.inImage, t.fake.clipboard.content));
         EXPECT_EQ(1, t.fake.clipboard.clears);
     }},
};

TEST_P(TransferCommands, PutThePictureWhereItBelongs) {
    runCase(*this, GetParam());
}
INSTANTIATE_TEST_SUITE_P(Each, TransferCommands, ::testing::ValuesIn(kCases), CaseName());

// The snapshot waits, the panel hidden, the pointer busy and the step open, until the timer has
// run out; only then is the screen taken.
using ScreenLoad = TransferCommands;

TEST_F(ScreenLoad, WaitsForItsTimer) {
    runner().run(loadCommand({.target = LoadTarget::Screen}));
    EXPECT_TRUE(front.timerRunning());
    EXPECT_TRUE(runner().commandOpen());
    EXPECT_FALSE(runner().undo());
    EXPECT_EQ(QStringList{"hide"}, front.panel);
    EXPECT_TRUE(fake.busy.busy);
    EXPECT_TRUE(fake.screen.captured.empty());
    front.timeout();
    EXPECT_FALSE(runner().commandOpen());
    EXPECT_EQ((QStringList{"hide", "front"}), front.panel);
    EXPECT_FALSE(fake.busy.busy);
    EXPECT_EQ(1, runner().history().undoSteps());
}

} // namespace
} // namespace tesmaro::testing
