#include "transfer/SourcePicture.h"

#include "document/Document.h"

namespace tesmaro::transfer {

QImage sourcePicture(Document& doc, SourceWindow source) {
    switch (source) {
    case SourceWindow::Picture:
        return doc.pictureWindow(WindowId::Picture1).picMain->image();
    case SourceWindow::Screen:
        return doc.pictureWindow(WindowId::Temp).picMain->image();
    case SourceWindow::MCopy:
        return doc.pictureWindow(WindowId::MCopy2).picMain->image();
    case SourceWindow::Image:
        break;
    }
    return doc.imageWindow(WindowId::Image1).Image1->picture();
}

} // namespace tesmaro::transfer
