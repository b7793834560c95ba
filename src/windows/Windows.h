#pragma once
// The global picture windows. Each accessor returns the one instance, creating it hidden with
// its design values on first reference; a window closed by the user or unloaded is discarded,
// and the next reference creates it afresh.

#include "windows/ImageWindow.h"
#include "windows/PictureWindow.h"

#include <functional>

namespace tesmaro::windows {

enum class Id { Image1, Image2, Picture1, Picture2, Temp, MCopy1, MCopy2 };
inline constexpr Id kEveryWindow[] = {Id::Image1, Id::Image2, Id::Picture1, Id::Picture2,
                                      Id::Temp,   Id::MCopy1, Id::MCopy2};

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
// unload for every picture window.
void unloadAll();

// Calls a function with every window the registry creates, before anyone else sees it, for as
// long as the listener lives (the mouse tools and the undo history attach to new canvases so).
class CreationListener {
public:
    CreationListener() = default;
    explicit CreationListener(std::function<void(Id, QWidget*)> onCreated);
    ~CreationListener();
    CreationListener(CreationListener&& other) noexcept;
    CreationListener& operator=(CreationListener&& other) noexcept;
    CreationListener(const CreationListener&) = delete;
    CreationListener& operator=(const CreationListener&) = delete;

private:
    int m_id = 0;
};

// The canvas of a picture window (Picture1, Picture2, Temp, MCopy1, MCopy2), or null for an
// image window or a window that does not exist.
Canvas* existingCanvas(Id id);

// Design values, for creation and for tests.
PictureWindowDesign pictureDesign(Id id);
ImageWindowDesign imageDesign(Id id);

} // namespace tesmaro::windows
