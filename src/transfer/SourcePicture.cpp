#include "transfer/SourcePicture.h"

#include "windows/Windows.h"

namespace tesmaro::transfer {

QImage sourcePicture(SourceWindow source) {
    switch (source) {
    case SourceWindow::Picture:
        return windows::frmPicture1()->picMain->image();
    case SourceWindow::Screen:
        return windows::frmTemp()->picMain->image();
    case SourceWindow::MCopy:
        return windows::frmMCopy2()->picMain->image();
    case SourceWindow::Image:
        break;
    }
    return windows::frmImage1()->Image1->picture();
}

} // namespace tesmaro::transfer
