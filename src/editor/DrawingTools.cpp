// The mouse tools of "Действия" on the three canvases, and the colour pick.
#include "core/FieldNumber.h"
#include "core/PackedColour.h"
#include "document/Canvas.h"
#include "editor/EditorCommands.h"
#include "editor/EditorSurfaces.h"

#include <cmath>
#include <limits>

namespace tesmaro::editor {
namespace {

constexpr int kLeft = 1;
constexpr std::int32_t kWhite = 0xFFFFFF;
// The eraser's box on a picture window reaches this far right and down of the pointer.
constexpr double kPictureEraserSize = 5;

// The pen point: mouse positions rounded to the nearest integer, halves to even. Positions come
// from the window system and are small; anything beyond 32 bits is pinned to the edge.
std::int32_t penCoordinate(double v) {
    if (std::isnan(v))
        return 0;
    if (const auto r = roundToInt32(v))
        return *r;
    return v < 0 ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
}

void press(Document& doc, const ToolRequest& r, Canvas& canvas, int button, double x, double y) {
    AppState& s = doc.state;
    s.PenX = penCoordinate(x);
    s.PenY = penCoordinate(y);
    // Converted at every press, whatever the tool and the button.
    s.DotDiameter = r.dotDiameter.get();
    if (button != kLeft || r.tool == Tool::None)
        return;
    const double d = s.DotDiameter;
    switch (r.tool) {
    case Tool::PickColour:
        PickColor(doc, x, y, canvas);
        break;
    case Tool::Circle:
        canvas.circle(x, y, d / 2, canvas.foreColour());
        break;
    case Tool::Label:
        canvas.setCurrentPos(x, y);
        canvas.print(r.labelText);
        break;
    case Tool::Square:
        canvas.box(x - d / 2, y - d / 2, x + d / 2, y + d / 2, canvas.foreColour(), false);
        break;
    default:
        break;
    }
}

} // namespace

Command pressCommand(ToolRequest request, Canvas& canvas, CanvasKind, int button, double x, double y) {
    return Command{.policy = {.failureMessage = kBadDiameter},
                   .body = [r = std::move(request), &canvas, button, x, y](CommandContext& c) {
                       press(c.document, r, canvas, button, x, y);
                   }};
}

void toolMove(Document& doc, Tool tool, Canvas& canvas, CanvasKind kind, int buttons, double x, double y) {
    if (buttons != kLeft)
        return;
    AppState& s = doc.state;
    if (tool == Tool::Line) {
        canvas.line(s.PenX, s.PenY, x, y, canvas.foreColour());
        s.PenX = penCoordinate(x);
        s.PenY = penCoordinate(y);
    } else if (tool == Tool::Eraser) {
        const double size = kind == CanvasKind::PictureWindow ? kPictureEraserSize : 0;
        canvas.box(x, y, x + size, y + size, kWhite, true);
    }
}

void toolRelease(Document& doc, Tool tool, Canvas& canvas, int button, double x, double y) {
    const AppState& s = doc.state;
    if (tool == Tool::Segment && button == kLeft)
        canvas.line(s.PenX, s.PenY, x, y, canvas.foreColour());
}

void PickColor(Document& doc, double x, double y, Canvas& canvas) {
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
    applyChosenColour(doc, mean(sumR) + 256 * mean(sumG) + 65536 * mean(sumB));
}

} // namespace tesmaro::editor
