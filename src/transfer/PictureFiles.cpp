#include "transfer/PictureFiles.h"

#include "platform/Platform.h"

#include <QImageReader>
#include <QSaveFile>

namespace tesmaro {

QImage loadPictureFile(const QString& path) {
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull() || image.width() > 32767 || image.height() > 32767)
        return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

bool saveBmpFile(const QImage& picture, const QString& path) {
    if (picture.isNull())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!picture.convertToFormat(QImage::Format_RGB888).save(&file, "BMP"))
        return false;
    return file.commit();
}

QString appFilePath(const QString& name) { return platform().folder->path() + "/" + name; }

} // namespace tesmaro
