#include "editor/EditorSurfaces.h"

#include "core/PackedColour.h"
#include "shell/MainWindow.h"
#include "windows/Windows.h"

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

void applyChosenColour(MainWindow& w, std::int32_t colour) {
    w.Picture3->setBackColour(colour);
    w.picMain->setForeColour(colour);
    setTextColour(*w.Text16, colour);
    windows::frmPicture1()->picMain->setForeColour(colour);
    windows::frmPicture2()->picMain->setForeColour(colour);
}

} // namespace tesmaro::editor
