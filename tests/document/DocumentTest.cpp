// The document model itself: the windows' life, the scroll bars' rules, and two documents that
// share nothing.
#include "document/Document.h"
#include "support/TestPictures.h"

#include <QPointer>

#include <utility>
#include <vector>

namespace tesmaro::testing {
namespace {

// What a window created or referred to afresh must show: hidden, its design title, its design
// canvas or view size, no picture, bars at 0.
::testing::AssertionResult designed(const ProgramWindow& w) {
    if (w.isVisible())
        return ::testing::AssertionFailure() << "shown";
    QString caption;
    QSize size, expectedSize;
    bool blank = false;
    if (isImageWindow(w.id())) {
        const auto& image = static_cast<const ImageWindow&>(w);
        caption = imageDesign(w.id()).caption;
        size = QSize(image.Image1->viewWidth(), image.Image1->viewHeight());
        expectedSize = QSize(imageDesign(w.id()).viewWidth, imageDesign(w.id()).viewHeight);
        blank = image.Image1->picture().isNull();
    } else {
        const auto& picture = static_cast<const PictureWindow&>(w);
        const PictureWindowDesign design = pictureDesign(w.id());
        caption = design.caption;
        size = QSize(picture.picMain->canvasWidth(), picture.picMain->canvasHeight());
        expectedSize = QSize(design.canvasWidth, design.canvasHeight);
        blank = picture.picMain->picture().isNull() && picture.scroll->vertical() == ScrollState{} &&
                picture.scroll->horizontal() == ScrollState{};
    }
    if (w.title() != caption)
        return ::testing::AssertionFailure() << "title " << w.title().toStdString();
    if (size != expectedSize)
        return ::testing::AssertionFailure() << "size " << size.width() << "x" << size.height();
    if (!blank)
        return ::testing::AssertionFailure() << "a picture or bars of its own";
    return ::testing::AssertionSuccess();
}

TEST(DocumentWindows, CreatedOnFirstReferenceAndAfreshAfterDiscard) {
    Document doc;
    std::vector<std::pair<char, WindowId>> announced;
    QObject::connect(&doc, &Document::windowCreated, [&](WindowId id) { announced.emplace_back('+', id); });
    QObject::connect(&doc, &Document::windowDiscarded, [&](WindowId id) {
        EXPECT_TRUE(doc.exists(id)) << "announced before it goes";
        announced.emplace_back('-', id);
    });
    std::vector<std::pair<char, WindowId>> expected;
    for (const WindowId id : kEveryWindow) {
        SCOPED_TRACE(static_cast<int>(id));
        EXPECT_FALSE(doc.exists(id));
        EXPECT_EQ(nullptr, doc.existingWindow(id));
        EXPECT_EQ(nullptr, doc.existingCanvas(id));
        ProgramWindow& w = doc.window(id);
        EXPECT_EQ(&w, &doc.window(id)) << "one window however often referred to";
        EXPECT_EQ(&w, doc.existingWindow(id));
        EXPECT_EQ(isImageWindow(id), doc.existingCanvas(id) == nullptr);
        EXPECT_TRUE(designed(w));

        // Changed, then discarded with everything it held; the next reference makes a fresh one.
        w.setTitle("changed");
        w.show();
        if (Canvas* canvas = doc.existingCanvas(id)) {
            canvas->setPicture(patternPicture(40, 30));
            static_cast<PictureWindow&>(w).setScrollMax(30, 40);
            static_cast<PictureWindow&>(w).scroll->setVerticalValue(12);
        } else {
            static_cast<ImageWindow&>(w).Image1->setPicture(patternPicture(40, 30));
        }
        QPointer<ProgramWindow> gone = &w;
        doc.discard(id);
        EXPECT_TRUE(gone.isNull());
        EXPECT_FALSE(doc.exists(id));
        doc.discard(id); // nothing left to discard, nothing announced
        EXPECT_TRUE(designed(doc.window(id)));
        expected.insert(expected.end(), {{'+', id}, {'-', id}, {'+', id}});
    }
    doc.discardAll();
    for (const WindowId id : kEveryWindow) {
        EXPECT_FALSE(doc.exists(id));
        expected.emplace_back('-', id);
    }
    EXPECT_EQ(expected, announced);
}

// One scroll bar's operations in turn: setting the range, the maximum alone or the value; then the
// bar it must leave and whether that is a change.
enum class BarSet { Range, Maximum, Value };
struct BarStep {
    BarSet set;
    int a, b;
    ScrollState expected;
    bool changes;
};

const BarStep kBarSteps[] = {
    {BarSet::Range, 0, 100, {0, 100, 0}, true},
    {BarSet::Value, 150, 0, {0, 100, 100}, true}, // above the range
    {BarSet::Value, -5, 0, {0, 100, 0}, true},    // below it
    {BarSet::Value, 60, 0, {0, 100, 60}, true},
    {BarSet::Value, 60, 0, {0, 100, 60}, false},
    {BarSet::Maximum, 40, 0, {0, 40, 40}, true}, // a smaller maximum pulls the value down
    {BarSet::Maximum, 90, 0, {0, 90, 40}, true},
    {BarSet::Range, 50, 10, {50, 50, 50}, true},  // a maximum below the minimum takes the minimum
    {BarSet::Maximum, 20, 0, {20, 20, 20}, true}, // a minimum above the maximum comes down to it
};

TEST(ScrollBarRules, ValueStaysInTheRangeEachBarOnItsOwn) {
    for (const bool vertical : {true, false}) {
        ScrollBars bars;
        int changes = 0;
        QObject::connect(&bars, &ScrollBars::changed, [&] { ++changes; });
        for (std::size_t i = 0; i < std::size(kBarSteps); ++i) {
            const BarStep& step = kBarSteps[i];
            SCOPED_TRACE(::testing::Message() << (vertical ? "vertical" : "horizontal") << ", step " << i);
            const int changesBefore = changes;
            switch (step.set) {
            case BarSet::Range:
                vertical ? bars.setVerticalRange(step.a, step.b) : bars.setHorizontalRange(step.a, step.b);
                break;
            case BarSet::Maximum:
                vertical ? bars.setVerticalMaximum(step.a) : bars.setHorizontalMaximum(step.a);
                break;
            case BarSet::Value:
                vertical ? bars.setVerticalValue(step.a) : bars.setHorizontalValue(step.a);
                break;
            }
            const ScrollState& bar = vertical ? bars.vertical() : bars.horizontal();
            EXPECT_EQ(step.expected, bar) << bar.minimum << ".." << bar.maximum << " at " << bar.value;
            EXPECT_EQ(ScrollState{}, vertical ? bars.horizontal() : bars.vertical());
            EXPECT_EQ(step.changes ? 1 : 0, changes - changesBefore);
        }
    }
}

// A picture window's maxima are its picture's sides: 0..32767, anything else refused unchanged.
TEST(ScrollBarRules, PictureWindowTakesMaximaOfAPictureSide) {
    Document doc;
    PictureWindow& w = doc.pictureWindow(WindowId::Picture1);
    ASSERT_TRUE(w.setScrollMax(300, 200));
    w.scroll->setVerticalValue(250);
    w.scroll->setHorizontalValue(150);
    const ScrollState vertical = w.scroll->vertical(), horizontal = w.scroll->horizontal();
    const std::pair<int, int> refused[] = {
        {-1, 10}, {10, -1}, {kMaxPictureSide + 1, 10}, {10, kMaxPictureSide + 1}};
    for (const auto& [height, width] : refused) {
        EXPECT_FALSE(w.setScrollMax(height, width)) << height << " x " << width;
        EXPECT_EQ(vertical, w.scroll->vertical());
        EXPECT_EQ(horizontal, w.scroll->horizontal());
    }
    EXPECT_TRUE(w.setScrollMax(kMaxPictureSide, 0));
    EXPECT_EQ((ScrollState{0, kMaxPictureSide, 250}), w.scroll->vertical());
    EXPECT_EQ((ScrollState{0, 0, 0}), w.scroll->horizontal());
    EXPECT_TRUE(w.setScrollMax(100, 0));
    EXPECT_EQ((ScrollState{0, 100, 100}), w.scroll->vertical()) << "a smaller maximum pulls the value down";
}

// Two documents (two starts of the program) share neither windows, pictures, values nor the
// random sequence, which each draws from its start.
TEST(Documents, TwoShareNothing) {
    Document a, b;
    const float first = a.state.random.next();
    a.state.random.next();
    a.state.PicHeight = 77;
    a.pictureWindow(WindowId::Picture1).picMain->setPicture(patternPicture(40, 30));
    a.pictureWindow(WindowId::Picture1).show();
    a.pad().setPixel(3, 4, 0x0000FF);

    EXPECT_EQ(first, b.state.random.next());
    EXPECT_EQ(0, b.state.PicHeight);
    EXPECT_FALSE(b.exists(WindowId::Picture1));
    EXPECT_TRUE(designed(b.pictureWindow(WindowId::Picture1)));
    EXPECT_EQ(0xFFFFFF, b.pad().point(3, 4));
    b.discardAll();
    EXPECT_TRUE(a.exists(WindowId::Picture1));
    EXPECT_EQ(QSize(40, 30), a.pictureWindow(WindowId::Picture1).picMain->image().size());
    Document c;
    EXPECT_EQ(first, c.state.random.next()) << "a new start draws the same numbers again";
}

} // namespace
} // namespace tesmaro::testing
