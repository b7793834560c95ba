#include "transfer/PictureFiles.h"

#include "platform/Platform.h"

#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

#include <new>

namespace tesmaro {
namespace {

bool sideAllowed(const QSize& size) {
    return size.width() <= kMaxPictureSide && size.height() <= kMaxPictureSide;
}

} // namespace

void allowLargePictures() {
    // The widest decoded format is 8 bytes a pixel (16-bit RGBA); the limit is in MiB.
    constexpr qint64 kLimitMiB = (qint64(kMaxPictureSide) * kMaxPictureSide * 8 >> 20) + 1;
    QImageReader::setAllocationLimit(static_cast<int>(kLimitMiB));
}

QImage opaquePicture(const QImage& picture) {
    if (picture.isNull() || !sideAllowed(picture.size()))
        return {};
    try {
        if (!picture.hasAlphaChannel())
            return picture.convertToFormat(QImage::Format_RGB32);
        QImage opaque(picture.size(), QImage::Format_RGB32);
        if (opaque.isNull())
            return {};
        opaque.fill(Qt::white);
        QPainter p(&opaque);
        p.drawImage(0, 0, picture);
        p.end();
        return opaque;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QImage loadPictureFile(const QString& path) {
    allowLargePictures();
    QImageReader reader(path);
    // Refuse an oversized picture from its header, before any memory is spent on it.
    const QSize announced = reader.size();
    if (announced.isValid() && !sideAllowed(announced))
        return {};
    try {
        return opaquePicture(reader.read());
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool saveBmpFile(const QImage& picture, const QString& path) {
    if (picture.isNull())
        return false;
    try {
        // Qt writes an opaque 32-bit picture as a 24-bit BMP, without a second copy of it.
        const QImage rgb = picture.format() == QImage::Format_RGB32
                               ? picture
                               : picture.convertToFormat(QImage::Format_RGB32);
        if (rgb.isNull())
            return false;
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        if (!rgb.save(&file, "BMP"))
            return false; // QSaveFile drops the temporary file unless committed
        return file.commit();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

QString appFilePath(const QString& name) {
    return platform().folder->path() + "/" + name;
}

} // namespace tesmaro
