// "Цвет", "Шрифт", the line width bar and "Очистить": colour, font and width are written
// straight into every surface that draws, so the canvases always agree.
#include "core/PackedColour.h"
#include "editor/EditorCommands.h"
#include "editor/EditorSurfaces.h"
#include "platform/Platform.h"
#include "windows/Windows.h"

#include <QLineEdit>

namespace tesmaro::editor {
namespace {

// Screen fonts and printer fonts, no effects section.
constexpr int kFontDialogFlags = 3;

// Colour and font end silently whatever happens.
const CommandPolicy kSilent{QString(), false, CommandPolicy::Panel::Untouched};

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

// The font dialog's choice onto one target, a text box or a canvas: font name, size in points,
// bold, italic, underline, strikethrough, then the target's drawing (text) colour <- CD1.Color,
// the colour last chosen in the colour dialog (black before the first choice).
void ApplyDialogFont(const AppState& s, QWidget& target, const QFont& dialogFont) {
    auto* canvas = qobject_cast<Canvas*>(&target);
    QFont font = canvas ? canvas->drawFont() : target.font();
    font.setFamily(dialogFont.family());
    if (dialogFont.pointSizeF() > 0)
        font.setPointSizeF(static_cast<float>(dialogFont.pointSizeF()));
    else if (dialogFont.pixelSize() > 0)
        font.setPixelSize(dialogFont.pixelSize());
    font.setBold(dialogFont.bold());
    font.setItalic(dialogFont.italic());
    font.setUnderline(dialogFont.underline());
    font.setStrikeOut(dialogFont.strikeOut());
    const std::int32_t colour = s.CD1.Color;
    if (canvas) {
        canvas->setDrawFont(font);
        canvas->setForeColour(colour);
    } else if (auto* field = qobject_cast<QLineEdit*>(&target)) {
        field->setFont(font);
        setTextColour(*field, colour);
    }
}

void chooseFont(Document& doc) {
    DialogSettings& cd = doc.state.CD1;
    cd.CancelError = true;
    cd.Flags = kFontDialogFlags;
    const EditorSurfaces& e = doc.surfaces();
    // The label field always carries the font last chosen, so the dialog opens on it.
    const std::optional<QFont> chosen = platform().fonts->chooseFont(e.labelField->font());
    if (!chosen)
        return; // cancel: like any failure, silently, nothing changed
    ApplyDialogFont(doc.state, *e.labelField, *chosen);
    ApplyDialogFont(doc.state, *e.pad, *chosen);
    ApplyDialogFont(doc.state, *windows::frmPicture1()->picMain, *chosen);
    ApplyDialogFont(doc.state, *windows::frmPicture2()->picMain, *chosen);
}

void setLineWidth(Document& doc, int width) {
    Canvas* preview = doc.surfaces().widthPreview;
    preview->cls();
    for (Canvas* c :
         {preview, doc.surfaces().pad, windows::frmPicture1()->picMain, windows::frmPicture2()->picMain})
        c->setDrawWidth(width);
    // The preview: one dot of the new width at the centre, in the preview's own drawing colour.
    preview->pset(preview->canvasWidth() / 2.0, preview->canvasHeight() / 2.0, preview->foreColour());
}

} // namespace

Command colourCommand() {
    return Command{kSilent, [](CommandContext& c) { chooseColour(c.document); }};
}

Command fontCommand() {
    return Command{kSilent, [](CommandContext& c) { chooseFont(c.document); }};
}

Command lineWidthCommand(int width) {
    return Command{kSilent, [width](CommandContext& c) { setLineWidth(c.document, width); }};
}

Command clearPadCommand() {
    return Command{kSilent, [](CommandContext& c) {
                       c.document.pad().cls();
                       c.document.pad().clearPicture();
                   }};
}

} // namespace tesmaro::editor
