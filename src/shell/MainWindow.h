#pragma once
// frmMain: the control panel. It builds every control with its name, caption, geometry and
// initial value; each event turns the controls into a request (shell/ControlRequests.h) and hands
// the feature's command to the one command runner. It does no work itself. It owns the document,
// the views of its picture windows and the undo history; the draft pad, the swatch, the
// line-width preview and the label field show the document's editor surfaces.
//
// Closing it (close box or "Выход") hides it and stops its timers; the object stays, so a
// picture window still on the screen keeps working with the settings shown here. The
// application ends when no window of it is visible: windows that are loaded but hidden, as
// frmMCopy1 always is, never keep it running.

#include "document/CommandRunner.h"
#include "document/Document.h"
#include "document/History.h"
#include "editor/EditorCommands.h"
#include "help/AboutWindow.h"
#include "transfer/TransferCommands.h"
#include "windows/CanvasWidget.h"
#include "windows/PictureWindowWidget.h"
#include "windows/WindowViews.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace tesmaro {

class UndoKeys;

class MainWindow : public QWidget, private FrontEnd {
    Q_OBJECT
public:
    static const QString kCaption;

    MainWindow();
    ~MainWindow() override;

    Document& document() { return *m_document; }
    const Document& document() const { return *m_document; }
    CommandRunner& runner() { return *m_runner; }
    History& history() { return *m_history; }
    // The picture windows on the screen.
    WindowViews& views() { return *m_views; }
    // The help window, frmAbout.
    help::AboutWindowHolder about;

    // Commands and selection of source and destination.
    QPushButton *Command1, *Command3, *Command2, *Command6, *Command13, *Command5, *Command4;
    QCheckBox *Check6, *Check4, *Check5;
    QGroupBox *Frame1, *Frame2, *Frame3, *Frame4, *Frame5, *Frame6, *Frame7, *Frame8, *Frame9;
    QRadioButton *Option1, *Option2, *Option7, *Option19;               // Frame1 "№1"
    QRadioButton *Option3, *Option4;                                    // Frame2 "№2"
    QRadioButton *Option5, *Option6;                                    // Frame3 "Stretch, AutoSize"
    QRadioButton *Option8, *Option11;                                   // Frame5 "Copy"
    QRadioButton *Option12, *Option13, *Option14, *Option15, *Option16; // Frame6 "Copy  As"
    QRadioButton *Option9, *Option10, *Option28;                        // Frame4 " MCopy"
    QRadioButton *Option29, *Option30;                                  // Frame7 "№"
    QRadioButton *Option20, *Option21;                                  // Frame8 editor on/off
    QRadioButton *Option22, *Option23, *Option24, *Option25, *Option26, *Option17, *Option18,
        *Option27; // Frame9 "Действия"
    QLabel* Label6;

    // Coordinate and size fields: left column source, right column destination.
    QLabel *Label1, *Label2, *Label3, *Label4, *Label10, *Label9;
    QLineEdit *Text1, *Text2, *Text3, *Text4, *Text7, *Text8;
    QLineEdit *Text11, *Text12, *Text13, *Text14, *Text17, *Text18;
    QLineEdit* Text5;
    QLabel *Label11, *Label12, *Label5, *Label8, *Label13;
    QLineEdit *Text15, *Text21, *Text22, *Text23, *Text10;

    // Editor area.
    PicBox* picBox;        // frame of the draft pad
    CanvasWidget* picMain; // the draft pad
    QScrollBar* VScroll2;
    QScrollBar* HScroll2;
    CanvasWidget* Picture3; // colour swatch
    QPushButton *Command7, *Command11, *Command8, *Command12, *Command15, *Command10, *Command9;
    QScrollBar* HScroll1;   // line width
    CanvasWidget* Picture4; // line-width preview
    QLineEdit* Text16;
    QLabel* Label7;
    QLineEdit* Text19;

    QTimer* Timer1;
    QTimer* Timer2;

    // The panel's events, each named after its control.
    void Command1_Click();  // "Загрузить "
    void Timer1_Timer();    // the screen snapshot, 300 ms after the load asked for it
    void Command3_Click();  // "Копировать из "
    void Command2_Click();  // "Сохранить из"
    void Command6_Click();  // "About"
    void Command4_Click();  // "Выход"
    void Command13_Click(); // "MCopy"
    void Command5_Click();  // "Реверс Picture №"
    void Command7_Click();  // "Цвет"
    void Command11_Click(); // "Шрифт"
    void HScroll1_Change(); // line width
    void Command8_Click();  // "Очистить"
    void Command10_Click(); // "Из Picture"
    void Command9_Click();  // "в Picture"
    void Command15_Click(); // "Вернуть"
    void Command12_Click(); // "Pixel"
    void Option20_Click();  // editor "On"
    void Option21_Click();  // editor "Off"
    void Timer2_Timer();    // keeps the panel on top while the editor is on

    // The mouse on the draft pad or a picture canvas.
    void picMain_MouseDown(Canvas& canvas, editor::CanvasKind kind, int button, double x, double y);
    void picMain_MouseMove(Canvas& canvas, editor::CanvasKind kind, int buttons, double x, double y);
    void picMain_MouseUp(Canvas& canvas, editor::CanvasKind kind, int button, double x, double y);

    // The file load of "Загрузить " for a file named without the open dialog (the command line,
    // a picture dropped on a source window), into "Picture" or "Image", with the panel's other
    // settings.
    void loadFile(const QString& path, transfer::LoadTarget target = transfer::LoadTarget::Picture);

    // The main window itself as a window: hide and show again, which brings it in front.
    void bringToFront();

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void wireCommands();
    void showEditorSurfaces();
    void attachTools(CanvasWidget* canvas, editor::CanvasKind kind);

    // What the commands may ask of the panel.
    void hideControls() override;
    void showControls() override;
    void bringControlsToFront() override;
    void showSourceSize(int height, int width) override;
    void showDestinationSize(int height, int width) override;
    void startSnapshotTimer(int milliseconds, std::function<void()> then) override;
    quintptr panelWindowId() override;
    void movePanelTo(int left) override;
    void keepPanelOnTop() override;

    std::unique_ptr<Document> m_document;
    std::unique_ptr<WindowViews> m_views;
    std::unique_ptr<History> m_history;
    std::unique_ptr<CommandRunner> m_runner;
    std::unique_ptr<UndoKeys> m_undoKeys;
    // What the snapshot timer runs when it times out.
    std::function<void()> m_snapshotThen;
};

} // namespace tesmaro
