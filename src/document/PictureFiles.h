#pragma once
// Picture files: decoding any picture file the program offers, and writing BMP files
// safely (to a temporary file renamed into place, so a failed write leaves the old file whole).

#include "core/PictureLimits.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace tesmaro {

// The picture of a BMP, GIF, ICO, JPG or PNG file (any format Qt's image readers know, found
// by content when the name's suffix does not match) as Format_RGB32, transparent parts on
// white; a null image when the file is missing, unreadable, not a picture, larger than
// kMaxPictureSide on a side (refused from the header), or memory runs out. Uncompressed 24- and
// 32-bit BMPs are read by our own reader, which also refuses one whose pixels the file cuts off.
QImage loadPictureFile(const QString& path);
// Any picture as an opaque Format_RGB32 picture, transparent parts put on white; a null image
// for a null picture, a side above kMaxPictureSide, or no memory.
QImage opaquePicture(const QImage& picture);
// Lets Qt's image readers allocate pictures up to kMaxPictureSide on a side (their default
// limit refuses much smaller ones). Idempotent; loadPictureFile calls it itself.
void allowLargePictures();
// Writes the picture as a 24-bit bottom-up BMP into a new file in the same folder and renames it
// over path, so a failed write (false) leaves any previous file whole and no temporary behind.
// The data reaches the kernel, not necessarily the disk (no fsync).
bool saveBmpFile(const QImage& picture, const QString& path);
// The program's folder, "/", then name.
QString appFilePath(const QString& name);

} // namespace tesmaro
