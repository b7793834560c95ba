// The help window as the user meets it: opened by "About", showing the text from its first paragraph,
// closed by "Закрыть" and rebuilt afresh the next time.
#include "help/AboutWindow.h"

#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

namespace tesmaro::testing {
namespace {

class AboutWindowTest : public ::testing::Test {
protected:
    // Every window discarded as a test ends, with the deletions they posted.
    void TearDown() override {
        about.unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // "About" (the shell's click does just this): shown, raised, created first if need be.
    AboutWindow* openAbout() {
        about.window()->show();
        about.window()->raise();
        AboutWindow* shown = about.existing();
        if (shown) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(shown));
        }
        return shown;
    }
    help::AboutWindowHolder about;

    static int liveAboutWindows() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<AboutWindow*>(w) && !w->property("unloaded").toBool())
                ++n;
        return n;
    }
    // The built text as lines: what the text box must show, one block per line.
    static QStringList builtLines() { return buildHelpText().split(QStringLiteral("\r\n")); }
};

::testing::AssertionResult sameText(const QString& expected, const QString& actual) {
    if (expected == actual)
        return ::testing::AssertionSuccess();
    qsizetype i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        ++i;
    return ::testing::AssertionFailure()
           << "texts differ at character " << i << ": expected \"" << expected.mid(i, 40).toStdString()
           << "\", got \"" << actual.mid(i, 40).toStdString() << "\"";
}

TEST_F(AboutWindowTest, DesignOfTheWindow) {
    AboutWindow* about = openAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->objectName().toStdString(), "frmAbout");
    EXPECT_EQ(about->windowTitle().toStdString(), "About Tesmaro5");
    EXPECT_EQ(about->size(), QSize(423, 237));
    EXPECT_FALSE(about->isModal());

    EXPECT_EQ(about->Text1->geometry(), QRect(0, 0, 421, 193));
    EXPECT_EQ(about->Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(about->Text1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(about->Text1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_FALSE(about->Text1->isReadOnly());

    EXPECT_EQ(about->Command1->text().toStdString(), "Закрыть");
    EXPECT_EQ(about->Command1->geometry(), QRect(336, 216, 81, 17));
    const struct {
        QLabel* label;
        QRect geometry;
    } labels[] = {{about->Label2, QRect(16, 193, 409, 17)},
                  {about->Label3, QRect(24, 207, 305, 17)},
                  {about->Label1, QRect(48, 223, 273, 17)}};
    for (const auto& l : labels) {
        EXPECT_EQ(l.label->geometry(), l.geometry) << l.label->objectName().toStdString();
        EXPECT_FALSE(l.label->text().isEmpty()) << l.label->objectName().toStdString();
        // A one-line label whose text does not fit is cut off on the screen.
        EXPECT_LE(l.label->fontMetrics().horizontalAdvance(l.label->text()), l.geometry.width())
            << l.label->objectName().toStdString() << " \"" << l.label->text().toStdString() << "\"";
    }
}

TEST_F(AboutWindowTest, OpensWithParagraphOneAtTopAndFocusInTheText) {
    AboutWindow* about = openAbout();
    ASSERT_NE(about, nullptr);
    QPlainTextEdit* text = about->Text1;
    EXPECT_EQ(about->focusWidget(), text);
    EXPECT_EQ(text->verticalScrollBar()->value(), 0);
    EXPECT_EQ(text->textCursor().position(), 0);
    const QTextBlock top = text->cursorForPosition(QPoint(2, 2)).block();
    EXPECT_EQ(top.blockNumber(), 0);
    EXPECT_TRUE(top.text().startsWith("    При загрузке программы Вы видите")) << top.text().toStdString();

    // The scroll bar reaches the last paragraph.
    QScrollBar* bar = text->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    const QRect view = text->viewport()->rect();
    const QTextBlock bottom = text->cursorForPosition(QPoint(2, view.height() - 2)).block();
    const int lastParagraphBlock = int(builtLines().size()) - 3; // followed by the empty line and the end
    EXPECT_GE(bottom.blockNumber(), lastParagraphBlock);

    // Tab leaves the text unchanged and moves on to "Закрыть", second in the tab order.
    about->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    text->setFocus();
    const QString before = text->toPlainText();
    QTest::keyClick(text, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), about->Command1);
    EXPECT_TRUE(sameText(before, text->toPlainText()));
}

TEST_F(AboutWindowTest, TextBoxShowsEachLineOfTheBuiltText) {
    AboutWindow* about = openAbout();
    ASSERT_NE(about, nullptr);
    const QStringList lines = builtLines();
    const QTextDocument* doc = about->Text1->document();
    ASSERT_EQ(doc->blockCount(), lines.size());
    int i = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next(), ++i) {
        EXPECT_TRUE(sameText(lines[i], b.text())) << "line " << i;
        EXPECT_FALSE(b.text().contains('\r')) << "line " << i;
    }
    // The empty line between paragraphs shows as a block of its own; paragraphs 3 and 4 are neighbours.
    EXPECT_TRUE(doc->findBlockByNumber(1).text().isEmpty());
    EXPECT_TRUE(doc->findBlockByNumber(5).text().startsWith("     При копировании Вы можете"));
    EXPECT_TRUE(doc->findBlockByNumber(4).text().startsWith("      В этом режиме"));
}

TEST_F(AboutWindowTest, AboutTwiceGivesOneWindowKeepingEdits) {
    AboutWindow* first = openAbout();
    ASSERT_NE(first, nullptr);
    first->Text1->moveCursor(QTextCursor::Start);
    first->Text1->insertPlainText("правка ");
    openAbout();
    EXPECT_EQ(about.existing(), first);
    EXPECT_EQ(liveAboutWindows(), 1);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->Text1->toPlainText().startsWith("правка     При загрузке"));
}

TEST_F(AboutWindowTest, ClosingDiscardsEditsAndTheNextAboutRebuildsTheText) {
    QPointer<AboutWindow> first = openAbout();
    ASSERT_NE(first, nullptr);
    const QString built = first->Text1->toPlainText();
    first->Text1->selectAll();
    first->Text1->insertPlainText("всё стерто");

    QSignalSpy destroyed(first.data(), &QObject::destroyed);
    first->Command1->click();
    EXPECT_FALSE(first && first->isVisible());
    EXPECT_EQ(about.existing(), nullptr);
    ASSERT_TRUE(destroyed.wait());

    AboutWindow* second = openAbout();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(sameText(built, second->Text1->toPlainText()));
    EXPECT_EQ(second->Text1->verticalScrollBar()->value(), 0);

    // The close box unloads it the same way.
    QPointer<AboutWindow> secondGuard = second;
    second->Text1->insertPlainText("x");
    second->close();
    EXPECT_EQ(about.existing(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(secondGuard.isNull());
    AboutWindow* third = openAbout();
    ASSERT_NE(third, nullptr);
    EXPECT_TRUE(sameText(built, third->Text1->toPlainText()));
    EXPECT_EQ(liveAboutWindows(), 1);
}

} // namespace
} // namespace tesmaro::testing
