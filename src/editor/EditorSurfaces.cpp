#include "editor/EditorSurfaces.h"

#include "document/Document.h"

namespace tesmaro::editor {

void applyChosenColour(Document& doc, std::int32_t colour) {
    doc.swatch().setBackColour(colour);
    doc.pad().setForeColour(colour);
    doc.setLabelColour(colour);
    doc.pictureWindow(WindowId::Picture1).picMain->setForeColour(colour);
    doc.pictureWindow(WindowId::Picture2).picMain->setForeColour(colour);
}

} // namespace tesmaro::editor
