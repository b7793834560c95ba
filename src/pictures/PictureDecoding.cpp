#include "pictures/PictureDecoding.h"

#include "core/BmpReader.h"
#include "core/PictureProbe.h"
#include "core/PictureRows.h"
#include "pictures/RasterImage.h"

#include <QFile>
#include <QIODevice>
#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tesmaro {
namespace {

// The bytes of a file through a descriptor the caller keeps open, as long as it was when opened:
// a file that shrinks meanwhile reads short, and decoding refuses it as cut off.
class FileBytes final : public ByteSource {
public:
    FileBytes(int fd, std::int64_t size) : m_fd(fd), m_size(size) {}
    std::int64_t size() override { return m_size; }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* buffer, std::int64_t count) override {
        if (offset < 0 || count < 0)
            return -1;
        if (offset >= m_size || count == 0)
            return 0;
        count = std::min(count, m_size - offset);
        for (;;) {
            const ssize_t n = ::pread(m_fd, buffer, static_cast<std::size_t>(count), offset);
            if (n >= 0 || errno != EINTR)
                return n;
        }
    }

private:
    int m_fd;
    std::int64_t m_size;
};

// Bytes [begin, end) of another source, as a source of their own (the PNG inside an icon).
class ByteRange final : public ByteSource {
public:
    ByteRange(ByteSource& source, std::int64_t begin, std::int64_t end)
        : m_source(source), m_begin(begin), m_size(std::max<std::int64_t>(0, end - begin)) {}
    std::int64_t size() override { return m_size; }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* buffer, std::int64_t count) override {
        if (offset < 0 || count < 0)
            return -1;
        if (offset >= m_size)
            return 0;
        return m_source.readAt(m_begin + offset, buffer, std::min(count, m_size - offset));
    }

private:
    ByteSource& m_source;
    std::int64_t m_begin;
    std::int64_t m_size;
};

// Spans of another source one after another, as a source of their own (a PNG without some of its
// chunks).
class ByteSpans final : public ByteSource {
public:
    explicit ByteSpans(ByteSource& source) : m_source(source) {}
    // Appends bytes [begin, end) of the source.
    void add(std::int64_t begin, std::int64_t end) {
        if (end > begin) {
            m_spans.push_back({m_size, begin});
            m_size += end - begin;
        }
    }
    std::int64_t size() override { return m_size; }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* buffer, std::int64_t count) override {
        if (offset < 0 || count < 0)
            return -1;
        std::int64_t done = 0;
        auto span = std::upper_bound(m_spans.begin(), m_spans.end(), offset,
                                     [](std::int64_t at, const Span& s) { return at < s.at; });
        while (done < count && offset < m_size && span != m_spans.begin()) {
            const Span& here = *(span - 1);
            const std::int64_t spanEnd = span == m_spans.end() ? m_size : span->at;
            const std::int64_t want = std::min(count - done, spanEnd - offset);
            const std::int64_t got = m_source.readAt(here.from + (offset - here.at), buffer + done, want);
            if (got < 0)
                return got;
            done += got;
            offset += got;
            if (got < want)
                break;
            ++span;
        }
        return done;
    }

private:
    struct Span {
        std::int64_t at;   // where it starts here
        std::int64_t from; // where it starts in the source
    };
    ByteSource& m_source;
    std::vector<Span> m_spans;
    std::int64_t m_size = 0;
};

// A GIF without its global colour table, for a file whose first image brings its own: that image
// never uses the global one, but Qt's decoder clears the screen around it with a colour of the
// image's table before reading the table (memory it never wrote). Without a global table it leaves
// the screen as it cleared it: black, or white where the image has a transparent colour.
class GifWithoutGlobalColours final : public ByteSource {
public:
    explicit GifWithoutGlobalColours(ByteSource& gif) : m_gif(gif) {}
    // false when the file has no global table (or its screen descriptor is cut off).
    bool open() {
        if (!readFully(m_gif, 0, m_head, sizeof m_head) || (m_head[10] & 0x80) == 0)
            return false;
        m_tableBytes = 3 * (std::int64_t{2} << (m_head[10] & 7));
        m_head[10] &= 0x7F;
        return true;
    }
    std::int64_t size() override {
        return std::max<std::int64_t>(sizeof m_head, m_gif.size() - m_tableBytes);
    }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* buffer, std::int64_t count) override {
        if (offset < 0 || count < 0)
            return -1;
        if (offset >= static_cast<std::int64_t>(sizeof m_head))
            return m_gif.readAt(offset + m_tableBytes, buffer, count);
        const std::int64_t n = std::min<std::int64_t>(count, sizeof m_head - offset);
        std::copy_n(m_head + offset, n, buffer);
        return n;
    }

private:
    ByteSource& m_gif;
    std::uint8_t m_head[13] = {}; // signature and logical screen descriptor
    std::int64_t m_tableBytes = 0;
};

// A byte source as the random-access device Qt's decoders read. Unbuffered, so the position
// Qt keeps is the one read from.
class SourceDevice final : public QIODevice {
public:
    explicit SourceDevice(ByteSource& source) : m_source(source), m_size(source.size()) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_size; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        return m_source.readAt(pos(), reinterpret_cast<std::uint8_t*>(data), maxSize);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    ByteSource& m_source;
    qint64 m_size;
};

class DescriptorCloser {
public:
    explicit DescriptorCloser(int fd) : m_fd(fd) {}
    ~DescriptorCloser() { ::close(m_fd); }
    DescriptorCloser(const DescriptorCloser&) = delete;
    DescriptorCloser& operator=(const DescriptorCloser&) = delete;

private:
    int m_fd;
};

// The picture as the program keeps it: Format_RGB32, opaque, ratio 1. A 32-bit picture with
// alpha is put on white in its own pixels, so the largest picture never needs a second raster.
QImage flattened(QImage picture) {
    if (picture.isNull())
        return {};
    if (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32) {
        picture = std::move(picture).convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                               : QImage::Format_RGB32);
        if (picture.isNull())
            return {};
    }
    picture.setDevicePixelRatio(1.0);
    if (picture.format() == QImage::Format_RGB32)
        return picture;
    const RasterView pixels{reinterpret_cast<std::uint32_t*>(picture.bits()), picture.width(),
                            picture.height(), static_cast<int>(picture.bytesPerLine() / 4)};
    for (int y = 0; y < pixels.height; ++y)
        putRowOnWhite(pixels.row(y), pixels.width);
    picture.reinterpretAsFormat(QImage::Format_RGB32);
    return picture;
}

// A BMP or DIB whose header the reader accepted: its pixels straight into the picture's raster.
QImage decodeDib(ByteSource& source, const BmpHeader& header) {
    QImage picture = newRaster(header.width, header.height);
    if (picture.isNull() || decodeBmp(source, header, rasterOf(picture)) != BmpStatus::Ok)
        return {};
    return picture;
}

// GIF, JPEG or PNG by Qt's decoder of exactly that format. A read that fails gives nothing,
// whatever the decoder left in the picture. An opaque PNG is decoded into a raster of the
// program's own (Qt's PNG reader fills a picture of its size and format that it is given, every
// row or it fails), so a large one lands in memory that is cheap to touch rather than fresh pages.
QImage decodeWithQt(ByteSource& source, PictureFormat format, std::int64_t width = 0,
                    std::int64_t height = 0) {
    SourceDevice device(source);
    QImageReader reader(&device, pictureFormatName(format));
    reader.setAutoTransform(false); // the orientation is applied after flattening, by the probe's
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    QImage picture;
    if (format == PictureFormat::Png && width > 0 && height > 0 && pictureSizeAllowed(width, height))
        picture = newRaster(static_cast<int>(width), static_cast<int>(height));
    if (!reader.read(&picture))
        return {};
    if (picture.format() == QImage::Format_RGB32) {
        // The unused byte must be 255; Qt's GIF decoder leaves what it cleared at 0.
        const RasterView pixels = rasterOf(picture);
        for (int y = 0; y < pixels.height; ++y) {
            std::uint32_t* row = pixels.row(y);
            for (int x = 0; x < pixels.width; ++x)
                row[x] |= 0xFF000000u;
        }
    }
    return picture;
}

// The most tRNS chunks a colour-keyed PNG may have before its image data (a decoder takes the
// first valid one and skips the others): more are refused, so that leaving them out costs little.
constexpr std::size_t kMostKeyChunks = 64;

// A PNG the probe accepted. A 16-bit truecolour one with a colour key is decoded without its tRNS
// chunks, at 16 bits a channel, and the pixels of exactly the key's colour made white.
QImage decodePng(ByteSource& source, const PictureHeader& probed) {
    if (!probed.colourKey16)
        return decodeWithQt(source, PictureFormat::Png, probed.width, probed.height);
    ByteSpans withoutKey(source);
    std::int64_t kept = 0;
    std::size_t keys = 0;
    bool imageData = false;
    const bool whole = walkPngChunks(source, [&](const PngChunk& chunk) {
        imageData = imageData || chunk.is("IDAT");
        if (!imageData && chunk.is("tRNS")) {
            withoutKey.add(kept, chunk.offset);
            kept = chunk.offset + 12 + chunk.length;
            ++keys;
        }
        return keys <= kMostKeyChunks;
    });
    if (!whole || keys > kMostKeyChunks)
        return {};
    withoutKey.add(kept, source.size());
    QImage picture = decodeWithQt(withoutKey, PictureFormat::Png);
    if (picture.isNull())
        return {};
    if (picture.format() != QImage::Format_RGBX64)
        picture = std::move(picture).convertToFormat(QImage::Format_RGBX64);
    const std::uint64_t key = std::uint64_t{probed.colourKey[0]} | std::uint64_t{probed.colourKey[1]} << 16 |
                              std::uint64_t{probed.colourKey[2]} << 32;
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<std::uint64_t*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if ((row[x] & 0xFFFFFFFFFFFFull) == key)
                row[x] = ~std::uint64_t{0};
    }
    return picture;
}

// The first entry of an icon or cursor: a PNG, probed and decoded as a file of its own, or a DIB
// with its mask, through the BMP reader. The entry runs to the end of the file.
QImage decodeIcon(ByteSource& source) {
    IconEntry entry;
    if (!readIconEntry(source, 0, entry))
        return {};
    const std::int64_t bytes = source.size() - entry.offset;
    if (bytes <= 0)
        return {};
    if (entry.png) {
        ByteRange image(source, entry.offset, source.size());
        const PictureHeader inner = probePicture(image);
        return checkPicture(inner) == PictureCheck::Accepted ? decodePng(image, inner) : QImage();
    }
    BmpHeader header;
    if (readDibHeader(source, entry.offset, bytes, DibKind::IconEntry, header) != BmpStatus::Ok)
        return {};
    return decodeDib(source, header);
}

// The picture turned upright by an EXIF orientation: in its own raster when the sides stay, else
// into a new one (the stored one is let go after).
QImage upright(QImage picture, int orientation) {
    if (orientInPlace(rasterOf(picture), orientation))
        return picture;
    QImage turned = newRaster(picture.height(), picture.width());
    if (turned.isNull() || !orientInto(rasterOf(picture), rasterOf(turned), orientation))
        return {};
    return turned;
}

} // namespace

void allowLargePictures() {
    // Once: decoding runs on several threads at once in headless runs.
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(static_cast<int>(kMaxPictureBytes >> 20)); });
}

QImage opaquePicture(const QImage& picture) {
    if (picture.isNull() || picture.width() > kMaxPictureSide || picture.height() > kMaxPictureSide)
        return {};
    try {
        return flattened(picture);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QImage decodePictureSource(ByteSource& source) {
    try {
        const PictureHeader probed = probePicture(source);
        if (checkPicture(probed) != PictureCheck::Accepted)
            return {};
        allowLargePictures();
        QImage picture;
        switch (probed.format) {
        case PictureFormat::Bmp: {
            BmpHeader header;
            if (readBmpHeader(source, header) == BmpStatus::Ok)
                picture = decodeDib(source, header);
            break;
        }
        case PictureFormat::Ico:
            picture = decodeIcon(source);
            break;
        case PictureFormat::Gif: {
            GifWithoutGlobalColours withoutGlobal(source);
            const bool ownColours = probed.firstImageColours && withoutGlobal.open();
            picture =
                decodeWithQt(ownColours ? static_cast<ByteSource&>(withoutGlobal) : source, probed.format);
            break;
        }
        case PictureFormat::Jpeg:
            picture = decodeWithQt(source, probed.format);
            break;
        case PictureFormat::Png:
            picture = decodePng(source, probed);
            break;
        case PictureFormat::Unknown:
            break;
        }
        if (picture.isNull() || !pictureSizeAllowed(picture.width(), picture.height()))
            return {};
        picture = flattened(std::move(picture));
        return picture.isNull() ? picture : upright(std::move(picture), probed.orientation);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QImage decodePictureBytes(const QByteArray& bytes) {
    MemoryBytes source(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       static_cast<std::size_t>(bytes.size()));
    return decodePictureSource(source);
}

QImage loadPictureFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        return {};
    // Regular files only: a FIFO or device would block the program or never end. Checked before
    // opening, so no device is ever opened, and on the open descriptor, which is all that is
    // read, so a path swapped meanwhile cannot bring one in.
    struct stat info {};
    if (::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {};
    const DescriptorCloser closer(fd);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    FileBytes bytes(fd, info.st_size);
    return decodePictureSource(bytes);
}

} // namespace tesmaro
