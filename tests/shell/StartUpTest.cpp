// Start-up (Form_Load): the fields from the screen size, the fixed initial values and
// selections, the timers, and the hint the draft pad shows without any user action.
#include "support/AppFixture.h"

#include <QFontMetrics>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace tesmaro::testing {
namespace {

using StartUp = AppFixture; // a 1024 x 768 screen

TEST_F(StartUp, FieldsOfA1024By768Screen) {
    const MainWindow& w = *main;
    for (const QLineEdit* e : {w.Text3, w.Text13, w.Text7, w.Text17})
        EXPECT_EQ(e->text(), "768") << e->objectName().toStdString();
    for (const QLineEdit* e : {w.Text4, w.Text14, w.Text8, w.Text18})
        EXPECT_EQ(e->text(), "1024") << e->objectName().toStdString();
    for (const QLineEdit* e : {w.Text1, w.Text2, w.Text11, w.Text12, w.Text10})
        EXPECT_EQ(e->text(), "0") << e->objectName().toStdString();
    for (const QLineEdit* e : {w.Text21, w.Text22, w.Text23})
        EXPECT_EQ(e->text(), "100") << e->objectName().toStdString();
    EXPECT_EQ(w.Text19->text(), "5");
    EXPECT_EQ(w.Text5->text(), "Tes");
    EXPECT_EQ(w.Text16->text(), "    текст надписи");
    // Height first.
    EXPECT_EQ(w.Text15->text(), "768 * 1024");
    EXPECT_EQ(w.document().state.strWork, "768 * 1024");
    EXPECT_EQ(w.document().state.rcDesktop.left, 0);
    EXPECT_EQ(w.document().state.rcDesktop.top, 0);
    EXPECT_EQ(w.document().state.rcDesktop.right, 1024);
    EXPECT_EQ(w.document().state.rcDesktop.bottom, 768);
}

TEST_F(StartUp, InitialSelectionsChecksTimersAndLineWidth) {
    const MainWindow& w = *main;
    const QList<const QAbstractButton*> selected = {w.Option7, w.Option4,  w.Option6,  w.Option8, w.Option13,
                                                    w.Option9, w.Option29, w.Option21, w.Option22};
    for (const QRadioButton* o : main->findChildren<QRadioButton*>())
        EXPECT_EQ(o->isChecked(), selected.contains(o)) << o->objectName().toStdString();
    EXPECT_TRUE(w.Check5->isChecked());
    EXPECT_FALSE(w.Check4->isChecked());
    EXPECT_FALSE(w.Check6->isChecked());

    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.Timer1->interval(), 500);
    EXPECT_FALSE(w.Timer2->isActive());
    EXPECT_EQ(w.Timer2->interval(), 10);

    EXPECT_EQ(w.HScroll1->minimum(), 1);
    EXPECT_EQ(w.HScroll1->maximum(), 15);
    EXPECT_EQ(w.HScroll1->value(), 1);
    // Start-up shows nothing but the main window and asks nothing.
    EXPECT_TRUE(fake->messages.shown.empty());
    for (WindowId id : kEveryWindow)
        EXPECT_FALSE(currentDocument()->exists(id));
    EXPECT_EQ(main->about.existing(), nullptr);
}

bool isWhite(QRgb p) {
    return (p & 0xFFFFFF) == 0xFFFFFF;
}

TEST_F(StartUp, DraftPadShowsTheHintAboutItsSize) {
    const QImage pad = currentDocument()->pad().image();
    ASSERT_EQ(pad.size(), QSize(300, 150));
    const QFontMetrics fm(currentDocument()->pad().drawFont());
    const int lineHeight = fm.height();
    // Twelve blanks lead the text: the columns they cover stay white.
    const int blanks = fm.horizontalAdvance(QString(12, ' '));
    int inked = 0, firstInkedColumn = pad.width();
    for (int y = 0; y < pad.height(); ++y)
        for (int x = 0; x < pad.width(); ++x)
            if (!isWhite(pad.pixel(x, y))) {
                ASSERT_LT(y, lineHeight) << "ink below the first text line at (" << x << ", " << y << ")";
                ++inked;
                firstInkedColumn = std::min(firstInkedColumn, x);
            }
    // "размер этого белого окна 150 * 300 пикселей" is 43 characters of ink.
    EXPECT_GT(inked, 150);
    EXPECT_GE(firstInkedColumn, blanks - 1);
    EXPECT_LT(firstInkedColumn, blanks + fm.horizontalAdvance("р"));

    // Visible on the first showing, with no user action.
    main->show();
    const QImage shown = main->picMain->grab().toImage();
    EXPECT_TRUE(samePixels(pad, shown.convertToFormat(QImage::Format_RGB32)));
}

class StartUpOnScreen : public AppFixture {
protected:
    explicit StartUpOnScreen(QSize size) : m_size(size) {}
    void configurePlatform(FakePlatform& p) override { p.screen.screenSize = m_size; }
    QSize m_size;
};

class StartUpOnEmptyScreen : public StartUpOnScreen {
protected:
    StartUpOnEmptyScreen() : StartUpOnScreen(QSize(0, 0)) {}
};
class StartUpOnUnreadableScreen : public StartUpOnScreen {
protected:
    StartUpOnUnreadableScreen() : StartUpOnScreen(QSize()) {}
};
class StartUpOnWideScreen : public StartUpOnScreen {
protected:
    StartUpOnWideScreen() : StartUpOnScreen(QSize(1920, 1080)) {}
};

void expectScreenFields(const MainWindow& w, const char* height, const char* width, const char* both) {
    for (const QLineEdit* e : {w.Text3, w.Text13, w.Text7, w.Text17})
        EXPECT_EQ(e->text(), height) << e->objectName().toStdString();
    for (const QLineEdit* e : {w.Text4, w.Text14, w.Text8, w.Text18})
        EXPECT_EQ(e->text(), width) << e->objectName().toStdString();
    EXPECT_EQ(w.Text15->text(), both);
    EXPECT_EQ(w.document().state.strWork, both);
}

TEST_F(StartUpOnEmptyScreen, SizeFieldsReadZero) {
    expectScreenFields(*main, "0", "0", "0 * 0");
    EXPECT_TRUE(fake->messages.shown.empty());
}

TEST_F(StartUpOnUnreadableScreen, DesktopRectangleStaysZero) {
    expectScreenFields(*main, "0", "0", "0 * 0");
    EXPECT_EQ(main->document().state.rcDesktop.right, 0);
    EXPECT_EQ(main->document().state.rcDesktop.bottom, 0);
    EXPECT_TRUE(fake->messages.shown.empty());
}

TEST_F(StartUpOnWideScreen, HeightComesFirst) {
    expectScreenFields(*main, "1080", "1920", "1080 * 1920");
}

} // namespace
} // namespace tesmaro::testing
