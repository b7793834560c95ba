// The history on its own, without the panel: the bound on what it holds, and commands left open.
#include "document/CommandFailure.h"
#include "support/PlatformDoubles.h"
#include "support/SceneSupport.h"
#include "support/StandaloneDocument.h"

namespace tesmaro::testing {
namespace {

class HistoryBound : public ::testing::Test {
protected:
    PictureWindow& picture1() { return doc.document->pictureWindow(WindowId::Picture1); }
    // A command giving frmPicture1 a picture of one colour.
    static Command showColour(int side, QRgb colour) {
        return Command{.policy = {.failureMessage = "failed"}, .body = [side, colour](CommandContext& c) {
                           QImage picture(side, side, QImage::Format_RGB32);
                           picture.fill(colour);
                           c.document.pictureWindow(WindowId::Picture1).picMain->setPicture(picture);
                       }};
    }
    QRgb shownColour() { return picture1().picMain->image().pixel(0, 0); }

    FakePlatform fake;
    StandaloneDocument doc;
};

TEST_F(HistoryBound, OldestStepsGoPastTheBoundTheNewestStay) {
    constexpr int kSide = 4096; // 64 MiB a picture
    constexpr qint64 kPicture = qint64(kSide) * kSide * 4;
    const int fits = static_cast<int>(History::kMaxBytes / kPicture);
    // Each step holds the picture before it, the first one the blank design canvas.
    for (int i = 1; i <= fits + 3; ++i)
        ASSERT_TRUE(doc.runner->run(showColour(kSide, qRgb(i, 0, 0))));
    EXPECT_LE(doc.history->heldBytes(), History::kMaxBytes);
    EXPECT_EQ(doc.history->undoSteps(), fits);
    // The newest steps undo to the pictures before them; the oldest are gone.
    for (int i = fits + 2; i >= 3; --i) {
        ASSERT_TRUE(doc.runner->undo()) << i;
        EXPECT_EQ(shownColour(), qRgb(i, 0, 0));
    }
    EXPECT_FALSE(doc.runner->undo());
    EXPECT_EQ(shownColour(), qRgb(3, 0, 0));
    // Redo brings them all back, the bound still kept.
    while (doc.runner->redo()) {
    }
    EXPECT_EQ(shownColour(), qRgb(fits + 3, 0, 0));
    EXPECT_LE(doc.history->heldBytes(), History::kMaxBytes);
}

TEST_F(HistoryBound, AStepLargerThanTheBoundIsStillKept) {
    ASSERT_TRUE(doc.runner->run(showColour(100, qRgb(1, 2, 3))));
    // 12000 x 12000 pixels are 549 MiB: the history lets the older step go and keeps this one.
    ASSERT_TRUE(doc.runner->run(showColour(12000, qRgb(4, 5, 6))));
    ASSERT_TRUE(doc.runner->run(showColour(100, qRgb(7, 8, 9))));
    EXPECT_EQ(doc.history->undoSteps(), 1);
    ASSERT_TRUE(doc.runner->undo());
    EXPECT_EQ(shownColour(), qRgb(4, 5, 6));
    EXPECT_FALSE(doc.runner->undo());
}

// While a command waits (a snapshot not yet answered) nothing is undone, and a drawing action
// joins its step.
TEST_F(HistoryBound, AnOpenCommandHoldsUndoBack) {
    ASSERT_TRUE(doc.runner->run(showColour(50, qRgb(1, 1, 1))));
    const Command waiting{.policy = {.failureMessage = "failed", .busy = true},
                          .body = [](CommandContext& c) {
                              c.document.pictureWindow(WindowId::Picture1).picMain->cls();
                              c.keepOpen();
                          }};
    ASSERT_TRUE(doc.runner->run(waiting));
    EXPECT_TRUE(doc.runner->commandOpen());
    EXPECT_TRUE(fake.busy.busy);
    EXPECT_FALSE(doc.runner->undo());
    EXPECT_FALSE(doc.runner->run(showColour(50, qRgb(2, 2, 2)))) << "one command at a time";
    doc.runner->resume(
        [](CommandContext& c) { c.document.pictureWindow(WindowId::Picture1).picMain->setPixel(1, 1, 0); });
    EXPECT_FALSE(doc.runner->commandOpen());
    EXPECT_FALSE(fake.busy.busy);
    EXPECT_EQ(doc.history->undoSteps(), 2);
    ASSERT_TRUE(doc.runner->undo());
    EXPECT_EQ(shownColour(), qRgb(1, 1, 1));
}

// Drawn in place without changing a pixel, while a bar's range did change: the step puts back
// the bar and leaves the picture whole (the history let go of the raster when the drawing began).
TEST_F(HistoryBound, InPlaceDrawingThatChangedOnlyABar) {
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(0xFF204060);
    doc.document->pad().setAutoSize(false);
    doc.document->pad().setPicture(picture);
    doc.document->pad().setPixel(0, 0, 0x604020); // the raster now has its own pixels
    const QImage before = doc.document->pad().image().copy();
    const int range = doc.document->padScroll().vertical().maximum;
    const Command sameColour{.policy = {.failureMessage = "failed"}, .body = [&](CommandContext&) {
                                 doc.document->pad().setPixel(5, 5, 0x604020); // the colour the pixel has
                                 doc.document->padScroll().setVerticalRange(0, 77);
                             }};
    ASSERT_TRUE(doc.runner->run(sameColour));
    ASSERT_EQ(doc.history->undoSteps(), 1);
    ASSERT_TRUE(doc.runner->undo());
    EXPECT_EQ(doc.document->padScroll().vertical().maximum, range);
    EXPECT_EQ(pixelDifference(before, doc.document->pad().image()), "");
    ASSERT_TRUE(doc.runner->redo());
    EXPECT_EQ(doc.document->padScroll().vertical().maximum, 77);
    EXPECT_EQ(pixelDifference(before, doc.document->pad().image()), "");
}

// A large picture replaced by one that differs in a row no sample looks at is still a change,
// and one replaced by an equal copy is none.
TEST_F(HistoryBound, LargePicturesAreComparedInFullWhenNothingElseChanged) {
    QImage big(2000, 1000, QImage::Format_RGB32);
    big.fill(0xFF445566);
    const auto show = [](const QImage& picture) {
        return Command{.policy = {.failureMessage = "failed"}, .body = [picture](CommandContext& c) {
                           c.document.pictureWindow(WindowId::Picture1).picMain->setPicture(picture.copy());
                       }};
    };
    ASSERT_TRUE(doc.runner->run(show(big)));
    ASSERT_EQ(doc.history->undoSteps(), 1);
    ASSERT_TRUE(doc.runner->run(show(big)));
    EXPECT_EQ(doc.history->undoSteps(), 1) << "an equal copy changes nothing";
    QImage oneRow = big.copy();
    oneRow.setPixel(1234, 1, 0xFF000000);
    ASSERT_TRUE(doc.runner->run(show(oneRow)));
    EXPECT_EQ(doc.history->undoSteps(), 2);
    ASSERT_TRUE(doc.runner->undo());
    EXPECT_EQ(picture1().picMain->image().pixel(1234, 1), 0xFF445566u);
}

// A part that answers before it has returned (a screen that answers at once) goes on at once.
TEST_F(HistoryBound, AnAnswerBeforeThePartReturnsContinuesTheCommand) {
    const Command answeredAtOnce{.policy = {.failureMessage = "failed", .busy = true},
                                 .body = [](CommandContext& c) {
                                     const CommandResume resume = c.keepOpen();
                                     resume([](CommandContext&) { throw CommandFailure("no screen"); });
                                 }};
    EXPECT_FALSE(doc.runner->run(answeredAtOnce));
    EXPECT_FALSE(doc.runner->commandOpen());
    EXPECT_EQ(fake.messages.texts(), QStringList{"failed"});
    EXPECT_EQ(fake.busy.history, (std::vector<bool>{true, false}));
}

} // namespace
} // namespace tesmaro::testing
