#pragma once
// Picture files: decoding any picture file the program offers, and writing BMP files
// safely (to a temporary file renamed into place, so a failed write leaves the old file whole).

#include <QImage>
#include <QString>

namespace tesmaro {

// The picture of a BMP, GIF, ICO, JPG or PNG file as Format_RGB32; a null image when the file
// is missing, unreadable, not a picture, larger than 32767 pixels on a side, or memory runs out.
QImage loadPictureFile(const QString& path);
// Writes the picture as a 24-bit BMP, replacing any file of that name. false on failure.
bool saveBmpFile(const QImage& picture, const QString& path);
// The program's folder, "/", then name.
QString appFilePath(const QString& name);

} // namespace tesmaro
