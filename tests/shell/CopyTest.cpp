// "Копировать из ": whole copies, scaled fragments in the five raster modes, the destination's
// final size, and copies refused before the destination is touched. Every expected picture is
// computed here pixel by pixel, not with the program's stretch.
#include "TransferFixture.h"

#include <QLineEdit>
#include <QResizeEvent>

#include <functional>

namespace tesmaro::testing {
namespace {

const QString kCopyFailed = QStringLiteral("ошибка при копировании ");
const QString kNoFragmentIntoImage = QStringLiteral("в Image нельзя скопировать выборочно ");
constexpr QRgb kWhite = 0xFFFFFFFF;

class CopyTest : public TransferFixture {
protected:
    void fragment(QString y0, QString x0, QString ymax, QString xmax, QString dy0, QString dx0, QString dymax,
                  QString dxmax) {
        select(main->Option11);
        const QString values[] = {y0, x0, ymax, xmax, dy0, dx0, dymax, dxmax};
        QLineEdit* fields[] = {main->Text1,  main->Text2,  main->Text3,  main->Text4,
                               main->Text11, main->Text12, main->Text13, main->Text14};
        for (int i = 0; i < 8; ++i)
            fields[i]->setText(values[i]);
    }
    // frmPicture1 holds picture, as a load with "True" leaves it.
    void sourcePicture1(const QImage& picture) {
        ASSERT_TRUE(pictureWindow(WindowId::Picture1)->picMain->setPicture(picture));
        select(main->Option2);
    }
    Canvas* destination() { return pictureWindow(WindowId::Picture2)->picMain; }
    void copy() { main->Command3->click(); }
};

// dest with the rectangle (dx, dy, dw x dh) replaced by op(D, S) of the source rectangle
// (sx, sy, sw x sh) scaled by whole multiples (or 1:1), skipping pixels outside either picture.
QImage expectedFragment(QImage dest, const QImage& src, int sx, int sy, int sw, int sh, int dx, int dy,
                        int dw, int dh, const std::function<QRgb(QRgb, QRgb)>& op) {
    for (int j = 0; j < dh; ++j)
        for (int i = 0; i < dw; ++i) {
            const int x = dx + i, y = dy + j;
            const int u = sx + i * sw / dw, v = sy + j * sh / dh;
            if (x < 0 || y < 0 || x >= dest.width() || y >= dest.height())
                continue;
            if (u < 0 || v < 0 || u >= src.width() || v >= src.height())
                continue;
            dest.setPixel(x, y, op(dest.pixel(x, y), src.pixel(u, v)) | 0xFF000000);
        }
    return dest;
}

// The largest size a widget was given while it was watched.
class LargestSize : public QObject {
public:
    QSize size;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            size = size.expandedTo(static_cast<QResizeEvent*>(event)->size());
        return QObject::eventFilter(watched, event);
    }
};

QRgb takeSource(QRgb, QRgb s) {
    return s;
}

TEST_F(CopyTest, StartUpSettingsCopyTheScreenSnapshotWhole) {
    fake->screen.desktop = patternPicture(1024, 768, 4);
    main->show();
    main->Command1->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return main->isVisible() && currentDocument()->exists(WindowId::Temp); }, 5000));
    main->Text17->setText("1");
    main->Text18->setText("2");
    copy();
    EXPECT_TRUE(fake->messages.shown.empty());
    EXPECT_TRUE(samePixels(fake->screen.desktop, destination()->image()));
    EXPECT_TRUE(pictureWindow(WindowId::Picture2)->isVisible());
    EXPECT_EQ(main->Text17->text(), "768");
    EXPECT_EQ(main->Text18->text(), "1024");
    EXPECT_EQ(main->document().state.PicHeight, 768);
    EXPECT_EQ(main->document().state.PicWidth, 1024);
    EXPECT_EQ(main->document().state.RasterCode, 0x8800C6); // And+, read for "All" too
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(hourglassOnThenOff());
}

TEST_F(CopyTest, FragmentIsDrawnAtDoubleSize) {
    const QImage source = patternPicture(120, 80);
    sourcePicture1(source);
    select(main->Option12);
    fragment("0", "0", "50", "100", "20", "10", "100", "200");
    copy();
    EXPECT_TRUE(fake->messages.shown.empty());
    const QImage& result = destination()->image();
    ASSERT_EQ(result.size(), QSize(300, 500)); // the canvas keeps its size: drawing never resizes
    QImage expected = filled(300, 500, kWhite);
    for (int y = 20; y < 120; ++y)
        for (int x = 10; x < 210; ++x)
            expected.setPixel(x, y, source.pixel((x - 10) / 2, (y - 20) / 2));
    EXPECT_TRUE(samePixels(expected, result));
    EXPECT_EQ(main->Text17->text(), "500");
    EXPECT_EQ(main->Text18->text(), "300");
    const AppState& s = main->document().state;
    EXPECT_EQ(s.RasterCode, 0xCC0020);
    EXPECT_EQ(
        (std::vector<float>{s.SrcY0, s.SrcX0, s.SrcYmax, s.SrcXmax, s.DstY0, s.DstX0, s.DstYmax, s.DstXmax}),
        (std::vector<float>{0, 0, 50, 100, 20, 10, 100, 200}));
}

TEST_F(CopyTest, RasterModesOnWhite) {
    const QImage source = patternPicture(40, 30);
    sourcePicture1(source);
    struct Mode {
        QRadioButton* option;
        std::int32_t code;
        std::function<QRgb(QRgb, QRgb)> op;
    };
    const std::vector<Mode> modes = {
        {main->Option12, 0xCC0020, takeSource},
        {main->Option13, 0x8800C6, [](QRgb d, QRgb s) { return d & s; }},
        {main->Option14, 0x440328, [](QRgb d, QRgb s) { return s & ~d; }},
        {main->Option15, 0x660046, [](QRgb d, QRgb s) { return d ^ s; }},
        {main->Option16, 0xEE0086, [](QRgb d, QRgb s) { return d | s; }},
    };
    fragment("5", "3", "20", "30", "7", "9", "20", "30");
    for (const Mode& m : modes) {
        SCOPED_TRACE(m.option->text().toStdString());
        select(m.option);
        copy();
        EXPECT_EQ(main->document().state.RasterCode, m.code);
        const QImage expected =
            expectedFragment(filled(300, 500, kWhite), source, 3, 5, 30, 20, 9, 7, 30, 20, m.op);
        EXPECT_TRUE(samePixels(expected, destination()->image()));
    }
    // The plain cases in words: And+ draws the fragment unchanged on white, Or leaves white,
    // And-- turns the rectangle black.
    select(main->Option13);
    copy();
    EXPECT_EQ(destination()->image().pixel(9, 7), source.pixel(3, 5));
    select(main->Option16);
    copy();
    EXPECT_EQ(destination()->image().pixel(20, 20) & 0xFFFFFF, 0xFFFFFFu);
    select(main->Option14);
    copy();
    EXPECT_EQ(destination()->image().pixel(38, 26) & 0xFFFFFF, 0u);
}

TEST_F(CopyTest, XorTwiceWithoutClearingRestoresTheDestination) {
    const QImage before = patternPicture(300, 200, 5);
    ASSERT_TRUE(destination()->setPicture(before));
    destination()->line(0, 0, 299, 199, 0x0000FF); // drawings are part of the raster
    const QImage drawn = destination()->image().copy();
    sourcePicture1(patternPicture(60, 40));
    main->Check5->setChecked(false);
    select(main->Option15);
    fragment("0", "0", "40", "60", "-10", "250", "90", "130"); // reaches past two edges
    copy();
    EXPECT_FALSE(samePixels(drawn, destination()->image()));
    copy();
    EXPECT_TRUE(samePixels(drawn, destination()->image()));
    EXPECT_TRUE(fake->messages.shown.empty());
}

TEST_F(CopyTest, FragmentsReachingOutsideEitherPicture) {
    const QImage source = patternPicture(50, 40);
    sourcePicture1(source);
    select(main->Option12);
    struct Case {
        const char* what;
        int sx, sy, sw, sh, dx, dy, dw, dh;
    };
    const std::vector<Case> cases = {
        {"source rectangle past the right and bottom edges", 30, 25, 40, 30, 0, 0, 40, 30},
        {"source rectangle before the left and top edges", -10, -20, 30, 30, 100, 100, 60, 60},
        {"destination past the canvas", 0, 0, 50, 40, 280, 480, 100, 80},
        {"destination before the canvas", 0, 0, 50, 40, -30, -20, 50, 40},
        {"source wholly outside", 500, 500, 10, 10, 0, 0, 10, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fragment(QString::number(c.sy), QString::number(c.sx), QString::number(c.sh), QString::number(c.sw),
                 QString::number(c.dy), QString::number(c.dx), QString::number(c.dh), QString::number(c.dw));
        copy();
        EXPECT_TRUE(fake->messages.shown.empty());
        const QImage expected = expectedFragment(filled(300, 500, kWhite), source, c.sx, c.sy, c.sw, c.sh,
                                                 c.dx, c.dy, c.dw, c.dh, takeSource);
        EXPECT_TRUE(samePixels(expected, destination()->image()));
    }
    // Absurd rectangles draw nothing and break nothing.
    for (const char* size : {"0", "-40", "100000000000000000000", "-100000000000000000000"}) {
        SCOPED_TRACE(size);
        fragment("1000000000", "-1000000000", size, size, "0", "0", size, "100");
        copy();
        EXPECT_TRUE(fake->messages.shown.empty());
        EXPECT_TRUE(samePixels(filled(300, 500, kWhite), destination()->image()));
    }
}

TEST_F(CopyTest, FragmentIntoImageIsRefusedBeforeTheDestinationIsPrepared) {
    const QImage kept = patternPicture(30, 20, 6);
    ASSERT_TRUE(imageWindow(WindowId::Image2)->Image1->setPicture(kept));
    ASSERT_TRUE(imageWindow(WindowId::Image1)->Image1->setPicture(patternPicture(10, 10)));
    select(main->Option3);
    fragment("0", "0", "10", "10", "0", "0", "10", "10");
    main->Check4->setChecked(true);
    main->Text17->setText("77");
    // Visibility of the main window when the message appears.
    struct Watching : FakeMessageBoxes {
        QWidget* main = nullptr;
        std::vector<bool> mainVisible;
        void show(const QString& text, const QString& title) override {
            mainVisible.push_back(main->isVisible());
            FakeMessageBoxes::show(text, title);
        }
    } watching;
    watching.main = main.get();
    Platform p = platform();
    p.messages = &watching;
    installPlatform(p);
    main->show();
    for (QRadioButton* source : {main->Option1, main->Option2, main->Option7, main->Option19}) {
        select(source);
        copy();
    }
    p.messages = &fake->messages;
    installPlatform(p);
    EXPECT_EQ(watching.texts(), QStringList(4, kNoFragmentIntoImage));
    EXPECT_EQ(watching.mainVisible, std::vector<bool>(4, false));
    EXPECT_TRUE(main->isVisible());
    const ImageView* view = imageWindow(WindowId::Image2)->Image1;
    EXPECT_TRUE(samePixels(kept, view->picture()));
    EXPECT_EQ(view->viewHeight(), 20); // not resized to Text17
    EXPECT_FALSE(imageWindow(WindowId::Image2)->isVisible());
    EXPECT_FALSE(fake->busy.busy);
}

TEST_F(CopyTest, BadFieldsFailBeforeTheDestinationIsTouched) {
    const QImage kept = patternPicture(30, 20, 7);
    ASSERT_TRUE(destination()->setPicture(kept));
    sourcePicture1(patternPicture(10, 10));
    struct Case {
        const char* what;
        QLineEdit* field;
        QString text;
        bool setSize;
    };
    const std::vector<Case> cases = {
        {"source X0 is a letter", main->Text2, "a", false},
        {"destination Xmax is empty", main->Text14, "", false},
        {"Height is not a number", main->Text17, "abc", true},
        {"Width is negative", main->Text18, "-5", true},
        {"Height beyond the scroll range", main->Text17, "40000", true},
    };
    for (bool fragmentMode : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            select(fragmentMode ? main->Option11 : main->Option8);
            fake->messages.shown.clear();
            const QString old = c.field->text();
            main->Check4->setChecked(c.setSize);
            c.field->setText(c.text);
            copy();
            c.field->setText(old);
            EXPECT_EQ(messages(), QStringList{kCopyFailed});
            EXPECT_TRUE(samePixels(kept, destination()->image()));
            EXPECT_FALSE(pictureWindow(WindowId::Picture2)->isVisible());
            EXPECT_FALSE(fake->busy.busy);
            EXPECT_TRUE(main->isVisible());
        }
    // The fields before the bad one are stored.
    main->Text1->setText("12");
    main->Text2->setText("a");
    copy();
    EXPECT_EQ(main->document().state.SrcY0, 12.0f);
}

TEST_F(CopyTest, WholeImageIntoPictureFalseWithSetSize) {
    const QImage picture = patternPicture(40, 60);
    ASSERT_TRUE(imageWindow(WindowId::Image1)->Image1->setPicture(picture));
    select(main->Option1);
    select(main->Option5);
    main->Check4->setChecked(true);
    main->Text17->setText("100");
    main->Text18->setText("100");
    copy();
    QImage expected = filled(100, 100, kWhite);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 40; ++x)
            expected.setPixel(x, y, picture.pixel(x, y));
    EXPECT_TRUE(samePixels(expected, destination()->image()));
    EXPECT_EQ(main->Text17->text(), "100");
    EXPECT_EQ(main->Text18->text(), "100");

    // "True": the canvas takes the source's size whatever is set, and never passes through the
    // set size on the way (a huge one would cost gigabytes, or fail the copy).
    select(main->Option6);
    main->Text17->setText("32767");
    main->Text18->setText("32767");
    LargestSize largest;
    destination()->installEventFilter(&largest);
    copy();
    destination()->removeEventFilter(&largest);
    EXPECT_TRUE(messages().isEmpty()) << qPrintable(messages().join(" | "));
    EXPECT_TRUE(samePixels(picture, destination()->image()));
    EXPECT_LE(largest.size.width(), 100);
    EXPECT_LE(largest.size.height(), 100);
    EXPECT_EQ(main->Text17->text(), "60");
    EXPECT_EQ(main->Text18->text(), "40");
}

TEST_F(CopyTest, WholeCopyIntoImage) {
    const QImage picture = patternPicture(40, 60, 8);
    sourcePicture1(picture);
    select(main->Option3);
    main->Text17->setText("11");
    main->Text18->setText("22");
    const ImageView* view = imageWindow(WindowId::Image2)->Image1;
    const QSize design(view->viewWidth(), view->viewHeight());
    copy();
    EXPECT_TRUE(view->stretch());
    EXPECT_EQ(QSize(view->viewWidth(), view->viewHeight()), design);
    EXPECT_TRUE(samePixels(picture, view->picture()));
    EXPECT_TRUE(imageWindow(WindowId::Image2)->isVisible());
    EXPECT_EQ(main->Text17->text(), "11");
    EXPECT_EQ(main->Text18->text(), "22");

    main->Check4->setChecked(true);
    main->Text17->setText("70");
    main->Text18->setText("90");
    copy();
    EXPECT_EQ(QSize(view->viewWidth(), view->viewHeight()), QSize(90, 70));
    EXPECT_TRUE(samePixels(picture, view->picture()));

    select(main->Option5);
    copy();
    EXPECT_EQ(QSize(view->viewWidth(), view->viewHeight()), QSize(40, 60));

    // An Image source never given a picture empties the destination.
    select(main->Option1);
    copy();
    EXPECT_TRUE(view->picture().isNull());
    EXPECT_TRUE(fake->messages.shown.empty());
}

TEST_F(CopyTest, SourcesNeverFilledCopyAsTheirBlankCanvas) {
    select(main->Option19);
    copy();
    const PictureWindowDesign d = pictureDesign(WindowId::MCopy2);
    EXPECT_TRUE(samePixels(filled(d.canvasWidth, d.canvasHeight, kWhite), destination()->image()));
    EXPECT_FALSE(pictureWindow(WindowId::MCopy2)->isVisible());

    // A fragment of an Image that has no picture fails before the destination is cleared.
    const QImage kept = patternPicture(30, 20, 9);
    ASSERT_TRUE(destination()->setPicture(kept));
    select(main->Option1);
    fragment("0", "0", "10", "10", "0", "0", "10", "10");
    copy();
    EXPECT_EQ(messages(), QStringList{kCopyFailed});
    EXPECT_TRUE(samePixels(kept, destination()->image()));
}

TEST_F(CopyTest, WholeCopyWithoutClearingKeepsNothingOfTheOldDrawing) {
    // "All" replaces the destination's picture whatever the raster mode.
    ASSERT_TRUE(destination()->setPicture(filled(300, 500, qRgb(0, 0, 0))));
    const QImage picture = patternPicture(64, 48, 10);
    sourcePicture1(picture);
    main->Check5->setChecked(false);
    select(main->Option15);
    copy();
    EXPECT_TRUE(samePixels(picture, destination()->image()));
}

} // namespace
} // namespace tesmaro::testing
