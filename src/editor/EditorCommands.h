#pragma once
// The editor as commands over plain requests and the document: the mouse tools of "Действия"
// on the draft pad and the canvases of frmPicture1 and frmPicture2, the pen settings ("Цвет",
// "Шрифт", line width, "Очистить"), the draft pad transfers ("Из Picture", "в Picture",
// "Вернуть"), "Pixel" and the editor mode that keeps the panel on top.
//
// The three canvases share the tool, the label text, the dot diameter D and the pen point
// (PenX, PenY, DotDiameter); they differ only in the eraser's box. Mouse arguments are as the
// canvas signals give them: button 1 left, 2 right, 4 middle (in a move the sum of the buttons
// held); x, y in the canvas's own pixels.
//
// Choices: the square is an outlined box, like the circle's outline; the eraser's box is filled,
// so it wipes the whole area it covers.

#include "document/Canvas.h"
#include "document/Command.h"
#include "document/Fragment.h"

#include <QFont>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

namespace tesmaro::editor {

// The transfers, "Вернуть" and "Pixel" are copies: they fail with the copy's message.
inline const QString kCopyFailed = QStringLiteral("ошибка при копировании ");
inline const QString kBadDiameter = QStringLiteral(" Задайте диаметр точки ");

// "нет", "линия", "отрезок", "стереть", "надпись", "Цвет", "Круг", "Квадрат".
enum class Tool { None, Line, Segment, Eraser, Label, PickColour, Circle, Square };
enum class CanvasKind { DraftPad, PictureWindow };

struct ToolRequest {
    Tool tool = Tool::None;
    QString labelText;                 // the label field
    Checked<std::int16_t> dotDiameter; // "D, pixel", converted at every press
};

// Press: sets the pen point, converts D (a bad D fails the press with its message), then the
// press tools. Run it inside a drawing action: the action ends at the release.
Command pressCommand(ToolRequest request, Canvas& canvas, CanvasKind kind, int button, double x, double y);
// Move with exactly the left button held: "линия" and "стереть". No failure path.
void toolMove(Document& document, Tool tool, Canvas& canvas, CanvasKind kind, int buttons, double x,
              double y);
// Release: "отрезок" with the left button. No failure path; "нет" is chosen again afterwards.
void toolRelease(Document& document, Tool tool, Canvas& canvas, int button, double x, double y);

// The mean colour of the 3 x 3 pixels about (x, y) of canvas (a pixel outside counts as black),
// applied to the swatch, the draft pad, the label field and both picture canvases.
void PickColor(Document& document, double x, double y, Canvas& canvas);

// "Цвет": the colour dialog; the choice goes to every surface that draws.
Command colourCommand();
// "Шрифт": the font dialog; the choice goes to the label field, the draft pad and both canvases.
Command fontCommand();
// The line width bar: the width for every surface, shown as a dot in the preview.
Command lineWidthCommand(int width);
// "Очистить": the draft pad cleared; size, colour, width and font stay.
Command clearPadCommand();

struct TransferRequest {
    FragmentFields fields;
    std::optional<Checked<QSize>> imposedSize; // "Размер задать": the destination column's size
    std::optional<std::int32_t> rasterCode;    // "Copy  As"
    bool fragment = false;                     // "X Y" rather than "All"
    std::optional<bool> fit;                   // "Stretch, AutoSize"
    bool clearReceiver = true;                 // "Очистить приемник"
    bool second = false;                       // frame "№": frmPicture2 rather than frmPicture1
};

// "Из Picture": the picture window into the draft pad.
Command fromPictureCommand(TransferRequest request);
// "в Picture": the draft pad into the picture window.
Command toPictureCommand(TransferRequest request);
// "Вернуть": the pad's destination rectangle back onto the picture's source rectangle.
Command returnCommand(bool second);

struct PixelRequest {
    Checked<float> y0; // the destination column's Y0
    Checked<float> x0; // ... and X0
};
// "Pixel": one pixel of the draft pad in the swatch's colour.
Command pixelCommand(PixelRequest request);

// Editor "On" / "Off": the panel moves to the screen's left edge (or back), and with "On" it is
// the window to keep above the others.
void setEditorMode(Document& document, bool on);
// One tick of the timer that keeps the panel on top while the editor is on.
void keepPanelOnTop(Document& document);

} // namespace tesmaro::editor
