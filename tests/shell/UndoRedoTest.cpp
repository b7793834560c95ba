// Undo and redo through the real panel: every kind of step goes back and comes again pixel for
// pixel (pictures, sizes, scroll bars, titles, windows shown), a command that fails part-way is
// a step too, a step that changes nothing is none, and a new step clears what could be redone.
#include "EditorTestSupport.h"
#include "TransferFixture.h"
#include "pictures/BmpFile.h"
#include "support/SceneSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>

namespace tesmaro::testing {
namespace {

class UndoRedo : public TransferFixture {
protected:
    enum class Tool { Line, Segment, Eraser, Label, Circle, Square, Pick };

    void SetUp() override {
        TransferFixture::SetUp();
        main->show();
        fake->screen.desktop = patternPicture(1024, 768, 9);
        fake->clipboard.content = patternPicture(60, 45, 5);
    }
    Scene scene() const { return captureScene(main->document()); }
    int undoSteps() const { return main->history().undoSteps(); }

    // The action makes exactly one step; undo, redo, undo and redo again show the scenes
    // before and after it exactly.
    void roundTrip(const std::function<void()>& action) {
        const Scene before = scene();
        const int steps = undoSteps();
        action();
        ASSERT_FALSE(main->runner().commandOpen());
        ASSERT_EQ(undoSteps(), steps + 1) << "one step";
        EXPECT_EQ(main->history().redoSteps(), 0);
        const Scene after = scene();
        ASSERT_FALSE(sameScene(before, after)) << "the action changed nothing";
        for (int twice = 0; twice < 2; ++twice) {
            ASSERT_TRUE(main->runner().undo());
            EXPECT_TRUE(sameScene(before, scene())) << "after undo";
            ASSERT_TRUE(main->runner().redo());
            EXPECT_TRUE(sameScene(after, scene())) << "after redo";
        }
    }
    // The action changes nothing the history covers, and records nothing.
    void noStep(const std::function<void()>& action) {
        const Scene before = scene();
        const int steps = undoSteps();
        action();
        EXPECT_EQ(undoSteps(), steps);
        EXPECT_TRUE(sameScene(before, scene()));
    }

    void loadIntoPicture1(const QImage& picture) {
        select(main->Option2);
        main->Check6->setChecked(false);
        chooseFile(pictureFile(picture, QString("p%1.png").arg(++m_files)));
        main->Command1->click();
        ASSERT_TRUE(fake->messages.shown.empty());
    }
    void screenLoad() {
        select(main->Option7);
        main->Check6->setChecked(false);
        main->Command1->click();
        main->Timer1_Timer();
    }
    void fragmentFields(std::initializer_list<const char*> values) {
        QLineEdit* fields[] = {main->Text1,  main->Text2,  main->Text3,  main->Text4,
                               main->Text11, main->Text12, main->Text13, main->Text14};
        int i = 0;
        for (const char* v : values)
            fields[i++]->setText(v);
    }
    void stroke(Canvas* c, Tool t, std::initializer_list<QPoint> points) {
        selectTool(t);
        auto p = points.begin();
        press(c, kLeftButton, p->x(), p->y());
        for (++p; p != points.end(); ++p)
            moveTo(c, kLeftButton, p->x(), p->y());
        release(c, kLeftButton, (points.end() - 1)->x(), (points.end() - 1)->y());
    }
    void selectTool(Tool t) {
        QRadioButton* options[] = {main->Option23, main->Option24, main->Option25, main->Option26,
                                   main->Option18, main->Option27, main->Option17};
        options[static_cast<int>(t)]->setChecked(true);
    }
    Canvas* pad() { return &main->document().pad(); }

private:
    int m_files = 0;
};

TEST_F(UndoRedo, Loads) {
    // Into a window that did not exist: undo takes it away again.
    roundTrip([&] { loadIntoPicture1(patternPicture(70, 40, 1)); });
    EXPECT_TRUE(pictureWindow(WindowId::Picture1)->isVisible());
    roundTrip([&] { loadIntoPicture1(patternPicture(33, 90, 2)); });
    // Into Image, stretched and not.
    roundTrip([&] {
        select(main->Option1);
        chooseFile(pictureFile(patternPicture(50, 20, 3), "image.png"));
        main->Command1->click();
    });
    roundTrip([&] {
        select(main->Option5);
        main->Check4->setChecked(true);
        main->Text7->setText("12");
        main->Text8->setText("30");
        chooseFile(pictureFile(patternPicture(20, 50, 4), "image2.png"));
        main->Command1->click();
        main->Check4->setChecked(false);
        select(main->Option6);
    });
    // The clipboard and the screen snapshot (which replaces frmTemp by a fresh window).
    roundTrip([&] {
        select(main->Option2);
        main->Check6->setChecked(true);
        main->Command1->click();
        main->Check6->setChecked(false);
    });
    roundTrip([&] { screenLoad(); });
    fake->screen.desktop = patternPicture(1024, 768, 10);
    roundTrip([&] { screenLoad(); });
    // The same screen again shows nothing new: no step.
    noStep([&] { screenLoad(); });
    EXPECT_TRUE(fake->messages.shown.empty());
}

TEST_F(UndoRedo, CopiesWholeAndFragments) {
    loadIntoPicture1(patternPicture(80, 60, 1));
    select(main->Option2);
    roundTrip([&] { main->Command3->click(); }); // whole, into Picture2 (created)
    // A fragment drawn over what Picture2 shows, without clearing it, in each raster mode.
    select(main->Option11);
    main->Check5->setChecked(false);
    fragmentFields({"5", "10", "20", "30", "3", "4", "40", "60"});
    for (QRadioButton* mode :
         {main->Option12, main->Option13, main->Option14, main->Option15, main->Option16}) {
        select(main->Option8); // Picture2 shows the whole picture again
        main->Command3->click();
        select(main->Option11);
        select(mode);
        roundTrip([&] { main->Command3->click(); });
    }
    // Cleared first, and into Image.
    main->Check5->setChecked(true);
    roundTrip([&] { main->Command3->click(); });
    select(main->Option8);
    select(main->Option3);
    roundTrip([&] { main->Command3->click(); });
    EXPECT_TRUE(fake->messages.shown.empty());
}

TEST_F(UndoRedo, MulticopyInEachModeAndTheMirror) {
    ASSERT_TRUE(saveBmpFile(patternPicture(90, 70, 6), tempBmp()));
    main->Text17->setText("50");
    main->Text18->setText("80");
    main->Text10->setText("3");
    for (QRadioButton* mode : {main->Option9, main->Option10, main->Option28}) {
        select(mode);
        roundTrip([&] { main->Command13->click(); });
    }
    // Without clearing, "All" combines with what the result shows.
    main->Check5->setChecked(false);
    select(main->Option9);
    roundTrip([&] { main->Command13->click(); });
    EXPECT_TRUE(fake->messages.shown.empty());

    loadIntoPicture1(patternPicture(41, 23, 7));
    roundTrip([&] { main->Command5->click(); });
    // A blank window mirrored shows the same: no step.
    main->Option30->setChecked(true);
    noStep([&] { main->Command5->click(); });
}

TEST_F(UndoRedo, EveryToolOnThePadAndOnAPictureWindow) {
    loadIntoPicture1(patternPicture(200, 150, 8));
    main->Text19->setText("12");
    main->HScroll1->setValue(3);
    for (Canvas* c : {pad(), pictureWindow(WindowId::Picture1)->picMain}) {
        roundTrip([&] { stroke(c, Tool::Line, {{10, 10}, {60, 30}, {90, 80}, {20, 100}}); });
        roundTrip([&] { stroke(c, Tool::Segment, {{5, 90}, {140, 12}}); });
        roundTrip([&] { stroke(c, Tool::Eraser, {{35, 20}, {60, 30}, {75, 55}}); }); // over the line
        roundTrip([&] { stroke(c, Tool::Label, {{15, 40}}); });
        roundTrip([&] { stroke(c, Tool::Circle, {{70, 70}}); });
        roundTrip([&] { stroke(c, Tool::Square, {{100, 50}}); });
    }
    // The colour pick changes the pen, not a picture.
    noStep([&] { stroke(pad(), Tool::Pick, {{20, 20}}); });
    EXPECT_TRUE(fake->messages.shown.empty());
}

TEST_F(UndoRedo, ClearTransfersReturnAndPixel) {
    loadIntoPicture1(patternPicture(120, 90, 2));
    stroke(pad(), Tool::Line, {{0, 0}, {100, 100}});
    roundTrip([&] { main->Command8->click(); }); // "Очистить"
    select(main->Option11);
    fragmentFields({"10", "20", "30", "40", "0", "0", "120", "160"});
    roundTrip([&] { main->Command10->click(); }); // "Из Picture", the pad grows its bars' ranges
    roundTrip([&] { main->Command9->click(); });  // "в Picture"
    stroke(pad(), Tool::Line, {{0, 5}, {150, 5}});
    roundTrip([&] { main->Command15->click(); }); // "Вернуть"
    main->Text11->setText("7");
    main->Text12->setText("9");
    roundTrip([&] { main->Command12->click(); }); // "Pixel"
    // Whole pictures both ways.
    select(main->Option8);
    roundTrip([&] { main->Command10->click(); });
    main->Option30->setChecked(true);
    roundTrip([&] { main->Command9->click(); });
    EXPECT_TRUE(fake->messages.shown.empty());
}

// What a failing command already did stays (no rollback), and that is one step to undo.
TEST_F(UndoRedo, ACommandThatFailsPartWayIsAStep) {
    // "XY API" whose channels fall below 0 fails after the result was sized and cleared.
    ASSERT_TRUE(saveBmpFile(patternPicture(30, 20, 1), tempBmp()));
    main->Text17->setText("30");
    main->Text18->setText("20");
    main->Command13->click(); // a first result, "All"
    ASSERT_TRUE(fake->messages.shown.empty());
    select(main->Option28);
    main->Text21->setText("-100");
    main->Text17->setText("44");
    roundTrip([&] { main->Command13->click(); });
    EXPECT_EQ(messages(), QStringList{"Ошибка в режиме мультикопирования"});

    // A load whose Temp.bmp cannot be written (a folder is in its place) shows the picture all
    // the same.
    ASSERT_TRUE(QFile::remove(tempBmp()));
    ASSERT_TRUE(QDir(fake->folder.path()).mkdir("Temp.bmp"));
    roundTrip([&] {
        select(main->Option2);
        chooseFile(pictureFile(patternPicture(25, 25, 3), "locked.png"));
        main->Command1->click();
    });
    EXPECT_EQ(messages(), (QStringList{"Ошибка в режиме мультикопирования", "ошибка при загрузке рисунка"}));
}

// A copy that clears its destination and then fails: the cleared destination comes back.
TEST_F(UndoRedo, ACopyFailingAfterClearingIsUndone) {
    loadIntoPicture1(patternPicture(64, 48, 4));
    select(main->Option2);
    main->Command3->click();
    const Scene before = scene();
    const Command failingCopy{{"ошибка при копировании ", true, CommandPolicy::Panel::HiddenThenFront},
                              [](CommandContext&) {
                                  Canvas* destination = pictureWindow(WindowId::Picture2)->picMain;
                                  destination->cls();
                                  destination->clearPicture();
                                  throw CommandFailure("picture refused");
                              }};
    EXPECT_FALSE(main->runner().run(failingCopy));
    EXPECT_FALSE(sameScene(before, scene()));
    ASSERT_TRUE(main->runner().undo());
    EXPECT_TRUE(sameScene(before, scene()));
}

TEST_F(UndoRedo, NothingChangedRecordsNothing) {
    loadIntoPicture1(patternPicture(40, 30, 5));
    const int steps = undoSteps();
    noStep([&] {
        main->Text1->setText("abc"); // a copy refused at its first field
        main->Command3->click();
        main->Text1->setText("0");
    });
    noStep([&] {
        main->Text11->setText("-5"); // "Pixel" outside the pad
        main->Command12->click();
    });
    noStep([&] { main->Command7->click(); }); // the colour dialog, cancelled
    noStep([&] {
        fake->files.answer = {OpenFileResult::Outcome::Cancelled, {}};
        select(main->Option2);
        main->Command1->click();
    });
    noStep([&] { stroke(pad(), Tool::Line, {{-50, -50}, {-10, -20}}); }); // off the pad
    noStep([&] {
        // The same picture loaded again.
        chooseFile(pictureFile(patternPicture(40, 30, 5), "same.png"));
        main->Command1->click();
    });
    EXPECT_EQ(undoSteps(), steps);
    EXPECT_EQ(messages(), QStringList{"ошибка при копировании "});
}

TEST_F(UndoRedo, ANewStepClearsRedoAndUndoStopsAtTheStart) {
    loadIntoPicture1(patternPicture(40, 30, 1));
    stroke(pad(), Tool::Line, {{0, 0}, {50, 50}});
    stroke(pad(), Tool::Line, {{0, 50}, {50, 0}});
    ASSERT_TRUE(main->runner().undo());
    ASSERT_TRUE(main->runner().undo());
    EXPECT_EQ(main->history().redoSteps(), 2);
    stroke(pad(), Tool::Circle, {{20, 20}});
    EXPECT_EQ(main->history().redoSteps(), 0);
    EXPECT_FALSE(main->runner().redo());
    while (main->runner().undo()) {
    }
    EXPECT_FALSE(currentDocument()->exists(WindowId::Picture1)) << "back to before the first load";
    EXPECT_EQ(main->history().redoSteps(), 2);
}

// A stroke keeps only the tiles it touched: on a large picture the step is small, and the
// picture is drawn on in place, never copied.
TEST_F(UndoRedo, AStrokeKeepsOnlyWhatItTouched) {
    QImage big(3000, 2000, QImage::Format_RGB32);
    big.fill(0xFF336699);
    loadIntoPicture1(big);
    Canvas* canvas = pictureWindow(WindowId::Picture1)->picMain;
    // The raster shares its pixels with the canvas's picture until the first drawing copies it.
    stroke(canvas, Tool::Segment, {{0, 0}, {1, 1}});
    const qint64 held = main->history().heldBytes();
    const uchar* pixels = canvas->image().constBits();
    const Scene before = scene();
    stroke(canvas, Tool::Line, {{100, 100}, {300, 180}, {250, 400}});
    EXPECT_EQ(canvas->image().constBits(), pixels) << "drawn in place";
    EXPECT_LT(main->history().heldBytes() - held, 600 * 1024) << "only the touched tiles";
    ASSERT_TRUE(main->runner().undo());
    EXPECT_TRUE(sameScene(before, scene()));
}

// A window closed after a stroke drawn in place on it takes that stroke with it; older steps
// still undo.
TEST_F(UndoRedo, AStrokeOnAClosedWindowIsPassedOver) {
    loadIntoPicture1(patternPicture(300, 200, 3));
    // The first drawing separates the raster from the loaded picture; the next is drawn in place.
    stroke(pictureWindow(WindowId::Picture1)->picMain, Tool::Line, {{0, 150}, {250, 0}});
    const QImage padBefore = pad()->image().copy();
    stroke(pad(), Tool::Line, {{0, 0}, {40, 40}});
    stroke(pictureWindow(WindowId::Picture1)->picMain, Tool::Line, {{0, 0}, {40, 40}});
    pictureWindowWidget(WindowId::Picture1)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(main->runner().undo());
    EXPECT_EQ(pixelDifference(padBefore, pad()->image()), "") << "the pad's stroke was the one undone";
    EXPECT_EQ(main->history().redoSteps(), 1);
    EXPECT_FALSE(currentDocument()->exists(WindowId::Picture1));
    // The step before holds the whole window: undoing it brings the window back as it was.
    ASSERT_TRUE(main->runner().undo());
    ASSERT_TRUE(currentDocument()->exists(WindowId::Picture1));
    EXPECT_EQ(
        pixelDifference(patternPicture(300, 200, 3), pictureWindow(WindowId::Picture1)->picMain->image()),
        "");
}

// Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y in any window of the program, a text field with the focus
// included; nothing while a screen load waits for its snapshot.
TEST_F(UndoRedo, KeysInEveryWindow) {
    loadIntoPicture1(patternPicture(80, 60, 2));
    stroke(pad(), Tool::Line, {{0, 0}, {60, 60}});
    stroke(pictureWindow(WindowId::Picture1)->picMain, Tool::Line, {{0, 0}, {60, 60}});
    ASSERT_EQ(undoSteps(), 3);
    auto key = [&](QWidget* target, int keyCode, Qt::KeyboardModifiers modifiers) {
        target->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(target->window()));
        target->setFocus();
        QTest::keyClick(target, static_cast<Qt::Key>(keyCode), modifiers);
    };
    // In a text field of the panel: the picture history, not the field's typing.
    main->Text5->setText("picture");
    key(main->Text5, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(undoSteps(), 2);
    EXPECT_EQ(main->Text5->text(), "picture");
    // In a picture window and on the draft pad.
    pictureWindow(WindowId::Picture1)->show();
    key(pictureWindowWidget(WindowId::Picture1)->picMain, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(undoSteps(), 1);
    key(main->picMain, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(undoSteps(), 2);
    key(pictureWindowWidget(WindowId::Picture1)->picMain, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(undoSteps(), 3);
    EXPECT_EQ(main->history().redoSteps(), 0);

    // A screen load waiting for its snapshot holds the keys back.
    fake->screen.answerLater = true;
    select(main->Option7);
    main->Command1->click();
    ASSERT_TRUE(main->runner().commandOpen());
    key(pictureWindowWidget(WindowId::Picture1)->picMain, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(undoSteps(), 3);
    main->Timer1_Timer();
    fake->screen.answerPending();
    EXPECT_FALSE(main->runner().commandOpen());
    EXPECT_EQ(undoSteps(), 4);
}

} // namespace
} // namespace tesmaro::testing
