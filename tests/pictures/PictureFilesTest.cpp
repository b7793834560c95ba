// The real decoders and the BMP writer: every offered format opens with the right pixels, others
// are refused, large pictures are taken up to the scroll limit and refused beyond it, files we
// write open in another tool, and a failed write leaves the previous file whole.
#include "FixturePictures.h"
#include "support/TestPictures.h"
#include "transfer/PictureMaker.h"

#include "pictures/BmpFile.h"
#include "pictures/PictureDecoding.h"
#include "pictures/RasterImage.h"

#include <QBuffer>
#include <QDataStream>
#include <QElapsedTimer>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace tesmaro::testing {
namespace {

const QString kFixtures = QStringLiteral(PICTURE_FIXTURES);

// A BMP header announcing width x height 24-bit pixels, with no pixels behind it.
QByteArray bmpHeaderOnly(int width, int height) {
    QByteArray file("BM");
    putLe32(file, 54);
    putLe32(file, 0);
    putLe32(file, 54);
    putLe32(file, 40);
    putLe32(file, width);
    putLe32(file, height);
    putLe16(file, 1);
    putLe16(file, 24);
    for (int i = 0; i < 6; ++i)
        putLe32(file, 0);
    return file;
}

TEST(PictureFiles, CommittedFixturesDecodeExactly) {
    for (const Lossless& f : kCommittedLossless) {
        SCOPED_TRACE(f.file.toStdString());
        EXPECT_TRUE(samePixels(fixturePicture(f.colours), loadPictureFile(kFixtures + "/" + f.file)));
    }
}

TEST(PictureFiles, RunLengthFourBitBmpDecodesExactly) {
    QTemporaryDir dir;
    const QString path = writeBytes(dir, "rle4.bmp", rle4Bmp());
    EXPECT_TRUE(samePixels(fixturePicture(16), loadPictureFile(path)));
}

TEST(PictureFiles, FormatsQtWritesDecode) {
    QTemporaryDir dir;
    const QImage picture = patternPicture(29, 17);
    for (const char* format : {"png", "bmp", "ico"}) {
        SCOPED_TRACE(format);
        const QString path = dir.path() + "/p." + format;
        ASSERT_TRUE(picture.save(path, format));
        EXPECT_TRUE(samePixels(picture, loadPictureFile(path)));
    }
    // Formats Qt also reads are not the program's: refused, whatever the file is called.
    for (const char* format : {"ppm", "tiff", "xpm", "xbm"}) {
        SCOPED_TRACE(format);
        for (const QString& name : {QString("p.") + format, QString("p-") + format + ".bmp"}) {
            const QString path = dir.path() + "/" + name;
            ASSERT_TRUE(picture.save(path, format));
            EXPECT_TRUE(loadPictureFile(path).isNull());
        }
    }
    // An 8-bit indexed PNG and a 16-bit PNG.
    const QString indexed = dir.path() + "/indexed.png";
    ASSERT_TRUE(fixturePicture(40).convertToFormat(QImage::Format_Indexed8).save(indexed));
    EXPECT_TRUE(samePixels(fixturePicture(40), loadPictureFile(indexed)));
    const QString deep = dir.path() + "/deep.png";
    ASSERT_TRUE(picture.convertToFormat(QImage::Format_RGBX64).save(deep));
    EXPECT_TRUE(samePixels(picture, loadPictureFile(deep)));

    // JPG is lossy: a flat picture with a sharp edge comes back close.
    QImage halves = filled(32, 16, qRgb(200, 40, 40));
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 32; ++x)
            halves.setPixel(x, y, qRgb(30, 60, 220));
    const QString jpg = dir.path() + "/p.jpg";
    ASSERT_TRUE(halves.save(jpg, "JPG", 95));
    const QImage decoded = loadPictureFile(jpg);
    ASSERT_EQ(decoded.size(), halves.size());
    for (const QPoint p : {QPoint(3, 3), QPoint(10, 12), QPoint(20, 4), QPoint(29, 13)}) {
        const QRgb e = halves.pixel(p), a = decoded.pixel(p);
        EXPECT_NEAR(qRed(a), qRed(e), 12) << p.x() << "," << p.y();
        EXPECT_NEAR(qGreen(a), qGreen(e), 12) << p.x() << "," << p.y();
        EXPECT_NEAR(qBlue(a), qBlue(e), 12) << p.x() << "," << p.y();
    }
}

TEST(PictureFiles, FormatIsFoundByContentWhateverTheName) {
    QTemporaryDir dir;
    const QImage picture = patternPicture(9, 5);
    const QString png = dir.path() + "/p.png";
    ASSERT_TRUE(picture.save(png));
    for (const QString name : {"named.bmp", "no-extension", "named.jpg"}) {
        SCOPED_TRACE(name.toStdString());
        const QString path = dir.path() + "/" + name;
        ASSERT_TRUE(QFile::copy(png, path));
        EXPECT_TRUE(samePixels(picture, loadPictureFile(path)));
    }
}

TEST(PictureFiles, WhatIsNotAPictureGivesNoPicture) {
    QTemporaryDir dir;
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        patternPicture(40, 40).save(&buffer, "PNG");
    }
    const std::vector<std::pair<QString, QByteArray>> files = {
        {"empty.bmp", QByteArray()},
        {"text.jpg", QByteArray("just some text\n")},
        {"half.png", png.left(png.size() / 3)},
        {"header-only.bmp", bmpHeaderOnly(20, 20)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(loadPictureFile(writeBytes(dir, name, bytes)).isNull());
    }
    EXPECT_TRUE(loadPictureFile(dir.path() + "/missing.bmp").isNull());
    EXPECT_TRUE(loadPictureFile(dir.path()).isNull()); // a folder
}

TEST(PictureFiles, OversizedPicturesAreRefusedFromTheirHeader) {
    QTemporaryDir dir;
    // Claims 40000 x 40000 (4.8 GB of pixels): refused without trying to allocate them.
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(loadPictureFile(writeBytes(dir, "huge.bmp", bmpHeaderOnly(40000, 40000))).isNull());
    EXPECT_LT(clock.elapsed(), 2000);
    const QString wide = dir.path() + "/wide.png";
    ASSERT_TRUE(filled(kMaxPictureSide + 1, 1, qRgb(1, 2, 3)).save(wide));
    EXPECT_TRUE(loadPictureFile(wide).isNull());
    const QString edge = dir.path() + "/edge.png";
    ASSERT_TRUE(filled(kMaxPictureSide, 1, qRgb(1, 2, 3)).save(edge));
    EXPECT_EQ(loadPictureFile(edge).size(), QSize(kMaxPictureSide, 1));
}

TEST(PictureFiles, PicturesBeyondQtsDefaultAllocationLimitLoad) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/big.png";
    {
        // 8500 x 8500 at 4 bytes a pixel is about 276 MiB, twice Qt's default limit.
        QImage big(8500, 8500, QImage::Format_RGB888);
        ASSERT_FALSE(big.isNull());
        big.fill(qRgb(10, 200, 30));
        for (int x = 0; x < 8500; ++x)
            big.setPixel(x, 8499, qRgb(250, 5, 5));
        ASSERT_TRUE(big.save(path, "PNG", 100));
    }
    QImageReader::setAllocationLimit(128);
    EXPECT_TRUE(QImageReader(path).read().isNull()) << "the default limit no longer refuses this picture";
    const QImage loaded = loadPictureFile(path);
    ASSERT_EQ(loaded.size(), QSize(8500, 8500));
    EXPECT_EQ(loaded.pixel(0, 0) & 0xFFFFFF, 0x0AC81Eu);
    EXPECT_EQ(loaded.pixel(8499, 8498) & 0xFFFFFF, 0x0AC81Eu);
    EXPECT_EQ(loaded.pixel(4000, 8499) & 0xFFFFFF, 0xFA0505u);
}

TEST(PictureFiles, BmpWeWriteIs24BitAndOpensInImageMagick) {
    const QString identify = QStandardPaths::findExecutable("identify");
    if (identify.isEmpty())
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    QTemporaryDir dir;
    const QString path = dir.path() + "/written.bmp";
    const QImage picture = patternPicture(31, 9);
    ASSERT_TRUE(saveBmpFile(picture, path));
    const QByteArray bytes = fileBytes(path);
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(int(quint8(bytes[28])), 24);

    QProcess p;
    for (const QPoint pt : {QPoint(0, 0), QPoint(30, 0), QPoint(0, 8), QPoint(17, 5)}) {
        p.start(identify, {"-format", QString("%m %w %h %[pixel:p{%1,%2}]").arg(pt.x()).arg(pt.y()), path});
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        const QRgb c = picture.pixel(pt);
        const QString expectedRgb = QString("srgb(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
        // ImageMagick names the plain Windows 3 layout BMP3.
        EXPECT_TRUE(out == "BMP3 31 9 " + expectedRgb || out == "BMP 31 9 " + expectedRgb)
            << "pixel " << pt.x() << "," << pt.y() << ": expected " << expectedRgb.toStdString() << ", got "
            << out.toStdString();
    }
}

// A write that fails half-way (the file-size limit cuts it off) leaves the previous file whole
// and no temporary file behind.
TEST(PictureFiles, FailedWriteLeavesThePreviousFileWhole) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/Temp.bmp";
    ASSERT_TRUE(saveBmpFile(patternPicture(10, 10), path));
    const QByteArray before = fileBytes(path);

    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = saveBmpFile(patternPicture(200, 200), path); // 120 KB
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Temp.bmp"});
}

// A large PNG is decoded into memory the program may have held another picture in: whatever it
// held, a damaged file gives the same picture or none, never pixels of the one before.
TEST(PictureFiles, DamagedLargePngsDecodeTheSameWhateverTheMemoryHeldBefore) {
    constexpr int kWidth = 1100, kHeight = 1000; // past the size kept for reuse
    QImage original(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            original.setPixel(x, y, qRgb((x * 7 + y) & 0xFF, (x ^ y) & 0xFF, (x * y) & 0xFF));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(original.save(&buffer, "PNG", 100));
    // Leaves a freed raster of the picture's size holding `fill` for the next decode to reuse.
    const auto leaveMemoryHolding = [](std::uint32_t fill) {
        QImage held = newRaster(kWidth, kHeight);
        ASSERT_FALSE(held.isNull());
        held.fill(fill);
    };
    // Cut off, and damage behind valid checksums: rows short, cut mid-row, too many, badly
    // filtered, or with changed pixel bytes, in both row orders.
    std::vector<QByteArray> damaged;
    for (int cut = 1; cut < 8; ++cut)
        damaged.push_back(png.left(png.size() * cut / 8));
    for (int interlace : {0, 1}) {
        const QByteArray ihdr = pngIhdr(kWidth, kHeight, 8, 2, interlace);
        const QByteArray rows =
            interlace ? pngInterlacedRows(kWidth, kHeight, 3, 8) : pngRows(kWidth, kHeight, 3, 8);
        for (qsizetype cut : {qsizetype(0), qsizetype(3 * kWidth + 1) * 300 + 77, rows.size() - 1})
            damaged.push_back(pngFile(ihdr, zlibOf(rows.left(cut))));
        damaged.push_back(pngFile(ihdr, zlibOf(rows + rows)));
        QByteArray pixels = rows;
        for (qsizetype at = 5; at < pixels.size(); at += 4099)
            if (interlace || at % (3 * kWidth + 1) != 0)
                pixels[at] = static_cast<char>(pixels[at] ^ 0x3C);
        damaged.push_back(pngFile(ihdr, zlibOf(pixels)));
    }
    damaged.push_back(pngFile(pngIhdr(kWidth, kHeight, 8, 2), zlibOf(pngRows(kWidth, kHeight, 3, 8, 9))));
    int loaded = 0;
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        leaveMemoryHolding(0xFF000000u);
        const QImage first = decodePictureBytes(damaged[i]);
        leaveMemoryHolding(0xFFFFFFFFu);
        const QImage second = decodePictureBytes(damaged[i]);
        ASSERT_EQ(first.isNull(), second.isNull()) << "file " << i;
        EXPECT_EQ(first, second) << "file " << i;
        loaded += first.isNull() ? 0 : 1;
    }
    leaveMemoryHolding(0xFF000000u);
    EXPECT_EQ(decodePictureBytes(png), original);
    std::printf("%d of %zu damaged files loaded\n", loaded, damaged.size());
}

// Writing over a file many times: each write leaves the new picture, and the replaced files are
// all let go (their descriptors closed), so nothing piles up however often Temp.bmp is written.
TEST(PictureFiles, RepeatedWritesReplaceTheFileAndLetTheOldOnesGo) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/Temp.bmp";
    const auto openDescriptors = [] {
        return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size();
    };
    ASSERT_TRUE(saveBmpFile(patternPicture(30, 20), path));
    const qsizetype before = openDescriptors();
    for (int i = 1; i <= 40; ++i) {
        QImage picture = patternPicture(30, 20);
        picture.setPixel(0, 0, qRgb(i, 0, 0));
        ASSERT_TRUE(saveBmpFile(picture, path));
        EXPECT_EQ(qRed(loadPictureFile(path).pixel(0, 0)), i);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return openDescriptors() <= before; }, 5000))
        << openDescriptors() << " descriptors open, " << before << " before";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Temp.bmp"});
}

} // namespace
} // namespace tesmaro::testing
