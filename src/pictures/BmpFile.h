#pragma once
// Pictures written as BMP files.

#include <QImage>
#include <QString>

namespace tesmaro {

// Writes the picture as a 24-bit bottom-up BMP in place of path (platform/FileReplacement.h), so
// a failed write (false) leaves any previous file whole and no temporary file behind.
bool saveBmpFile(const QImage& picture, const QString& path);

} // namespace tesmaro
