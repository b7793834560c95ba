#pragma once
// What both kinds of picture window on the screen do alike: follow the document's window (its
// title, whether it is shown, requests to come to the front), and take a picture file dropped
// on them. Of several dropped files only the first is taken; a drag that brings no local file (a
// web address, text) is refused.

#include <QString>

class QDragEnterEvent;
class QDropEvent;
class QMimeData;
class QWidget;

namespace tesmaro {

class ProgramWindow;

// The widget takes the window's title and visibility now and whenever they change, and comes to
// the front when asked; nothing once the window is gone.
void followWindow(QWidget& widget, ProgramWindow& window);

// The path of the first file the drag brings, or an empty string when it is not a local file.
QString droppedPicturePath(const QMimeData* data);
// A drag over the window: accepted when it brings a local file.
void acceptPictureDrag(QDragEnterEvent* event);
// The drop: the dropped file's path, the drop accepted; empty (refused) without a local file.
QString takePictureDrop(QDropEvent* event);

} // namespace tesmaro
