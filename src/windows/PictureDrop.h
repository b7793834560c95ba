#pragma once
// A picture file dropped on a window: the local file a drag brings, if any. Of several files
// only the first is taken; a drag that brings no local file (a web address, text) is refused.

#include <QString>

class QMimeData;

namespace tesmaro {

// The path of the first file the drag brings, or an empty string when it is not a local file.
QString droppedPicturePath(const QMimeData* data);

} // namespace tesmaro
