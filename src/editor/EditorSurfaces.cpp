#include "editor/EditorSurfaces.h"

#include "core/PackedColour.h"
#include "editor/EditorCommands.h"
#include "windows/Windows.h"

#include <QLineEdit>
#include <QPalette>

namespace tesmaro::editor {

void setTextColour(QLineEdit& field, std::int32_t colour) {
    QPalette pal = field.palette();
    pal.setColor(QPalette::Text, QColor::fromRgb(pixelFromPacked(colour)));
    field.setPalette(pal);
}

std::int32_t textColour(const QLineEdit& field) {
    return packedFromPixel(field.palette().color(QPalette::Text).rgb());
}

void applyChosenColour(Document& doc, std::int32_t colour) {
    const EditorSurfaces& e = doc.surfaces();
    e.swatch->setBackColour(colour);
    e.pad->setForeColour(colour);
    setTextColour(*e.labelField, colour);
    windows::frmPicture1()->picMain->setForeColour(colour);
    windows::frmPicture2()->picMain->setForeColour(colour);
}

} // namespace tesmaro::editor
