#include "shell/MainWindow.h"

#include "help/AboutWindow.h"
#include "shell/Accessibility.h"
#include "shell/ControlRequests.h"
#include "shell/ShellCommands.h"
#include "shell/UndoKeys.h"

#include "core/PackedColour.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHideEvent>
#include <QIcon>
#include <QWindow>

namespace tesmaro {

namespace {

// Design positions are in twips; 15 twips make a pixel at 96 dpi.
int px(int twips) {
    return qRound(twips / 15.0);
}
QRect twipRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

template <typename W> W* place(W* w, const char* name, int left, int top, int width, int height) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(twipRect(left, top, width, height));
    return w;
}

} // namespace

// "Tesmaro5   MCopy", 66 blanks, "Tesmaro5", 10 blanks, "Редактор": 108 characters.
const QString MainWindow::kCaption = QStringLiteral("Tesmaro5   MCopy") + QString(66, QLatin1Char(' ')) +
                                     QStringLiteral("Tesmaro5") + QString(10, QLatin1Char(' ')) +
                                     QStringLiteral("Редактор");

MainWindow::MainWindow() : QWidget(nullptr), m_document(std::make_unique<Document>()) {
    setObjectName("frmMain");
    setWindowTitle(kCaption);
    setWindowIcon(QIcon(":/tesmaro5.png"));
    resize(px(11880), px(3390));
    buildControls();
    nameMainWindowControls(*this);
    m_document->setFrontEnd(this);
    m_views = std::make_unique<WindowViews>(*m_document);
    showEditorSurfaces();
    m_history = std::make_unique<History>(*m_document);
    m_runner = std::make_unique<CommandRunner>(*m_document, *m_history);
    m_undoKeys = std::make_unique<UndoKeys>(*m_runner, this);
    wireCommands();
    shell::Form_Load(*this);
}

MainWindow::~MainWindow() {
    m_document->setFrontEnd(nullptr);
    m_undoKeys.reset();
    m_runner.reset();
    m_history.reset();
    m_views.reset();
}

void MainWindow::bringToFront() {
    hide();
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A stopped Timer2 cannot bring the closed window back; the snapshot of Timer1 has no
    // window left to show.
    Timer1->stop();
    Timer2->stop();
    event->accept();
}

void MainWindow::hideEvent(QHideEvent* event) {
    // The commands hide the window while they work and show it again; pin its place, or the
    // window manager would place it anew at every command.
    if (!event->spontaneous() && !isMinimized() && windowHandle())
        windowHandle()->setPosition(windowHandle()->position());
    QWidget::hideEvent(event);
}

void MainWindow::buildControls() {
    auto button = [this](const char* name, const QString& caption, int l, int t, int w, int h) {
        return place(new QPushButton(caption, this), name, l, t, w, h);
    };
    auto check = [this](const char* name, const QString& caption, int l, int t, int w, int h) {
        return place(new QCheckBox(caption, this), name, l, t, w, h);
    };
    auto frame = [this](const char* name, const QString& caption, int l, int t, int w, int h) {
        return place(new QGroupBox(caption, this), name, l, t, w, h);
    };
    auto option = [](QGroupBox* f, const char* name, const QString& caption, int l, int t, int w, int h) {
        return place(new QRadioButton(caption, f), name, l, t, w, h);
    };
    auto label = [this](const char* name, const QString& caption, int l, int t, int w, int h) {
        return place(new QLabel(caption, this), name, l, t, w, h);
    };
    auto text = [this](const char* name, int l, int t, int w, int h) {
        auto* e = place(new QLineEdit(this), name, l, t, w, h);
        e->setText(QString::fromLatin1(name)); // design text until start-up overwrites it
        return e;
    };

    Command1 = button("Command1", "Загрузить ", 120, 285, 1335, 255);
    Command3 = button("Command3", "Копировать из ", 120, 630, 1335, 255);
    Command2 = button("Command2", "Сохранить из", 120, 975, 1335, 255);
    Check6 = check("Check6", "Clipboard", 120, 15, 975, 195);
    Check4 = check("Check4", "Размер задать", 1200, 0, 1455, 255);
    Check5 = check("Check5", "Очистить приемник", 2760, 15, 1815, 195);
    Check5->setChecked(true);

    Frame1 = frame("Frame1", "№1", 1560, 210, 1065, 1095);
    Option1 = option(Frame1, "Option1", "Image", 120, 200, 735, 195);
    Option2 = option(Frame1, "Option2", "Picture", 120, 410, 855, 195);
    Option7 = option(Frame1, "Option7", "Screen", 120, 630, 855, 195);
    Option19 = option(Frame1, "Option19", "MCopy", 120, 850, 855, 195);
    Option7->setChecked(true);
    Label6 = label("Label6", " в", 2640, 400, 135, 255);

    Frame2 = frame("Frame2", "№2", 2880, 260, 1695, 460);
    Option3 = option(Frame2, "Option3", "Image", 80, 240, 855, 200);
    Option4 = option(Frame2, "Option4", "Picture", 840, 240, 825, 195);
    Option4->setChecked(true);

    Frame3 = frame("Frame3", "Stretch, AutoSize", 2880, 1245, 1500, 510);
    Option5 = option(Frame3, "Option5", "False", 80, 280, 735, 195);
    Option6 = option(Frame3, "Option6", "True", 800, 280, 670, 195);
    Option6->setChecked(true);

    Frame5 = frame("Frame5", "Copy", 4650, 0, 720, 735);
    Option8 = option(Frame5, "Option8", "All", 100, 240, 560, 195);
    Option11 = option(Frame5, "Option11", "X Y", 100, 480, 580, 195);
    Option8->setChecked(true);

    Frame6 = frame("Frame6", "Copy  As", 4470, 750, 900, 1380);
    Option12 = option(Frame6, "Option12", "Copy", 120, 220, 735, 195);
    Option13 = option(Frame6, "Option13", "And+", 120, 450, 735, 195);
    Option14 = option(Frame6, "Option14", "And--", 120, 680, 735, 195);
    Option15 = option(Frame6, "Option15", "Xor", 120, 900, 735, 195);
    Option16 = option(Frame6, "Option16", "Or", 120, 1120, 615, 195);
    Option13->setChecked(true);

    Text5 = text("Text5", 3600, 840, 765, 285);
    Command6 = button("Command6", "About", 1920, 1365, 855, 255);
    Command13 = button("Command13", "MCopy", 1920, 1680, 855, 255);

    Frame4 = frame("Frame4", " MCopy", 1920, 1965, 960, 1050);
    Option9 = option(Frame4, "Option9", "All  ", 110, 230, 790, 195);
    Option10 = option(Frame4, "Option10", "XY VB", 110, 480, 780, 225);
    Option28 = option(Frame4, "Option28", "XY API", 110, 730, 820, 255);
    Option9->setChecked(true);

    Frame7 = frame("Frame7", "№", 2640, 720, 885, 480);
    Option29 = option(Frame7, "Option29", "1", 60, 240, 375, 190);
    Option30 = option(Frame7, "Option30", "2", 420, 240, 375, 190);
    Option29->setChecked(true);

    Command5 = button("Command5", "Реверс Picture №", 2880, 1800, 1500, 255);
    Command4 = button("Command4", "Выход", 4470, 2820, 855, 255);

    Label1 = label("Label1", "Y0", 120, 1320, 255, 255);
    Text1 = text("Text1", 480, 1320, 615, 285);
    Text11 = text("Text11", 1200, 1320, 615, 285);
    Label2 = label("Label2", "X0", 120, 1680, 255, 255);
    Text2 = text("Text2", 480, 1680, 615, 285);
    Text12 = text("Text12", 1200, 1680, 615, 285);
    Label3 = label("Label3", " Ymax", 0, 2040, 495, 255);
    Text3 = text("Text3", 480, 2040, 615, 285);
    Text13 = text("Text13", 1200, 2040, 615, 285);
    Label4 = label("Label4", " Xmax", 0, 2400, 495, 255);
    Text4 = text("Text4", 480, 2400, 615, 285);
    Text14 = text("Text14", 1200, 2400, 615, 285);
    Label10 = label("Label10", "Height", 0, 2760, 495, 255);
    Text7 = text("Text7", 480, 2730, 615, 285);
    Text17 = text("Text17", 1200, 2730, 615, 285);
    Label9 = label("Label9", "Width", 0, 3120, 495, 255);
    Text8 = text("Text8", 480, 3060, 615, 285);
    Text18 = text("Text18", 1200, 3060, 615, 285);

    Label11 = label("Label11", "Screen", 1920, 3120, 615, 255);
    Text15 = text("Text15", 2520, 3060, 855, 285);
    Label12 = label("Label12", "Красный", 3000, 2160, 735, 255);
    Text21 = text("Text21", 3720, 2115, 615, 285);
    Label5 = label("Label5", "Зеленый", 3000, 2460, 735, 255);
    Text22 = text("Text22", 3720, 2460, 615, 285);
    Label8 = label("Label8", "Синий", 3120, 2790, 615, 255);
    Text23 = text("Text23", 3720, 2805, 615, 285);
    Label13 = label("Label13", "Рандомизация", 3480, 3135, 1215, 255);
    Text10 = text("Text10", 4710, 3120, 615, 285);

    Frame8 = frame("Frame8", "Редактор     Редактор", 4440, 2280, 1815, 480);
    Option20 = option(Frame8, "Option20", "On", 120, 220, 510, 195);
    Option21 = option(Frame8, "Option21", "Off", 1080, 220, 510, 195);
    Option21->setChecked(true);

    Frame9 = frame("Frame9", "Действия", 5520, 0, 1095, 2130);
    Option22 = option(Frame9, "Option22", "нет", 120, 230, 735, 195);
    Option23 = option(Frame9, "Option23", "линия", 120, 460, 855, 195);
    Option24 = option(Frame9, "Option24", "отрезок", 120, 690, 975, 195);
    Option25 = option(Frame9, "Option25", "стереть", 120, 920, 975, 195);
    Option26 = option(Frame9, "Option26", "надпись", 120, 1130, 975, 195);
    Option17 = option(Frame9, "Option17", "Цвет", 120, 1350, 855, 195);
    Option18 = option(Frame9, "Option18", "Круг", 120, 1560, 735, 195);
    Option27 = option(Frame9, "Option27", "Квадрат", 120, 1800, 975, 195);
    Option22->setChecked(true);

    picBox = place(new PicBox(this), "picBox", 6720, 0, 4815, 2775);
    // The draft pad (300 x 150 pixels, the system highlight-text colour) is the document's.
    picMain = new CanvasWidget(m_document->pad(), picBox->inner());
    picMain->setObjectName("picMain");
    picMain->move(0, 0);
    VScroll2 = place(new QScrollBar(Qt::Vertical, this), "VScroll2", 11520, 0, 255, 2655);
    HScroll2 = place(new QScrollBar(Qt::Horizontal, this), "HScroll2", 8760, 2820, 1935, 255);
    for (QScrollBar* bar : {VScroll2, HScroll2}) {
        bar->setSingleStep(1);
        bar->setPageStep(10);
    }

    Picture3 = new CanvasWidget(m_document->swatch(), this);
    place(Picture3, "Picture3", 6300, 2400, 355, 355);
    Command7 = button("Command7", "Цвет", 6360, 2820, 615, 255);
    Command11 = button("Command11", "Шрифт", 5520, 2820, 735, 255);
    HScroll1 = place(new QScrollBar(Qt::Horizontal, this), "HScroll1", 5520, 3120, 1095, 270);
    HScroll1->setRange(1, 15);
    HScroll1->setValue(1);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(1);
    HScroll1->setTracking(false); // a thumb drag counts when it is released
    Picture4 = new CanvasWidget(m_document->widthPreview(), this);
    place(Picture4, "Picture4", 6720, 3120, 270, 270);
    Command8 = button("Command8", "Очистить", 7080, 2820, 855, 255);
    Text16 = text("Text16", 7080, 3120, 1695, 270);
    Command12 = button("Command12", "Pixel", 8040, 2820, 615, 255);
    Label7 = label("Label7", "D, pixel", 8880, 3150, 615, 255);
    Text19 = text("Text19", 9480, 3120, 375, 285);
    Command15 = button("Command15", "Вернуть", 9960, 3120, 735, 255);
    Command10 = button("Command10", "Из Picture", 10800, 2820, 975, 255);
    Command9 = button("Command9", "в Picture", 10800, 3120, 975, 255);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(500);
    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
}

void MainWindow::wireCommands() {
    auto on = [this](QPushButton* b, void (MainWindow::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    on(Command1, &MainWindow::Command1_Click);
    on(Command3, &MainWindow::Command3_Click);
    on(Command2, &MainWindow::Command2_Click);
    on(Command6, &MainWindow::Command6_Click);
    on(Command4, &MainWindow::Command4_Click);
    on(Command13, &MainWindow::Command13_Click);
    on(Command5, &MainWindow::Command5_Click);
    on(Command7, &MainWindow::Command7_Click);
    on(Command11, &MainWindow::Command11_Click);
    on(Command8, &MainWindow::Command8_Click);
    on(Command10, &MainWindow::Command10_Click);
    on(Command9, &MainWindow::Command9_Click);
    on(Command15, &MainWindow::Command15_Click);
    on(Command12, &MainWindow::Command12_Click);

    connect(Timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &MainWindow::Timer2_Timer);
    // Click handlers run only when the user selects the option, as a click would.
    connect(Option20, &QRadioButton::clicked, this, &MainWindow::Option20_Click);
    connect(Option21, &QRadioButton::clicked, this, &MainWindow::Option21_Click);
    connect(HScroll1, &QScrollBar::valueChanged, this, &MainWindow::HScroll1_Change);
    // The draft pad follows its bars, through the document, as the picture windows do.
    connect(VScroll2, &QScrollBar::valueChanged, this,
            [this](int v) { m_document->padScroll().setVerticalValue(v); });
    connect(HScroll2, &QScrollBar::valueChanged, this,
            [this](int v) { m_document->padScroll().setHorizontalValue(v); });

    // The mouse tools: the draft pad once, the picture canvases whenever their window is created
    // (again after each close), and now if they already exist.
    attachTools(picMain, editor::CanvasKind::DraftPad);
    connect(m_views.get(), &WindowViews::pictureWindowShown, this,
            [this](WindowId id, PictureWindowWidget* window) {
                if (id == WindowId::Picture1 || id == WindowId::Picture2)
                    attachTools(window->picMain, editor::CanvasKind::PictureWindow);
            });
    for (WindowId id : {WindowId::Picture1, WindowId::Picture2})
        if (PictureWindowWidget* window = m_views->pictureWindow(id))
            attachTools(window->picMain, editor::CanvasKind::PictureWindow);
    // A picture dropped on a source window loads as "Загрузить " from that file would.
    connect(m_views.get(), &WindowViews::pictureDropped, this, [this](WindowId id, const QString& path) {
        loadFile(path, id == WindowId::Image1 ? transfer::LoadTarget::Image : transfer::LoadTarget::Picture);
    });
}

void MainWindow::showEditorSurfaces() {
    // The draft pad's bars: until the first "Из Picture" they scroll over the whole 16-bit range.
    const auto followPadScroll = [this] {
        const ScrollState& v = m_document->padScroll().vertical();
        const ScrollState& h = m_document->padScroll().horizontal();
        VScroll2->setRange(v.minimum, v.maximum);
        VScroll2->setValue(v.value);
        HScroll2->setRange(h.minimum, h.maximum);
        HScroll2->setValue(h.value);
        picMain->move(-h.value, -v.value);
    };
    connect(&m_document->padScroll(), &ScrollBars::changed, this, followPadScroll);
    followPadScroll();
    // The label field carries the label font and colour.
    m_document->setLabelFont(Text16->font());
    const auto followLabel = [this] {
        const LabelField& label = m_document->labelField();
        if (label.font)
            Text16->setFont(*label.font);
        QPalette pal = Text16->palette();
        pal.setColor(QPalette::Text, QColor::fromRgb(pixelFromPacked(label.colour)));
        Text16->setPalette(pal);
    };
    connect(m_document.get(), &Document::labelFieldChanged, this, followLabel);
    followLabel();
}

void MainWindow::attachTools(CanvasWidget* canvas, editor::CanvasKind kind) {
    // The panel is the context: its tools die with it; a canvas the document has discarded
    // takes no more strokes.
    connect(canvas, &CanvasWidget::mouseDown, this, [this, canvas, kind](int button, double x, double y) {
        if (Canvas* c = canvas->canvas())
            picMain_MouseDown(*c, kind, button, x, y);
    });
    connect(canvas, &CanvasWidget::mouseMove, this, [this, canvas, kind](int buttons, double x, double y) {
        if (Canvas* c = canvas->canvas())
            picMain_MouseMove(*c, kind, buttons, x, y);
    });
    connect(canvas, &CanvasWidget::mouseUp, this, [this, canvas, kind](int button, double x, double y) {
        if (Canvas* c = canvas->canvas())
            picMain_MouseUp(*c, kind, button, x, y);
    });
}

void MainWindow::Command1_Click() {
    m_runner->run(transfer::loadCommand(requests::load(*this)));
}

void MainWindow::loadFile(const QString& path, transfer::LoadTarget target) {
    transfer::LoadRequest request = requests::load(*this);
    request.target = target;
    request.fromClipboard = false;
    request.file = path;
    m_runner->run(transfer::loadCommand(std::move(request)));
}

void MainWindow::Timer1_Timer() {
    Timer1->stop();
    // Whatever the load that started the timer goes on with.
    if (const std::function<void()> then = std::exchange(m_snapshotThen, nullptr))
        then();
}

void MainWindow::Command3_Click() {
    m_runner->run(transfer::copyCommand(requests::copy(*this)));
}

void MainWindow::Command2_Click() {
    m_runner->run(transfer::saveCommand(requests::save(*this)));
}

void MainWindow::Command6_Click() {
    shell::Command6_Click(*this);
}

void MainWindow::Command4_Click() {
    shell::Command4_Click(*this);
}

void MainWindow::Command13_Click() {
    m_runner->run(resize::multicopyCommand(requests::multicopy(*this)));
}

void MainWindow::Command5_Click() {
    m_runner->run(resize::reverseCommand(requests::reverse(*this)));
}

void MainWindow::Command7_Click() {
    m_runner->run(editor::colourCommand());
}

void MainWindow::Command11_Click() {
    m_runner->run(editor::fontCommand());
}

void MainWindow::HScroll1_Change() {
    m_runner->run(editor::lineWidthCommand(HScroll1->value()));
}

void MainWindow::Command8_Click() {
    m_runner->run(editor::clearPadCommand());
}

void MainWindow::Command10_Click() {
    m_runner->run(editor::fromPictureCommand(requests::draftTransfer(*this)));
}

void MainWindow::Command9_Click() {
    m_runner->run(editor::toPictureCommand(requests::draftTransfer(*this)));
}

void MainWindow::Command15_Click() {
    m_runner->run(editor::returnCommand(requests::secondPicture(*this)));
}

void MainWindow::Command12_Click() {
    m_runner->run(editor::pixelCommand(requests::pixel(*this)));
}

void MainWindow::Option20_Click() {
    Timer2->start();
    editor::setEditorMode(*m_document, true);
}

void MainWindow::Option21_Click() {
    Timer2->stop();
    editor::setEditorMode(*m_document, false);
}

void MainWindow::Timer2_Timer() {
    editor::keepPanelOnTop(*m_document);
}

void MainWindow::picMain_MouseDown(Canvas& canvas, editor::CanvasKind kind, int button, double x, double y) {
    // Press to release is one drawing action, one undo step.
    m_runner->beginAction();
    if (!m_runner->run(editor::pressCommand(requests::toolPress(*this), canvas, kind, button, x, y))) {
        // The message box took the release that ends this gesture, so the canvas never sees it;
        // the tool is reset here as that release would have done.
        Option22->setChecked(true);
        m_runner->endAction();
    }
}

void MainWindow::picMain_MouseMove(Canvas& canvas, editor::CanvasKind kind, int buttons, double x, double y) {
    editor::toolMove(*m_document, requests::tool(*this), canvas, kind, buttons, x, y);
}

void MainWindow::picMain_MouseUp(Canvas& canvas, editor::CanvasKind, int button, double x, double y) {
    editor::toolRelease(*m_document, requests::tool(*this), canvas, button, x, y);
    // One selection serves one gesture.
    Option22->setChecked(true);
    m_runner->endAction();
}

void MainWindow::hideControls() {
    hide();
}

void MainWindow::showControls() {
    show();
}

void MainWindow::bringControlsToFront() {
    bringToFront();
}

void MainWindow::showSourceSize(int height, int width) {
    Text7->setText(QString::number(height));
    Text8->setText(QString::number(width));
}

void MainWindow::showDestinationSize(int height, int width) {
    Text17->setText(QString::number(height));
    Text18->setText(QString::number(width));
}

void MainWindow::startSnapshotTimer(int milliseconds, std::function<void()> then) {
    m_snapshotThen = std::move(then);
    Timer1->start(milliseconds);
}

quintptr MainWindow::panelWindowId() {
    return platform().stacking->windowId(this);
}

void MainWindow::movePanelTo(int left) {
    // move() places the outer (frame) left edge; pos().y() is the frame's top, kept as it is.
    move(left, pos().y());
}

void MainWindow::keepPanelOnTop() {
    // A modal dialog of the program (a message box over a picture window, the colour or font
    // dialog) must stay in front of the panel, or the user could not answer it; the panel is
    // kept above the rest again once the dialog is gone.
    QWidget* modal = QApplication::activeModalWidget();
    platform().stacking->keepOnTop(modal && modal->isVisible() ? modal->window() : this);
}

} // namespace tesmaro
