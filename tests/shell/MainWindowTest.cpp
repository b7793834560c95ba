// The main window as designed: every control's name, container, caption and pixel geometry
// (twips / 15), the window's caption and client size, and every caption and start-up value
// readable within its control in the program's own style and font.
#include "shell/AppStyle.h"
#include "support/AppFixture.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>

#include <cmath>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace tesmaro::testing {
namespace {

struct DesignedControl {
    const char* name;
    const char* container;
    const char* caption;          // null for text boxes, scroll bars and picture boxes
    int left, top, width, height; // twips
};

// The design of frmMain, control by control (picMain, inside picBox, is checked on its own).
const DesignedControl kDesign[] = {
    {"Command1", "frmMain", "Загрузить ", 120, 285, 1335, 255},
    {"Command3", "frmMain", "Копировать из ", 120, 630, 1335, 255},
    {"Command2", "frmMain", "Сохранить из", 120, 975, 1335, 255},
    {"Check6", "frmMain", "Clipboard", 120, 15, 975, 195},
    {"Check4", "frmMain", "Размер задать", 1200, 0, 1455, 255},
    {"Check5", "frmMain", "Очистить приемник", 2760, 15, 1815, 195},
    {"Frame1", "frmMain", "№1", 1560, 210, 1065, 1095},
    {"Option1", "Frame1", "Image", 120, 200, 735, 195},
    {"Option2", "Frame1", "Picture", 120, 410, 855, 195},
    {"Option7", "Frame1", "Screen", 120, 630, 855, 195},
    {"Option19", "Frame1", "MCopy", 120, 850, 855, 195},
    {"Label6", "frmMain", " в", 2640, 400, 135, 255},
    {"Frame2", "frmMain", "№2", 2880, 260, 1695, 460},
    {"Option3", "Frame2", "Image", 80, 240, 855, 200},
    {"Option4", "Frame2", "Picture", 840, 240, 825, 195},
    {"Frame3", "frmMain", "Stretch, AutoSize", 2880, 1245, 1500, 510},
    {"Option5", "Frame3", "False", 80, 280, 735, 195},
    {"Option6", "Frame3", "True", 800, 280, 670, 195},
    {"Frame5", "frmMain", "Copy", 4650, 0, 720, 735},
    {"Option8", "Frame5", "All", 100, 240, 560, 195},
    {"Option11", "Frame5", "X Y", 100, 480, 580, 195},
    {"Frame6", "frmMain", "Copy  As", 4470, 750, 900, 1380},
    {"Option12", "Frame6", "Copy", 120, 220, 735, 195},
    {"Option13", "Frame6", "And+", 120, 450, 735, 195},
    {"Option14", "Frame6", "And--", 120, 680, 735, 195},
    {"Option15", "Frame6", "Xor", 120, 900, 735, 195},
    {"Option16", "Frame6", "Or", 120, 1120, 615, 195},
    {"Text5", "frmMain", nullptr, 3600, 840, 765, 285},
    {"Command6", "frmMain", "About", 1920, 1365, 855, 255},
    {"Command13", "frmMain", "MCopy", 1920, 1680, 855, 255},
    {"Frame4", "frmMain", " MCopy", 1920, 1965, 960, 1050},
    {"Option9", "Frame4", "All  ", 110, 230, 790, 195},
    {"Option10", "Frame4", "XY VB", 110, 480, 780, 225},
    {"Option28", "Frame4", "XY API", 110, 730, 820, 255},
    {"Frame7", "frmMain", "№", 2640, 720, 885, 480},
    {"Option29", "Frame7", "1", 60, 240, 375, 190},
    {"Option30", "Frame7", "2", 420, 240, 375, 190},
    {"Command5", "frmMain", "Реверс Picture №", 2880, 1800, 1500, 255},
    {"Command4", "frmMain", "Выход", 4470, 2820, 855, 255},
    {"Label1", "frmMain", "Y0", 120, 1320, 255, 255},
    {"Text1", "frmMain", nullptr, 480, 1320, 615, 285},
    {"Text11", "frmMain", nullptr, 1200, 1320, 615, 285},
    {"Label2", "frmMain", "X0", 120, 1680, 255, 255},
    {"Text2", "frmMain", nullptr, 480, 1680, 615, 285},
    {"Text12", "frmMain", nullptr, 1200, 1680, 615, 285},
    {"Label3", "frmMain", " Ymax", 0, 2040, 495, 255},
    {"Text3", "frmMain", nullptr, 480, 2040, 615, 285},
    {"Text13", "frmMain", nullptr, 1200, 2040, 615, 285},
    {"Label4", "frmMain", " Xmax", 0, 2400, 495, 255},
    {"Text4", "frmMain", nullptr, 480, 2400, 615, 285},
    {"Text14", "frmMain", nullptr, 1200, 2400, 615, 285},
    {"Label10", "frmMain", "Height", 0, 2760, 495, 255},
    {"Text7", "frmMain", nullptr, 480, 2730, 615, 285},
    {"Text17", "frmMain", nullptr, 1200, 2730, 615, 285},
    {"Label9", "frmMain", "Width", 0, 3120, 495, 255},
    {"Text8", "frmMain", nullptr, 480, 3060, 615, 285},
    {"Text18", "frmMain", nullptr, 1200, 3060, 615, 285},
    {"Label11", "frmMain", "Screen", 1920, 3120, 615, 255},
    {"Text15", "frmMain", nullptr, 2520, 3060, 855, 285},
    {"Label12", "frmMain", "Красный", 3000, 2160, 735, 255},
    {"Text21", "frmMain", nullptr, 3720, 2115, 615, 285},
    {"Label5", "frmMain", "Зеленый", 3000, 2460, 735, 255},
    {"Text22", "frmMain", nullptr, 3720, 2460, 615, 285},
    {"Label8", "frmMain", "Синий", 3120, 2790, 615, 255},
    {"Text23", "frmMain", nullptr, 3720, 2805, 615, 285},
    {"Label13", "frmMain", "Рандомизация", 3480, 3135, 1215, 255},
    {"Text10", "frmMain", nullptr, 4710, 3120, 615, 285},
    {"Frame8", "frmMain", "Редактор     Редактор", 4440, 2280, 1815, 480},
    {"Option20", "Frame8", "On", 120, 220, 510, 195},
    {"Option21", "Frame8", "Off", 1080, 220, 510, 195},
    {"Frame9", "frmMain", "Действия", 5520, 0, 1095, 2130},
    {"Option22", "Frame9", "нет", 120, 230, 735, 195},
    {"Option23", "Frame9", "линия", 120, 460, 855, 195},
    {"Option24", "Frame9", "отрезок", 120, 690, 975, 195},
    {"Option25", "Frame9", "стереть", 120, 920, 975, 195},
    {"Option26", "Frame9", "надпись", 120, 1130, 975, 195},
    {"Option17", "Frame9", "Цвет", 120, 1350, 855, 195},
    {"Option18", "Frame9", "Круг", 120, 1560, 735, 195},
    {"Option27", "Frame9", "Квадрат", 120, 1800, 975, 195},
    {"picBox", "frmMain", nullptr, 6720, 0, 4815, 2775},
    {"VScroll2", "frmMain", nullptr, 11520, 0, 255, 2655},
    {"HScroll2", "frmMain", nullptr, 8760, 2820, 1935, 255},
    {"Picture3", "frmMain", nullptr, 6300, 2400, 355, 355},
    {"Command7", "frmMain", "Цвет", 6360, 2820, 615, 255},
    {"Command11", "frmMain", "Шрифт", 5520, 2820, 735, 255},
    {"HScroll1", "frmMain", nullptr, 5520, 3120, 1095, 270},
    {"Picture4", "frmMain", nullptr, 6720, 3120, 270, 270},
    {"Command8", "frmMain", "Очистить", 7080, 2820, 855, 255},
    {"Text16", "frmMain", nullptr, 7080, 3120, 1695, 270},
    {"Command12", "frmMain", "Pixel", 8040, 2820, 615, 255},
    {"Label7", "frmMain", "D, pixel", 8880, 3150, 615, 255},
    {"Text19", "frmMain", nullptr, 9480, 3120, 375, 285},
    {"Command15", "frmMain", "Вернуть", 9960, 3120, 735, 255},
    {"Command10", "frmMain", "Из Picture", 10800, 2820, 975, 255},
    {"Command9", "frmMain", "в Picture", 10800, 3120, 975, 255},
};

int pixels(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

QString captionOf(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    return {};
}

using MainWindowDesign = AppFixture;

TEST_F(MainWindowDesign, EveryControlHasItsNameContainerCaptionAndGeometry) {
    for (const DesignedControl& c : kDesign) {
        SCOPED_TRACE(c.name);
        const auto found = main->findChildren<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_EQ(found.size(), 1) << "controls named " << c.name;
        const QWidget* w = found.first();
        EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(c.container));
        if (c.caption) {
            EXPECT_EQ(captionOf(w), QString::fromUtf8(c.caption));
        }
        EXPECT_EQ(w->geometry(), QRect(pixels(c.left), pixels(c.top), pixels(c.width), pixels(c.height)));
    }
    EXPECT_EQ(main->picMain->parentWidget()->parentWidget(), main->picBox);
    EXPECT_EQ(main->picMain->pos(), QPoint(0, 0));
    EXPECT_EQ(main->picMain->size(), QSize(300, 150));
}

TEST_F(MainWindowDesign, WindowCaptionIconAndClientArea) {
    const QString caption = QStringLiteral("Tesmaro5   MCopy") + QString(66, ' ') +
                            QStringLiteral("Tesmaro5") + QString(10, ' ') + QStringLiteral("Редактор");
    ASSERT_EQ(caption.size(), 108);
    EXPECT_EQ(main->windowTitle(), caption);
    EXPECT_EQ(main->objectName(), "frmMain");
    EXPECT_EQ(main->size(), QSize(792, 226));
    // The controls do not move when the window is resized.
    const QRect exit = main->Command4->geometry();
    main->resize(500, 400);
    EXPECT_EQ(main->Command4->geometry(), exit);
}

TEST_F(MainWindowDesign, OptionGroupsAreExclusivePerFrame) {
    const QList<QGroupBox*> frames = main->findChildren<QGroupBox*>();
    ASSERT_EQ(frames.size(), 9);
    auto selection = [&] {
        QStringList chosen;
        for (const QGroupBox* f : frames)
            for (const QRadioButton* o : f->findChildren<QRadioButton*>())
                if (o->isChecked())
                    chosen << o->objectName();
        return chosen;
    };
    for (QGroupBox* frame : frames) {
        for (QRadioButton* option : frame->findChildren<QRadioButton*>()) {
            SCOPED_TRACE(option->objectName().toStdString());
            const QStringList before = selection();
            option->setChecked(true);
            const QStringList after = selection();
            ASSERT_EQ(after.size(), before.size()) << "one choice per frame";
            for (const QRadioButton* other : frame->findChildren<QRadioButton*>())
                EXPECT_EQ(other->isChecked(), other == option) << other->objectName().toStdString();
            // The other frames keep their choices.
            for (const QString& name : before)
                if (!frame->findChild<QRadioButton*>(name)) {
                    EXPECT_TRUE(after.contains(name)) << name.toStdString();
                }
        }
    }
}

// In the program's style and font, with the start-up values of a 1024 x 768 screen.
class MainWindowLook : public AppFixture {
protected:
    void SetUp() override {
        static const bool styled = (AppStyle::apply(), true);
        (void)styled;
        AppFixture::SetUp();
    }
};

// Width a control needs to show its whole caption or text, by the style's own metrics.
int neededWidth(const QWidget* w, QString* text) {
    const QStyle* st = w->style();
    const QFontMetrics fm(w->font());
    if (auto* o = qobject_cast<const QRadioButton*>(w)) {
        *text = o->text();
        return st->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
               st->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w) + fm.horizontalAdvance(*text);
    }
    if (auto* c = qobject_cast<const QCheckBox*>(w)) {
        *text = c->text();
        return st->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
               st->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w) + fm.horizontalAdvance(*text);
    }
    if (auto* b = qobject_cast<const QPushButton*>(w)) {
        *text = b->text();
        return fm.horizontalAdvance(*text) + 2 * st->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
    }
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        *text = l->text();
        return fm.horizontalAdvance(*text);
    }
    if (auto* g = qobject_cast<const QGroupBox*>(w)) {
        *text = g->title();
        QStyleOptionGroupBox opt;
        opt.initFrom(g);
        opt.text = *text;
        opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        return st->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g).right() + 1;
    }
    if (auto* e = qobject_cast<const QLineEdit*>(w)) {
        *text = e->text();
        QStyleOptionFrame opt;
        opt.initFrom(e);
        opt.lineWidth = st->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e);
        const QRect contents = st->subElementRect(QStyle::SE_LineEditContents, &opt, e);
        // A line edit keeps 2 pixels on each side of its text and 1 for the cursor.
        return fm.horizontalAdvance(*text) + (e->width() - contents.width()) + 2 * 2 + 1;
    }
    return 0;
}

TEST_F(MainWindowLook, EveryCaptionAndStartUpValueFitsItsControl) {
    int checked = 0;
    for (const QWidget* w : main->findChildren<QWidget*>()) {
        QString text;
        const int needed = neededWidth(w, &text);
        if (text.isEmpty())
            continue;
        ++checked;
        // A control inside a frame is cut at the frame's inner edge.
        int room = w->width();
        if (qobject_cast<const QGroupBox*>(w->parentWidget()))
            room = std::min(room, w->parentWidget()->width() - 1 - w->x());
        EXPECT_LE(needed, room) << w->objectName().toStdString() << " \"" << text.toStdString() << "\"";
    }
    EXPECT_GT(checked, 80);
    // The screen-size field shows the common screens whole, not only the one of the fixture.
    for (const char* size : {"768 * 1024", "1080 * 1920", "1200 * 1920"}) {
        main->Text15->setText(size);
        QString text;
        EXPECT_LE(neededWidth(main->Text15, &text), main->Text15->width()) << size;
    }
}

TEST_F(MainWindowLook, ControlFontHasCyrillicAndFitsTheRows) {
    const QFont font = main->Command4->font();
    EXPECT_EQ(font.pixelSize(), 12);
    const QFontMetrics fm(font);
    for (const QChar c : QStringLiteral("ЗагрузитьКопироватьРедакторДействияйЁщЖ"))
        EXPECT_TRUE(fm.inFont(c)) << "no glyph for U+" << std::hex << int(c.unicode());
    // Text boxes are 19 pixels high with a 1-pixel margin inside their frame.
    EXPECT_LE(fm.height(), pixels(285) - 4);
}

} // namespace
} // namespace tesmaro::testing
