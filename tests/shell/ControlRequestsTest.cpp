// What the panel's controls mean, as each command's request: one table per command, written from
// the description of the controls (which option chooses what, which field is read as which
// number, which settings are refused with which message), not from the reading code.
#include "shell/ControlRequests.h"
#include "support/AppFixture.h"

#include <QRadioButton>

#include <functional>
#include <optional>

namespace tesmaro::testing {
namespace {

using transfer::CopyTarget;
using transfer::LoadTarget;
using transfer::SourceWindow;

// What a checked value gives the command that takes it: the value, or the message its failure
// shows (empty: the command's own failure message).
template <typename T> struct Taken {
    std::optional<T> value;
    std::optional<QString> message;
};
template <typename T> Taken<T> take(const Checked<T>& c) {
    try {
        return {c.get(), std::nullopt};
    } catch (const CommandFailure& f) {
        return {std::nullopt, f.message().value_or(QString())};
    }
}

class ControlRequests : public AppFixture {
protected:
    void set(std::initializer_list<QRadioButton*> options) {
        for (QRadioButton* o : options)
            o->setChecked(true);
    }
};

TEST_F(ControlRequests, Load) {
    struct Row {
        const char* what;
        std::function<void(MainWindow&)> settings;
        std::optional<LoadTarget> target; // nullopt: refused with `refusal`
        QString refusal;
        bool clipboard;
    };
    const QString screenClip = "Загрузка Screen не производится из Clipboard";
    const QString mcopy = "Загрузка в MCopy не производится ";
    const std::vector<Row> rows = {
        {"start-up: Screen, file", [](MainWindow&) {}, LoadTarget::Screen, {}, false},
        {"Screen from the clipboard", [](MainWindow& w) { w.Check6->setChecked(true); }, std::nullopt,
         screenClip, true},
        {"Picture, file", [](MainWindow& w) { w.Option2->setChecked(true); }, LoadTarget::Picture, {}, false},
        {"Picture, clipboard",
         [](MainWindow& w) {
             w.Option2->setChecked(true);
             w.Check6->setChecked(true);
         },
         LoadTarget::Picture,
         {},
         true},
        {"Image, file", [](MainWindow& w) { w.Option1->setChecked(true); }, LoadTarget::Image, {}, false},
        {"MCopy, file", [](MainWindow& w) { w.Option19->setChecked(true); }, std::nullopt, mcopy, false},
        {"MCopy, clipboard",
         [](MainWindow& w) {
             w.Option19->setChecked(true);
             w.Check6->setChecked(true);
         },
         std::nullopt, mcopy, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        main = startMainWindow();
        row.settings(*main);
        const transfer::LoadRequest r = requests::load(*main);
        const Taken<LoadTarget> target = take(r.target);
        EXPECT_EQ(target.value, row.target);
        if (!row.target) {
            EXPECT_EQ(target.message, row.refusal);
        }
        EXPECT_EQ(r.fromClipboard, row.clipboard);
        EXPECT_FALSE(r.imposedSize) << "\"Размер задать\" is off at start-up";
        EXPECT_EQ(r.fit, true) << "\"True\" at start-up";
        EXPECT_FALSE(r.file);
    }
}

// "Размер задать" with the Height and Width fields of a column: each a number taken to the
// nearest whole pixel (halves to even) within 0..32767, height first; anything else fails the
// command with its own message when it gets there.
TEST_F(ControlRequests, ImposedSizesOfBothColumns) {
    struct Row {
        const char* height;
        const char* width;
        std::optional<QSize> size;
    };
    const std::vector<Row> rows = {
        {"100", "50", QSize(50, 100)},  {" 12,5 ", "7.5", QSize(8, 12)},
        {"0", "0", QSize(0, 0)},        {"32767", "32767.4", QSize(32767, 32767)},
        {"32767.5", "1", std::nullopt}, {"-1", "5", std::nullopt},
        {"-0.4", "5", QSize(5, 0)},     {"abc", "5", std::nullopt},
        {"5", "", std::nullopt},        {"1e3", "5", std::nullopt},
        {"40000", "5", std::nullopt},
    };
    main->Check4->setChecked(true);
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.height) + " x " + row.width);
        main->Text7->setText(row.height);
        main->Text8->setText(row.width);
        main->Text17->setText(row.height);
        main->Text18->setText(row.width);
        const auto load = requests::load(*main).imposedSize;
        const auto copy = requests::copy(*main).imposedSize;
        const auto transfer = requests::draftTransfer(*main).imposedSize;
        for (const auto& imposed : {load, copy, transfer}) {
            ASSERT_TRUE(imposed);
            const Taken<QSize> size = take(*imposed);
            EXPECT_EQ(size.value, row.size);
            if (!row.size) {
                EXPECT_EQ(size.message, QString()) << "the command's own message";
            }
        }
    }
    // The source column for a load, the destination column for a copy and the transfers.
    main->Text7->setText("10");
    main->Text8->setText("20");
    main->Text17->setText("30");
    main->Text18->setText("40");
    EXPECT_EQ(requests::load(*main).imposedSize->get(), QSize(20, 10));
    EXPECT_EQ(requests::copy(*main).imposedSize->get(), QSize(40, 30));
    EXPECT_EQ(requests::draftTransfer(*main).imposedSize->get(), QSize(40, 30));
}

TEST_F(ControlRequests, Copy) {
    struct Row {
        const char* what;
        std::vector<QRadioButton*> options;
        SourceWindow source;
        std::optional<CopyTarget> target; // nullopt: refused
        bool fragment;
        std::int32_t rasterCode;
        std::optional<bool> fit;
    };
    MainWindow& w = *main;
    const std::vector<Row> rows = {
        {"start-up", {}, SourceWindow::Screen, CopyTarget::Picture, false, 0x8800C6, true},
        {"Image to Image, Copy",
         {w.Option1, w.Option3, w.Option12},
         SourceWindow::Image,
         CopyTarget::Image,
         false,
         0xCC0020,
         true},
        {"Picture, X Y, And--",
         {w.Option2, w.Option11, w.Option14},
         SourceWindow::Picture,
         CopyTarget::Picture,
         true,
         0x440328,
         true},
        {"MCopy, Xor, False",
         {w.Option19, w.Option15, w.Option5},
         SourceWindow::MCopy,
         CopyTarget::Picture,
         false,
         0x660046,
         false},
        {"X Y into Image is refused",
         {w.Option7, w.Option11, w.Option3, w.Option16},
         SourceWindow::Screen,
         std::nullopt,
         true,
         0xEE0086,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        set({w.Option7, w.Option4, w.Option8, w.Option13, w.Option6});
        for (QRadioButton* o : row.options)
            o->setChecked(true);
        const transfer::CopyRequest r = requests::copy(w);
        EXPECT_EQ(r.source, row.source);
        const Taken<CopyTarget> target = take(r.target);
        EXPECT_EQ(target.value, row.target);
        if (!row.target) {
            EXPECT_EQ(target.message, QString("в Image нельзя скопировать выборочно "));
        }
        EXPECT_EQ(r.fragment, row.fragment);
        EXPECT_EQ(r.rasterCode, row.rasterCode);
        EXPECT_EQ(r.fit, row.fit);
        EXPECT_TRUE(r.clearTarget);
    }
    w.Check5->setChecked(false);
    EXPECT_FALSE(requests::copy(w).clearTarget);

    // The fragment: left column the source, right the destination, each Y0, X0, Ymax, Xmax, as
    // single-precision numbers; a field that is not a number fails at that field.
    const char* texts[] = {"1", "2,5", "-3", "4e", "5", "6", " 7 ", "8.25"};
    QLineEdit* fields[] = {w.Text1, w.Text2, w.Text3, w.Text4, w.Text11, w.Text12, w.Text13, w.Text14};
    for (int i = 0; i < 8; ++i)
        fields[i]->setText(texts[i]);
    const FragmentFields f = requests::copy(w).fields;
    EXPECT_EQ(take(f.srcY0).value, 1.0f);
    EXPECT_EQ(take(f.srcX0).value, 2.5f);
    EXPECT_EQ(take(f.srcYmax).value, -3.0f);
    EXPECT_FALSE(take(f.srcXmax).value);
    EXPECT_EQ(take(f.dstY0).value, 5.0f);
    EXPECT_EQ(take(f.dstX0).value, 6.0f);
    EXPECT_EQ(take(f.dstYmax).value, 7.0f);
    EXPECT_EQ(take(f.dstXmax).value, 8.25f);
}

TEST_F(ControlRequests, Save) {
    MainWindow& w = *main;
    struct Row {
        const char* what;
        std::vector<QRadioButton*> options;
        bool second;
        SourceWindow source;
    };
    const std::vector<Row> rows = {
        {"start-up: number 1, Screen", {}, false, SourceWindow::Screen},
        {"number 2 with Picture", {w.Option30, w.Option2}, true, SourceWindow::Picture},
        {"number 2 with MCopy (the Image destination)", {w.Option30, w.Option19}, true, SourceWindow::MCopy},
        {"number 1, Image", {w.Option29, w.Option1}, false, SourceWindow::Image},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        set({w.Option29, w.Option7});
        for (QRadioButton* o : row.options)
            o->setChecked(true);
        const transfer::SaveRequest r = requests::save(w);
        EXPECT_EQ(r.second, row.second);
        EXPECT_EQ(r.source, row.source);
        EXPECT_EQ(take(r.name).value, QString("Tes"));
        EXPECT_FALSE(r.toClipboard);
    }
    w.Text5->setText("");
    w.Check6->setChecked(true);
    const transfer::SaveRequest empty = requests::save(w);
    EXPECT_EQ(take(empty.name).message, QString("Нет имени файла"));
    EXPECT_TRUE(empty.toClipboard);
    w.Text5->setText(" a.b ");
    EXPECT_EQ(take(requests::save(w).name).value, QString(" a.b ")) << "as typed";
}

TEST_F(ControlRequests, Multicopy) {
    MainWindow& w = *main;
    const resize::MulticopyRequest start = requests::multicopy(w);
    EXPECT_EQ(take(start.height).value, 768); // the screen of the platform double
    EXPECT_EQ(take(start.width).value, 1024);
    EXPECT_EQ(take(start.randomPercent).value, 0.0f);
    EXPECT_EQ(take(start.redPercent).value, 100);
    EXPECT_EQ(take(start.greenPercent).value, 100);
    EXPECT_EQ(take(start.bluePercent).value, 100);
    EXPECT_EQ(start.mode, resize::MulticopyMode::All);
    EXPECT_EQ(start.rasterCode, 0x8800C6);
    EXPECT_TRUE(start.clearResult);

    struct Row {
        const char* field;
        QLineEdit* edit;
        const char* text;
        std::optional<long long> value; // nullopt: fails the run at that field
    };
    const std::vector<Row> rows = {
        {"Height 2.5 halves to even", w.Text17, "2.5", 2},
        {"Height 3.5", w.Text17, "3.5", 4},
        {"Height beyond 32 bits", w.Text17, "2147483648", {}},
        {"Width -2147483648", w.Text18, "-2147483648", -2147483648LL},
        {"Width text", w.Text18, "x", {}},
        {"Red 32767", w.Text21, "32767", 32767},
        {"Red 32768 is beyond 16 bits", w.Text21, "32768", {}},
        {"Green -32768", w.Text22, "-32768", -32768},
        {"Blue empty", w.Text23, "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field);
        const QString before = row.edit->text();
        row.edit->setText(row.text);
        const resize::MulticopyRequest r = requests::multicopy(w);
        std::optional<long long> got;
        if (row.edit == w.Text17)
            got = take(r.height).value;
        else if (row.edit == w.Text18)
            got = take(r.width).value;
        else if (row.edit == w.Text21)
            got = take(r.redPercent).value;
        else if (row.edit == w.Text22)
            got = take(r.greenPercent).value;
        else
            got = take(r.bluePercent).value;
        EXPECT_EQ(got, row.value);
        row.edit->setText(before);
    }
    w.Text10->setText("-2,25");
    EXPECT_EQ(take(requests::multicopy(w).randomPercent).value, -2.25f);

    set({w.Option10});
    EXPECT_EQ(requests::multicopy(w).mode, resize::MulticopyMode::PixelAccess);
    set({w.Option28});
    EXPECT_EQ(requests::multicopy(w).mode, resize::MulticopyMode::Dib);
    // A check box in its third state is not 0: it clears.
    w.Check5->setTristate(true);
    w.Check5->setCheckState(Qt::PartiallyChecked);
    EXPECT_TRUE(requests::multicopy(w).clearResult);
    w.Check5->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(requests::multicopy(w).clearResult);
}

TEST_F(ControlRequests, EditorTools) {
    MainWindow& w = *main;
    using editor::Tool;
    const std::vector<std::pair<QRadioButton*, Tool>> rows = {
        {w.Option22, Tool::None},   {w.Option23, Tool::Line},   {w.Option24, Tool::Segment},
        {w.Option25, Tool::Eraser}, {w.Option26, Tool::Label},  {w.Option17, Tool::PickColour},
        {w.Option18, Tool::Circle}, {w.Option27, Tool::Square},
    };
    for (const auto& [option, tool] : rows) {
        SCOPED_TRACE(option->text().toStdString());
        option->setChecked(true);
        EXPECT_EQ(requests::tool(w), tool);
        EXPECT_EQ(requests::toolPress(w).tool, tool);
    }
    const editor::ToolRequest r = requests::toolPress(w);
    EXPECT_EQ(r.labelText, "    текст надписи");
    EXPECT_EQ(take(r.dotDiameter).value, 5);
    for (const auto& [text, value] : std::vector<std::pair<const char*, std::optional<int>>>{
             {"4.5", 4}, {"-7", -7}, {"32768", std::nullopt}, {"", std::nullopt}, {"d", std::nullopt}}) {
        w.Text19->setText(text);
        EXPECT_EQ(take(requests::toolPress(w).dotDiameter).value, value) << text;
    }
}

TEST_F(ControlRequests, TransfersAndPixel) {
    MainWindow& w = *main;
    const editor::TransferRequest start = requests::draftTransfer(w);
    EXPECT_FALSE(start.fragment);
    EXPECT_FALSE(start.second);
    EXPECT_TRUE(start.clearReceiver);
    EXPECT_EQ(start.fit, true);
    EXPECT_EQ(start.rasterCode, 0x8800C6);
    EXPECT_FALSE(start.imposedSize);
    set({w.Option11, w.Option30, w.Option5, w.Option12});
    w.Check5->setChecked(false);
    const editor::TransferRequest r = requests::draftTransfer(w);
    EXPECT_TRUE(r.fragment);
    EXPECT_TRUE(r.second);
    EXPECT_FALSE(r.clearReceiver);
    EXPECT_EQ(r.fit, false);
    EXPECT_EQ(r.rasterCode, 0xCC0020);
    EXPECT_TRUE(requests::secondPicture(w));

    // "Pixel": row from the destination Y0, column from the destination X0.
    w.Text11->setText("3,5");
    w.Text12->setText("x");
    const editor::PixelRequest p = requests::pixel(w);
    EXPECT_EQ(take(p.y0).value, 3.5f);
    EXPECT_FALSE(take(p.x0).value);
}

} // namespace
} // namespace tesmaro::testing
