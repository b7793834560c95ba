// "Цвет", "Шрифт", the line width bar and "Очистить": colour, font and width are written
// straight into every surface that draws, so the canvases always agree.
#include "editor/PenSettings.h"

#include "core/PackedColour.h"
#include "editor/EditorCommands.h"
#include "editor/EditorSurfaces.h"
#include "platform/Platform.h"
#include "shell/MainWindow.h"
#include "windows/Windows.h"

namespace tesmaro::editor {
namespace {
// Screen fonts and printer fonts, no effects section.
constexpr int kFontDialogFlags = 3;
} // namespace

void Command7_Click(MainWindow& w) {
    DialogSettings& cd = w.state.CD1;
    const std::optional<QColor> chosen =
        platform().colours->chooseColour(QColor::fromRgb(pixelFromPacked(cd.Color)));
    if (chosen)
        cd.Color = packedFromPixel(chosen->rgb());
    else if (cd.CancelError)
        return; // a cancel reported as an error ends the command silently
    // A cancel without CancelError applies the colour CD1 holds, as if it had been chosen.
    applyChosenColour(w, cd.Color);
}

void ApplyDialogFont(MainWindow& w, QWidget& target, const QFont& dialogFont) {
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
    const std::int32_t colour = w.state.CD1.Color;
    if (canvas) {
        canvas->setDrawFont(font);
        canvas->setForeColour(colour);
    } else if (auto* field = qobject_cast<QLineEdit*>(&target)) {
        field->setFont(font);
        setTextColour(*field, colour);
    }
}

void Command11_Click(MainWindow& w) {
    DialogSettings& cd = w.state.CD1;
    cd.CancelError = true;
    cd.Flags = kFontDialogFlags;
    // Text16 always carries the font last chosen, so the dialog opens on it.
    const std::optional<QFont> chosen = platform().fonts->chooseFont(w.Text16->font());
    if (!chosen)
        return; // cancel: like any failure, silently, nothing changed
    ApplyDialogFont(w, *w.Text16, *chosen);
    ApplyDialogFont(w, *w.picMain, *chosen);
    ApplyDialogFont(w, *windows::frmPicture1()->picMain, *chosen);
    ApplyDialogFont(w, *windows::frmPicture2()->picMain, *chosen);
}

void HScroll1_Change(MainWindow& w) {
    const int width = w.HScroll1->value();
    w.Picture4->cls();
    for (Canvas* c :
         {w.Picture4, w.picMain, windows::frmPicture1()->picMain, windows::frmPicture2()->picMain})
        c->setDrawWidth(width);
    // The preview: one dot of the new width at the centre, in Picture4's own drawing colour.
    w.Picture4->pset(w.Picture4->canvasWidth() / 2.0, w.Picture4->canvasHeight() / 2.0,
                     w.Picture4->foreColour());
}

void Command8_Click(MainWindow& w) {
    // Size, drawing colour, line width and font stay.
    w.picMain->cls();
    w.picMain->clearPicture();
}

} // namespace tesmaro::editor
