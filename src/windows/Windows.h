#pragma once
// The global picture windows. Each accessor returns the one instance, creating it hidden with
// its design values on first reference; a window closed by the user or unloaded is discarded,
// and the next reference creates it afresh.

#include "windows/ImageWindow.h"
#include "windows/PictureWindow.h"

#include <functional>

namespace tesmaro::windows {

enum class Id { Image1, Image2, Picture1, Picture2, Temp, MCopy1, MCopy2 };

ImageWindow* frmImage1();
ImageWindow* frmImage2();
PictureWindow* frmPicture1();
PictureWindow* frmPicture2();
PictureWindow* frmTemp();
PictureWindow* frmMCopy1();
PictureWindow* frmMCopy2();

bool exists(Id id);
// Discards the window with its picture (nothing is asked); does nothing if it does not exist.
void unload(Id id);

// Called with every window the registry creates, before anyone else sees it (the editor
// attaches its mouse tools to the picture canvases this way).
void setCreationHook(std::function<void(Id, QWidget*)> hook);

// Design values, for creation and for tests.
PictureWindowDesign pictureDesign(Id id);
ImageWindowDesign imageDesign(Id id);

} // namespace tesmaro::windows
