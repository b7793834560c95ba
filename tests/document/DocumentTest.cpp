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

// One scroll bar's operations in turn, each with the bar it must leave and whether that is a
// change.
struct BarStep {
    const char* what;
    void (*act)(ScrollBars&, bool vertical);
    ScrollState expected;
    bool changes;
};

const BarStep kBarSteps[] = {
    {"range 0..100",
     [](ScrollBars& b, bool v) { v ? b.setVerticalRange(0, 100) : b.setHorizontalRange(0, 100); },
     {0, 100, 0},
     true},
    {"value above the range",
     [](ScrollBars& b, bool v) { v ? b.setVerticalValue(150) : b.setHorizontalValue(150); },
     {0, 100, 100},
     true},
    {"value below it",
     [](ScrollBars& b, bool v) { v ? b.setVerticalValue(-5) : b.setHorizontalValue(-5); },
     {0, 100, 0},
     true},
    {"value inside",
     [](ScrollBars& b, bool v) { v ? b.setVerticalValue(60) : b.setHorizontalValue(60); },
     {0, 100, 60},
     true},
    {"the same value",
     [](ScrollBars& b, bool v) { v ? b.setVerticalValue(60) : b.setHorizontalValue(60); },
     {0, 100, 60},
     false},
    {"smaller maximum",
     [](ScrollBars& b, bool v) { v ? b.setVerticalMaximum(40) : b.setHorizontalMaximum(40); },
     {0, 40, 40},
     true},
    {"larger maximum",
     [](ScrollBars& b, bool v) { v ? b.setVerticalMaximum(90) : b.setHorizontalMaximum(90); },
     {0, 90, 40},
     true},
    {"maximum below the minimum",
     [](ScrollBars& b, bool v) { v ? b.setVerticalRange(50, 10) : b.setHorizontalRange(50, 10); },
     {50, 50, 50},
     true},
    {"maximum alone below the minimum",
     [](ScrollBars& b, bool v) { v ? b.setVerticalMaximum(20) : b.setHorizontalMaximum(20); },
     {20, 20, 20},
     true},
};

TEST(ScrollBarRules, ValueStaysInTheRangeEachBarOnItsOwn) {
    for (const bool vertical : {true, false}) {
        ScrollBars bars;
        int changes = 0;
        QObject::connect(&bars, &ScrollBars::changed, [&] { ++changes; });
        for (const BarStep& step : kBarSteps) {
            SCOPED_TRACE(std::string(vertical ? "vertical, " : "horizontal, ") + step.what);
            const int changesBefore = changes;
            step.act(bars, vertical);
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
