#include "editor/DrawingTools.h"

#include "core/FieldNumber.h"
#include "core/PackedColour.h"
#include "editor/EditorCommands.h"
#include "editor/EditorSurfaces.h"
#include "shell/FieldReader.h"
#include "shell/MainWindow.h"
#include "shell/Messages.h"
#include "windows/Windows.h"

#include <QPointer>

#include <cmath>
#include <limits>

namespace tesmaro::editor {
namespace {

constexpr int kLeft = 1;
constexpr std::int32_t kWhite = 0xFFFFFF;
// The eraser's box on a picture window reaches this far right and down of the pointer.
constexpr double kPictureEraserSize = 5;

const QString kBadDiameter = QStringLiteral(" Задайте диаметр точки ");

// The pen point: mouse positions rounded to the nearest integer, halves to even. Positions come
// from the window system and are small; anything beyond 32 bits is pinned to the edge.
std::int32_t penCoordinate(double v) {
    if (std::isnan(v))
        return 0;
    if (const auto r = roundToInt32(v))
        return *r;
    return v < 0 ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
}

void connectCanvas(MainWindow& w, Canvas* canvas, CanvasKind kind) {
    // The main window is the context: its tools die with it.
    QObject::connect(canvas, &Canvas::mouseDown, &w, [&w, canvas, kind](int button, double x, double y) {
        picMain_MouseDown(w, *canvas, kind, button, x, y);
    });
    QObject::connect(canvas, &Canvas::mouseMove, &w, [&w, canvas, kind](int buttons, double x, double y) {
        picMain_MouseMove(w, *canvas, kind, buttons, x, y);
    });
    QObject::connect(canvas, &Canvas::mouseUp, &w, [&w, canvas, kind](int button, double x, double y) {
        picMain_MouseUp(w, *canvas, kind, button, x, y);
    });
}

} // namespace

void picMain_MouseDown(MainWindow& w, Canvas& canvas, CanvasKind, int button, double x, double y) {
    AppState& s = w.state;
    s.PenX = penCoordinate(x);
    s.PenY = penCoordinate(y);
    try {
        // Converted at every press, whatever the tool and the button.
        s.DotDiameter = FieldReader::int16(w.Text19);
        if (button != kLeft || w.Option22->isChecked())
            return;
        const double d = s.DotDiameter;
        if (w.Option17->isChecked()) {
            PickColor(w, x, y, canvas);
        } else if (w.Option18->isChecked()) {
            canvas.circle(x, y, d / 2, canvas.foreColour());
        } else if (w.Option26->isChecked()) {
            canvas.setCurrentPos(x, y);
            canvas.print(w.Text16->text());
        } else if (w.Option27->isChecked()) {
            canvas.box(x - d / 2, y - d / 2, x + d / 2, y + d / 2, canvas.foreColour(), false);
        }
    } catch (...) {
        showMessage(kBadDiameter);
        // The modal box takes the release that ends this gesture, so the canvas never sees it;
        // the tool is reset here as that release would have done.
        w.Option22->setChecked(true);
    }
}

void picMain_MouseMove(MainWindow& w, Canvas& canvas, CanvasKind kind, int buttons, double x, double y) {
    if (buttons != kLeft)
        return;
    AppState& s = w.state;
    if (w.Option23->isChecked()) {
        canvas.line(s.PenX, s.PenY, x, y, canvas.foreColour());
        s.PenX = penCoordinate(x);
        s.PenY = penCoordinate(y);
    } else if (w.Option25->isChecked()) {
        const double size = kind == CanvasKind::PictureWindow ? kPictureEraserSize : 0;
        canvas.box(x, y, x + size, y + size, kWhite, true);
    }
}

void picMain_MouseUp(MainWindow& w, Canvas& canvas, CanvasKind, int button, double x, double y) {
    const AppState& s = w.state;
    if (w.Option24->isChecked() && button == kLeft)
        canvas.line(s.PenX, s.PenY, x, y, canvas.foreColour());
    // One selection serves one gesture.
    w.Option22->setChecked(true);
}

void PickColor(MainWindow& w, double x, double y, Canvas& canvas) {
    int sumR = 0, sumG = 0, sumB = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            // Outside the canvas Point gives -1, which splits to black.
            const Rgb c = splitPacked(canvas.point(x + dx, y + dy));
            sumR += c.r;
            sumG += c.g;
            sumB += c.b;
        }
    }
    // The nearest integer to sum / 9 (an exact half cannot occur).
    auto mean = [](int sum) { return (sum + 4) / 9; };
    applyChosenColour(w, mean(sumR) + 256 * mean(sumG) + 65536 * mean(sumB));
}

void attachTools(MainWindow& w, Canvas* canvas, bool pictureWindow) {
    connectCanvas(w, canvas, pictureWindow ? CanvasKind::PictureWindow : CanvasKind::DraftPad);
    if (pictureWindow)
        return;
    // The draft pad is attached once per main window; the picture canvases follow whenever
    // their window is created (again after each close), and now if they already exist.
    QPointer<MainWindow> main(&w);
    windows::setCreationHook([main](windows::Id id, QWidget* window) {
        if (main && (id == windows::Id::Picture1 || id == windows::Id::Picture2))
            attachTools(*main, static_cast<PictureWindow*>(window)->picMain, true);
    });
    if (windows::exists(windows::Id::Picture1))
        attachTools(w, windows::frmPicture1()->picMain, true);
    if (windows::exists(windows::Id::Picture2))
        attachTools(w, windows::frmPicture2()->picMain, true);
}

} // namespace tesmaro::editor
