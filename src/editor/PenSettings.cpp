// "Цвет", "Шрифт", the line width bar and "Очистить": colour, font and width are written
// straight into every surface that draws, so the canvases always agree.
#include "core/PackedColour.h"
#include "editor/EditorCommands.h"
#include "editor/EditorSurfaces.h"
#include "platform/Platform.h"

namespace tesmaro::editor {
namespace {

// Screen fonts and printer fonts, no effects section.
constexpr int kFontDialogFlags = 3;

// Colour and font end silently whatever happens.
const CommandPolicy kSilent{};

void chooseColour(Document& doc) {
    DialogSettings& cd = doc.state.CD1;
    const std::optional<QColor> chosen =
        platform().colours->chooseColour(QColor::fromRgb(pixelFromPacked(cd.Color)));
    if (chosen)
        cd.Color = packedFromPixel(chosen->rgb());
    else if (cd.CancelError)
        return; // a cancel reported as an error ends the command silently
    // A cancel without CancelError applies the colour CD1 holds, as if it had been chosen.
    applyChosenColour(doc, cd.Color);
}

// The font dialog's choice over a target's font: font name, size in points, bold, italic,
// underline, strikethrough; the rest of the target's font stays.
QFont dialogFontOver(QFont font, const QFont& dialogFont) {
    font.setFamily(dialogFont.family());
    if (dialogFont.pointSizeF() > 0)
        font.setPointSizeF(static_cast<float>(dialogFont.pointSizeF()));
    else if (dialogFont.pixelSize() > 0)
        font.setPixelSize(dialogFont.pixelSize());
    font.setBold(dialogFont.bold());
    font.setItalic(dialogFont.italic());
    font.setUnderline(dialogFont.underline());
    font.setStrikeOut(dialogFont.strikeOut());
    return font;
}

// The font onto a canvas, then its drawing colour <- CD1.Color, the colour last chosen in the
// colour dialog (black before the first choice).
void ApplyDialogFont(const AppState& s, Canvas& canvas, const QFont& dialogFont) {
    canvas.setDrawFont(dialogFontOver(canvas.drawFont(), dialogFont));
    canvas.setForeColour(s.CD1.Color);
}

QFont labelFont(const Document& doc) {
    return doc.labelField().font.value_or(QFont());
}

void chooseFont(Document& doc) {
    DialogSettings& cd = doc.state.CD1;
    cd.CancelError = true;
    cd.Flags = kFontDialogFlags;
    // The label field always carries the font last chosen, so the dialog opens on it.
    const std::optional<QFont> chosen = platform().fonts->chooseFont(labelFont(doc));
    if (!chosen)
        return; // cancel: like any failure, silently, nothing changed
    // The label field first, the same way: its font, then its text colour.
    doc.setLabelFont(dialogFontOver(labelFont(doc), *chosen));
    doc.setLabelColour(doc.state.CD1.Color);
    ApplyDialogFont(doc.state, doc.pad(), *chosen);
    ApplyDialogFont(doc.state, *doc.pictureWindow(WindowId::Picture1).picMain, *chosen);
    ApplyDialogFont(doc.state, *doc.pictureWindow(WindowId::Picture2).picMain, *chosen);
}

void setLineWidth(Document& doc, int width) {
    Canvas& preview = doc.widthPreview();
    preview.cls();
    for (Canvas* c : {&preview, &doc.pad(), doc.pictureWindow(WindowId::Picture1).picMain,
                      doc.pictureWindow(WindowId::Picture2).picMain})
        c->setDrawWidth(width);
    // The preview: one dot of the new width at the centre, in the preview's own drawing colour.
    preview.pset(preview.canvasWidth() / 2.0, preview.canvasHeight() / 2.0, preview.foreColour());
}

} // namespace

Command colourCommand() {
    return Command{.policy = kSilent, .body = [](CommandContext& c) { chooseColour(c.document); }};
}

Command fontCommand() {
    return Command{.policy = kSilent, .body = [](CommandContext& c) { chooseFont(c.document); }};
}

Command lineWidthCommand(int width) {
    return Command{.policy = kSilent,
                   .body = [width](CommandContext& c) { setLineWidth(c.document, width); }};
}

Command clearPadCommand() {
    return Command{.policy = kSilent, .body = [](CommandContext& c) {
                       c.document.pad().cls();
                       c.document.pad().clearPicture();
                   }};
}

} // namespace tesmaro::editor
