#include "document/PictureFiles.h"

#include "core/BmpCodec.h"
#include "platform/Platform.h"
#include "windows/RasterImage.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <new>
#include <stdio.h>
#include <unistd.h>

namespace tesmaro {
namespace {

bool sideAllowed(const QSize& size) {
    return size.width() <= kMaxPictureSide && size.height() <= kMaxPictureSide;
}

enum class FastLoad { Loaded, Refused, NotPlain };

// The common case, an uncompressed 24- or 32-bit BMP such as Temp.bmp, read straight into the
// raster: Qt's reader takes about three times as long over a row-by-row device and a copy.
FastLoad loadPlainBmp(const QString& path, QImage& picture) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return FastLoad::NotPlain; // the general reader finds and reports it
    std::uint8_t head[kBmpHeadBytes];
    const qint64 headBytes = file.read(reinterpret_cast<char*>(head), kBmpHeadBytes);
    if (headBytes < kBmpHeadBytes)
        return FastLoad::NotPlain;
    BmpLayout layout;
    switch (inspectBmp(head, static_cast<std::size_t>(headBytes), file.size(), kMaxPictureSide, layout)) {
    case BmpKind::Plain:
        break;
    case BmpKind::Oversized:
    case BmpKind::Truncated: // Qt's reader would show whatever its memory held for the missing rows
        return FastLoad::Refused;
    case BmpKind::Other:
        return FastLoad::NotPlain;
    }
    if (!file.seek(layout.pixelOffset))
        return FastLoad::Refused;
    QImage decoded = newRaster(layout.width, layout.height);
    if (decoded.isNull())
        return FastLoad::Refused; // out of memory
    const auto read = [&file](std::uint8_t* buffer, std::int64_t bytes) -> std::int64_t {
        return file.read(reinterpret_cast<char*>(buffer), bytes);
    };
    if (!decodeBmpPixels(layout, read, rasterOf(decoded)))
        return FastLoad::Refused;
    picture = decoded;
    return FastLoad::Loaded;
}

bool writeAll(int fd, const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t n = ::write(fd, bytes, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

// Puts the finished file `temp` in place of `target` in one step by a plain rename: atomic for
// readers, and on ext4 it also has the new data written before the rename commits, so even a
// power cut leaves the old picture or the new one.
bool putInPlace(const QByteArray& temp, const QByteArray& target) {
    return ::rename(temp.constData(), target.constData()) == 0;
}

// Gives `produce` a sink into a fresh file in path's folder and, when everything was written,
// puts that file in place of path; otherwise removes it. Readers and later runs see the old
// file or the new one, never a part of either, whatever fails. No explicit fsync: the rename
// keeps old-or-new, and a flush per file would cost 10 to 20 ms for a screen-sized picture.
bool replaceFile(const QString& path, const std::function<bool(const BmpByteSink&)>& produce) {
    static std::atomic<unsigned> serial{0};
    const QString folder = QFileInfo(path).absolutePath();
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = QFile::encodeName(
            QStringLiteral("%1/.tesmaro-%2-%3.tmp").arg(folder).arg(::getpid()).arg(serial.fetch_add(1)));
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool written = false;
    try {
        written = produce(
            [fd](const std::uint8_t* bytes, std::size_t count) { return writeAll(fd, bytes, count); });
    } catch (...) {
        ::close(fd);
        ::unlink(temp.constData());
        throw;
    }
    written = ::close(fd) == 0 && written;
    if (written && putInPlace(temp, QFile::encodeName(path)))
        return true;
    ::unlink(temp.constData());
    return false;
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
        p.drawImage(opaque.rect(), picture); // pixel for pixel, whatever ratio a "@2x" name gave it
        p.end();
        return opaque;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QImage loadPictureFile(const QString& path) {
    try {
        QImage plain;
        switch (loadPlainBmp(path, plain)) {
        case FastLoad::Loaded:
            return plain;
        case FastLoad::Refused:
            return {};
        case FastLoad::NotPlain:
            break;
        }
        allowLargePictures();
        QImageReader reader(path);
        // Refuse an oversized picture from its header, before any memory is spent on it.
        const QSize announced = reader.size();
        if (announced.isValid() && !sideAllowed(announced))
            return {};
        return opaquePicture(reader.read());
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool saveBmpFile(const QImage& picture, const QString& path) {
    if (picture.isNull())
        return false;
    try {
        const QImage rgb = picture.format() == QImage::Format_RGB32
                               ? picture
                               : picture.convertToFormat(QImage::Format_RGB32);
        if (rgb.isNull())
            return false;
        const ConstRasterView pixels = constRasterOf(rgb);
        return replaceFile(path, [&pixels](const BmpByteSink& sink) { return encodeBmp24(pixels, sink); });
    } catch (const std::bad_alloc&) {
        return false;
    }
}

QString appFilePath(const QString& name) {
    return platform().folder->path() + "/" + name;
}

} // namespace tesmaro
