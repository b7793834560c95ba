// Our own BMP reading and writing against Qt's BMP reader and ImageMagick: plain 24- and 32-bit
// files load exactly as Qt reads them (both row orders, every row padding), files cut short or
// with damaged headers give no picture or Qt's picture but never a crash, the files we write
// read back identically in Qt and ImageMagick, and a replaced file is swapped whole or not at all.
#include "support/TestPictures.h"

#include "pictures/BmpFile.h"
#include "pictures/PictureDecoding.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace tesmaro::testing {
namespace {

void putLe16(QByteArray& b, quint32 v) {
    b.append(char(v & 255));
    b.append(char((v >> 8) & 255));
}
void putLe32(QByteArray& b, quint32 v) {
    putLe16(b, v & 0xFFFF);
    putLe16(b, v >> 16);
}
quint32 le32At(const QByteArray& b, int at) {
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16 |
           quint32(quint8(b[at + 3])) << 24;
}

// An uncompressed BMP of patternPixel; 32-bit pixels carry a varying fourth byte.
QByteArray plainBmp(int width, int height, int bits, quint32 infoBytes = 40, int cutOff = 0) {
    const int rows = std::abs(height);
    const int rowBytes = (width * bits / 8 + 3) / 4 * 4;
    const quint32 offset = 14 + infoBytes;
    QByteArray f("BM");
    putLe32(f, offset + rowBytes * rows);
    putLe32(f, 0);
    putLe32(f, offset);
    putLe32(f, infoBytes);
    putLe32(f, quint32(width));
    putLe32(f, quint32(height));
    putLe16(f, 1);
    putLe16(f, bits);
    putLe32(f, 0);
    putLe32(f, rowBytes * rows);
    putLe32(f, 2835);
    putLe32(f, 2835);
    putLe32(f, 0);
    putLe32(f, 0);
    if (infoBytes > 40) { // colour masks of the larger headers, then the rest left 0
        putLe32(f, 0x00FF0000);
        putLe32(f, 0x0000FF00);
        putLe32(f, 0x000000FF);
        putLe32(f, 0);
    }
    f.resize(offset, '\0');
    for (int i = 0; i < rows; ++i) {
        const int y = height < 0 ? i : rows - 1 - i;
        const qsizetype start = f.size();
        for (int x = 0; x < width; ++x) {
            const QRgb c = patternPixel(x, y);
            f.append(char(qBlue(c)));
            f.append(char(qGreen(c)));
            f.append(char(qRed(c)));
            if (bits == 32)
                f.append(char(x * 40 + y));
        }
        f.append(QByteArray(rowBytes - (f.size() - start), '\x77'));
    }
    f.chop(cutOff);
    return f;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.path() + "/" + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    return path;
}

// Qt's reading of a file, put on white where it is transparent, as the program shows it.
QImage qtReads(const QString& path) {
    allowLargePictures();
    return opaquePicture(QImageReader(path).read());
}

::testing::AssertionResult opaque(const QImage& img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) != 255)
                return ::testing::AssertionFailure()
                       << "alpha " << qAlpha(img.pixel(x, y)) << " at (" << x << ", " << y << ")";
    return ::testing::AssertionSuccess();
}

QStringList filesIn(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(BmpFiles, PlainFilesLoadAsQtReadsThem) {
    QTemporaryDir dir;
    struct Case {
        int width, height, bits;
        quint32 info;
    };
    std::vector<Case> cases;
    for (int bits : {24, 32})
        for (int width : {1, 2, 3, 4, 5, 6, 7, 8, 17, 33})
            for (int height : {3, -3, 1})
                cases.push_back({width, height, bits, 40});
    for (quint32 info : {108u, 124u})
        cases.push_back({13, -4, 24, info});
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.width << "x" << c.height << ", " << c.bits << " bits, header " << c.info);
        const QString path = writeFile(dir, "plain.bmp", plainBmp(c.width, c.height, c.bits, c.info));
        const QImage ours = loadPictureFile(path);
        EXPECT_EQ(ours.format(), QImage::Format_RGB32);
        EXPECT_TRUE(samePixels(qtReads(path), ours));
        EXPECT_TRUE(samePixels(patternPicture(c.width, std::abs(c.height)), ours));
        EXPECT_TRUE(opaque(ours));
    }
}

TEST(BmpFiles, FilesCutShortGiveNoPicture) {
    QTemporaryDir dir;
    const QByteArray whole = plainBmp(10, 6, 24); // rows of 30 + 2 bytes
    const std::vector<std::pair<const char*, int>> cuts = {{"one pixel byte", 3},
                                                           {"a row", 32},
                                                           {"half", int(whole.size() - 54) / 2},
                                                           {"all pixels", int(whole.size() - 54)}};
    for (const auto& [what, bytes] : cuts) {
        SCOPED_TRACE(what);
        EXPECT_TRUE(loadPictureFile(writeFile(dir, "cut.bmp", whole.left(whole.size() - bytes))).isNull());
    }
    // Without the last row's padding every pixel is there.
    EXPECT_TRUE(samePixels(patternPicture(10, 6),
                           loadPictureFile(writeFile(dir, "unpadded.bmp", whole.left(whole.size() - 2)))));
    // A size above the scroll limit is refused whatever follows.
    EXPECT_TRUE(
        loadPictureFile(writeFile(dir, "tall.bmp", plainBmp(2, -(kMaxPictureSide + 1), 32))).isNull());
}

// A file's header as this test reads it.
struct Header {
    quint32 offset, infoBytes, planes, bits, compression;
    qint32 width, height;
    explicit Header(const QByteArray& f)
        : offset(le32At(f, 10)), infoBytes(le32At(f, 14)), planes(le32At(f, 26) & 0xFFFF),
          bits(le32At(f, 26) >> 16), compression(le32At(f, 30)), width(qint32(le32At(f, 18))),
          height(qint32(le32At(f, 22))) {}
    // Uncompressed 24 or 32 bits in the layouts our reader takes (32 bits only with the 40-byte
    // header; the larger ones may give it alpha).
    bool plain(const QByteArray& f) const {
        const bool layout = (infoBytes == 40 && (bits == 24 || bits == 32)) ||
                            ((infoBytes == 108 || infoBytes == 124) && bits == 24);
        return f.startsWith("BM") && layout && planes == 1 && compression == 0 && width > 0 &&
               width <= kMaxPictureSide && height != 0 && std::abs(qint64(height)) <= kMaxPictureSide &&
               offset >= 14 + infoBytes;
    }
    qint64 rows() const { return std::abs(qint64(height)); }
    qint64 rowBytes() const { return (qint64(width) * bits / 8 + 3) / 4 * 4; }
    bool pixelsInside(const QByteArray& f) const {
        return qint64(offset) + rowBytes() * (rows() - 1) + qint64(width) * bits / 8 <= f.size();
    }
    // The picture the bytes describe, pixel by pixel.
    QImage decode(const QByteArray& f) const {
        QImage img(width, int(rows()), QImage::Format_RGB32);
        for (int y = 0; y < rows(); ++y)
            for (int x = 0; x < width; ++x) {
                const qint64 at = offset + (height < 0 ? y : rows() - 1 - y) * rowBytes() + x * bits / 8;
                img.setPixel(x, y, qRgb(quint8(f.at(at + 2)), quint8(f.at(at + 1)), quint8(f.at(at))));
            }
        return img;
    }
};

// Random damage to the headers of small files, never a crash: files still of the plain kind load
// as their bytes say (and as Qt reads them) or, when their pixels are cut off, not at all; what
// Qt's reader makes of the others is its own affair.
TEST(BmpFiles, DamagedHeadersNeverCrashAndPlainOnesLoadExactly) {
    QTemporaryDir dir;
    std::mt19937 random(77);
    const QByteArray originals[] = {plainBmp(7, 5, 24), plainBmp(6, -4, 32)};
    const quint32 plausible[] = {0, 1, 2, 3, 4, 8, 16, 24, 32, 40, 54, 108, 124, 0xFFFFFFFF};
    int plainLoaded = 0, plainRefused = 0;
    for (int round = 0; round < 1500; ++round) {
        QByteArray file = originals[round % 2];
        const int damages = 1 + int(random() % 3);
        for (int i = 0; i < damages; ++i) {
            const int at = int(random() % 54);
            if (random() % 2 && at <= 50) {
                const quint32 v = plausible[random() % std::size(plausible)];
                for (int k = 0; k < 4; ++k)
                    file[at + k] = char(v >> (8 * k));
            } else {
                file[at] = char(random());
            }
        }
        const Header h(file);
        // Sizes that would make Qt's own reader allocate a huge picture are not what this is about.
        if (!h.plain(file) && std::abs(qint64(h.width)) * h.rows() > (1 << 20))
            continue;
        const QString path = writeFile(dir, "damaged.bmp", file);
        const QImage ours = loadPictureFile(path);
        if (!h.plain(file))
            continue;
        const std::string trace =
            "round " + std::to_string(round) + ", header " + file.left(54).toHex(' ').toStdString();
        if (h.pixelsInside(file)) {
            ++plainLoaded;
            ASSERT_TRUE(samePixels(h.decode(file), ours)) << trace;
            ASSERT_TRUE(samePixels(qtReads(path), ours)) << trace;
        } else {
            ++plainRefused;
            ASSERT_TRUE(ours.isNull()) << trace;
        }
    }
    EXPECT_GT(plainLoaded, 200);
    EXPECT_GT(plainRefused, 100);
}

TEST(BmpFiles, WrittenFilesHaveThePlainLayoutAndReadBackInQt) {
    QTemporaryDir dir;
    for (int width = 1; width <= 8; ++width) // every row padding, twice
        for (int height : {1, 3}) {
            SCOPED_TRACE(::testing::Message() << width << "x" << height);
            const QImage picture = patternPicture(width, height, width);
            const QString path = dir.path() + "/written.bmp";
            ASSERT_TRUE(saveBmpFile(picture, path));
            const QByteArray bytes = fileBytes(path);
            const int rowBytes = (width * 3 + 3) / 4 * 4;
            ASSERT_EQ(bytes.size(), 54 + rowBytes * height);
            EXPECT_EQ(bytes.left(2), QByteArray("BM"));
            EXPECT_EQ(le32At(bytes, 2), quint32(bytes.size()));
            EXPECT_EQ(le32At(bytes, 10), 54u);
            EXPECT_EQ(le32At(bytes, 14), 40u);
            EXPECT_EQ(le32At(bytes, 18), quint32(width));
            EXPECT_EQ(le32At(bytes, 22), quint32(height)); // positive: bottom row first
            EXPECT_EQ(le32At(bytes, 26), 1u | 24u << 16);  // one plane, 24 bits
            EXPECT_EQ(le32At(bytes, 30), 0u);              // no compression
            // The first pixel in the file is the bottom-left one, blue first.
            const QRgb bottomLeft = picture.pixel(0, height - 1);
            EXPECT_EQ(quint8(bytes[54]), qBlue(bottomLeft));
            EXPECT_EQ(quint8(bytes[55]), qGreen(bottomLeft));
            EXPECT_EQ(quint8(bytes[56]), qRed(bottomLeft));
            for (int pad = width * 3; pad < rowBytes; ++pad)
                EXPECT_EQ(bytes[54 + pad], '\0') << "padding byte " << pad;
            EXPECT_TRUE(samePixels(picture, qtReads(path)));
            EXPECT_TRUE(samePixels(picture, loadPictureFile(path)));
        }
}

TEST(BmpFiles, WrittenFilesOfEveryRowPaddingOpenInImageMagick) {
    const QString identify = QStandardPaths::findExecutable("identify");
    if (identify.isEmpty())
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    QTemporaryDir dir;
    for (int width : {4, 5, 6, 7}) {
        const QImage picture = patternPicture(width, 3, 5);
        const QString path = dir.path() + QString("/w%1.bmp").arg(width);
        ASSERT_TRUE(saveBmpFile(picture, path));
        QProcess p;
        p.start(identify,
                {"-format", QString("%w %h %[pixel:p{%1,2}] %[pixel:p{0,0}]").arg(width - 1), path});
        ASSERT_TRUE(p.waitForFinished(30000));
        const auto rgb = [](QRgb c) {
            return QString("srgb(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
        };
        const QString expected = QString("%1 3 %2 %3")
                                     .arg(width)
                                     .arg(rgb(picture.pixel(width - 1, 2)))
                                     .arg(rgb(picture.pixel(0, 0)));
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), expected) << "width " << width;
    }
}

// The old file is replaced, not overwritten: a reader that has it open keeps reading it whole,
// and no temporary file stays behind.
TEST(BmpFiles, ReplacedFileIsSwappedWhole) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/TempMC.bmp";
    ASSERT_TRUE(saveBmpFile(patternPicture(20, 10, 1), path));
    const QByteArray before = fileBytes(path);
    QFile open(path);
    ASSERT_TRUE(open.open(QIODevice::ReadOnly));
    ASSERT_TRUE(saveBmpFile(patternPicture(30, 12, 2), path));
    EXPECT_EQ(open.readAll(), before);
    EXPECT_TRUE(samePixels(patternPicture(30, 12, 2), loadPictureFile(path)));
    EXPECT_EQ(filesIn(dir), QStringList{"TempMC.bmp"});
}

TEST(BmpFiles, FailedWritesLeaveTheFolderAsItWas) {
    QTemporaryDir dir;
    const QImage picture = patternPicture(8, 8);
    // No such folder.
    EXPECT_FALSE(saveBmpFile(picture, dir.path() + "/missing/Temp.bmp"));
    // A folder where the file should go stays a folder.
    ASSERT_TRUE(QDir(dir.path()).mkdir("Temp.bmp"));
    ASSERT_TRUE(
        QFile::copy(writeFile(dir, "keep.bmp", plainBmp(3, 3, 24)), dir.path() + "/Temp.bmp/inside.bmp"));
    EXPECT_FALSE(saveBmpFile(picture, dir.path() + "/Temp.bmp"));
    EXPECT_TRUE(QFileInfo(dir.path() + "/Temp.bmp/inside.bmp").isFile());
    EXPECT_EQ(filesIn(dir), (QStringList{"Temp.bmp", "keep.bmp"}));
}

TEST(BmpFiles, WriteIntoAReadOnlyFolderFailsAndKeepsTheOldFile) {
    const QImage picture = patternPicture(8, 8);
    QTemporaryDir locked;
    const QString kept = locked.path() + "/Temp.bmp";
    ASSERT_TRUE(saveBmpFile(patternPicture(5, 5, 3), kept));
    const QByteArray before = fileBytes(kept);
    ASSERT_EQ(::chmod(QFile::encodeName(locked.path()).constData(), 0555), 0);
    const bool writable = ::access(QFile::encodeName(locked.path()).constData(), W_OK) == 0;
    const bool saved = saveBmpFile(picture, kept);
    ::chmod(QFile::encodeName(locked.path()).constData(), 0755);
    if (writable)
        GTEST_SKIP() << "running with rights that ignore a read-only folder (root)";
    EXPECT_FALSE(saved);
    EXPECT_EQ(fileBytes(kept), before);
    EXPECT_EQ(filesIn(locked), QStringList{"Temp.bmp"});
}

} // namespace
} // namespace tesmaro::testing
