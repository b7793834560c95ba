#pragma once
// Decoding the picture files and clipboard pictures the program takes, with a bounded memory.

#include "core/ByteSource.h"
#include "core/PictureLimits.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace tesmaro {

// Pictures come in only through the program's own decoding: the format is found by content (BMP,
// GIF, ICO, JPEG, PNG; anything else is refused whatever the name), the header probe refuses any
// picture beyond kMaxPictureSide a side or kMaxPicturePixels, and any decoder buffer beyond
// kMaxPictureBytes (PictureLimits.h), before a pixel is decoded; BMP files and the DIBs of icons
// go through the program's BMP reader, GIF, JPEG, PNG and the PNGs of icons through Qt's decoders
// with the format given. An icon gives its first entry. Every decoded picture is Format_RGB32,
// device pixel ratio 1, transparent parts put on white. A null image for any refusal, a file or
// picture cut off or damaged beyond what the decoder takes, or when memory runs out.

// The picture of a regular file (a FIFO, device, socket or folder is refused without being read,
// and what is read is the file that was opened, whatever the path names meanwhile).
QImage loadPictureFile(const QString& path);
// The picture of encoded bytes (a file's content, as the clipboard holds it).
QImage decodePictureBytes(const QByteArray& bytes);
// The picture of a byte source, which decoding reads as it needs.
QImage decodePictureSource(ByteSource& source);
// Any picture as an opaque Format_RGB32 picture, transparent parts put on white, pixel for pixel
// whatever its device pixel ratio; a null image for a null picture, a side above
// kMaxPictureSide, or no memory.
QImage opaquePicture(const QImage& picture);
// Sets the allocation limit of Qt's image readers to kMaxPictureBytes, the bound on every raster
// a decoder sets up (Qt's default refuses much smaller pictures). Idempotent; the decoding above
// calls it itself.
void allowLargePictures();

} // namespace tesmaro
