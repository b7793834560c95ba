// Pictures from the wild, one table of crafted files for each class that public test suites found
// loading wrong: every file is decoded here, checked against pixels worked out from how it was
// made, and decoded again by the runner in processes whose fresh heap memory is filled with 0x00,
// 0x80 and a random byte, which must each give the same verdict and pixels.
#include "pictures/PictureDecoding.h"
#include "transfer/PictureMaker.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTransform>

#include <gtest/gtest.h>

#include <functional>

namespace tesmaro::testing {
namespace {

struct Case {
    std::string name;
    QByteArray bytes;
    QImage expected; // null: refused
    int tolerance = 0;
};

struct Outcome {
    QString verdict; // "loaded WxH HASH" or "refused"
    qint64 ms = 0;
    long kib = 0;
};

QImage grid(int width, int height, const std::function<QRgb(int, int)>& colour) {
    QImage p(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, colour(x, y) | 0xFF000000u);
    return p;
}

QString verdictOf(const QImage& p) {
    if (p.isNull())
        return "refused";
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int y = 0; y < p.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(p.constScanLine(y)), p.width() * 4));
    return QString("loaded %1x%2 %3").arg(p.width()).arg(p.height()).arg(hash.result().toHex().left(20));
}

bool near(const QImage& a, const QImage& b, int tolerance) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            for (int shift : {0, 8, 16})
                if (std::abs(int(a.pixel(x, y) >> shift & 255) - int(b.pixel(x, y) >> shift & 255)) >
                    tolerance) {
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << a.pixel(x, y) << " for "
                                  << b.pixel(x, y);
                    return false;
                }
    return true;
}

// The runner over the files, with fresh heap memory filled with `fill` (glibc fills it with the
// complement of MALLOC_PERTURB_; AddressSanitizer with its own byte).
std::vector<Outcome> runnerRuns(const QStringList& paths, int fill) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MALLOC_PERTURB_", QString::number(fill ^ 0xFF));
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + QString(":malloc_fill_byte=%1").arg(fill));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(DECODE_RUNNER), paths);
    std::vector<Outcome> runs;
    if (!p.waitForFinished(120000))
        return runs;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(' ');
        const bool loaded = f.value(1) == "loaded";
        runs.push_back({loaded ? f.mid(1, 3).join(' ') : f.value(1), f.value(loaded ? 4 : 2).toLongLong(),
                        f.value(loaded ? 5 : 3).toLong()});
    }
    return runs;
}

// Every case decoded here and by the runner under three heap fillings; returns the runner's
// costs under the first.
std::vector<Outcome> expectDecodes(const std::vector<Case>& cases) {
    QTemporaryDir dir;
    QStringList paths;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        paths << dir.filePath(QString::number(i));
        QFile f(paths.back());
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(cases[i].bytes) == cases[i].bytes.size());
    }
    std::vector<std::vector<Outcome>> runs;
    for (int fill : {0x00, 0x80, int(1 + std::random_device{}() % 254)}) {
        runs.push_back(runnerRuns(paths, fill));
        EXPECT_EQ(runs.back().size(), cases.size()) << "fill " << fill;
        runs.back().resize(cases.size());
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        const QImage got = decodePictureBytes(cases[i].bytes);
        EXPECT_EQ(got.isNull(), cases[i].expected.isNull());
        if (!got.isNull() && !cases[i].expected.isNull()) {
            EXPECT_EQ(got.size(), cases[i].expected.size());
            EXPECT_TRUE(got.size() == cases[i].expected.size() &&
                        near(got, cases[i].expected, cases[i].tolerance));
        }
        for (const auto& run : runs)
            EXPECT_EQ(run[i].verdict, verdictOf(got)) << "the heap's filling changed the picture";
    }
    return runs[0];
}

const QByteArray kSignature("\x89PNG\r\n\x1a\n", 8);
const QByteArray kIend = pngChunk("IEND", {});

QByteArray chunkClaiming(std::uint32_t length, const char* type, const QByteArray& body) {
    QByteArray c;
    putBe32(c, length);
    return c + type + body;
}

TEST(WildPictures, PngChunksLyingAboutTheirLengthAreRefusedAtOnce) {
    const QByteArray ihdr = pngIhdr(1, 1, 8, 2),
                     idat = pngChunk("IDAT", zlibOf(QByteArray("\0\x10\x20\x30", 4)));
    const QImage pixel = grid(1, 1, [](int, int) { return 0x102030u; });
    std::vector<Case> cases = {
        {"honest", kSignature + ihdr + pngChunk("tEXt", QByteArray("Comment\0hi", 10)) + idat + kIend,
         pixel}};
    for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "sCAL", "pCAL", "iCCP", "prVt", "IDAT"})
        for (std::uint32_t claim : {0x7FFFFFFFu, 0x40000000u, 100u}) {
            const QByteArray lie = chunkClaiming(claim, type, QByteArray("Comment\0ab", 10));
            cases.push_back(
                {std::string(type) + " claiming " + std::to_string(claim), kSignature + ihdr + lie, {}});
            cases.push_back({std::string(type) + " after the pixels", kSignature + ihdr + idat + lie, {}});
        }
    const std::vector<Outcome> runs = expectDecodes(cases);
    for (std::size_t i = 1; i < runs.size(); ++i) {
        EXPECT_LT(runs[i].ms, 100) << cases[i].name;
        EXPECT_LT(runs[i].kib - runs[0].kib, 16 * 1024) << cases[i].name;
    }
}

QByteArray be16s(std::initializer_list<std::uint16_t> values) {
    QByteArray b;
    for (std::uint16_t v : values)
        b += QByteArray(1, char(v >> 8)) + char(v);
    return b;
}

TEST(WildPictures, SixteenBitColourKeysMakeExactlyTheKeyedPixelsWhite) {
    const int w = 11, h = 7;
    const std::uint16_t key[3] = {0x1234, 0x5678, 0x9ABC};
    const auto keyed = [](int x, int y) { return (x + 2 * y) % 5 == 0; };
    const auto sample = [&](int x, int y, int c) {
        return keyed(x, y) ? key[c] : std::uint16_t((x * 7919 + y * 104729 + c * 30011) & 0xFFFF);
    };
    // The whole picture's rows, or those of the seven passes of an interlaced one.
    const auto rows = [&](bool interlaced) {
        const std::vector<std::array<int, 4>> passes =
            interlaced
                ? std::vector<std::array<int, 4>>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                  {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                : std::vector<std::array<int, 4>>{{0, 0, 1, 1}};
        QByteArray raw;
        for (const auto& [left, top, dx, dy] : passes)
            for (int y = top; y < h && left < w; y += dy) {
                raw += '\0';
                for (int x = left; x < w; x += dx)
                    raw += be16s({sample(x, y, 0), sample(x, y, 1), sample(x, y, 2)});
            }
        return pngChunk("IDAT", zlibOf(raw));
    };
    const auto to8 = [&](int x, int y, int c) { return (sample(x, y, c) * 255u + 32767) / 65535; };
    const QImage unkeyed =
        grid(w, h, [&](int x, int y) { return qRgb(to8(x, y, 0), to8(x, y, 1), to8(x, y, 2)); });
    const QImage white =
        grid(w, h, [&](int x, int y) { return keyed(x, y) ? 0xFFFFFFu : unkeyed.pixel(x, y); });
    const QByteArray trns = pngChunk("tRNS", be16s({key[0], key[1], key[2]}));
    QByteArray damaged = trns;
    damaged[damaged.size() - 1] = char(damaged.back() ^ 1);
    const auto file = [&](bool interlaced, const QByteArray& before, const QByteArray& after = {}) {
        return kSignature + pngIhdr(w, h, 16, 2, interlaced) + before + rows(interlaced) + after + kIend;
    };
    expectDecodes({
        {"keyed", file(false, trns), white, 1},
        {"keyed, interlaced", file(true, trns), white, 1},
        {"the first of two keys", file(false, trns + pngChunk("tRNS", be16s({1, 2, 3}))), white, 1},
        {"a damaged key, then a good one", file(false, damaged + trns), white, 1},
        {"only a damaged key", file(false, damaged), unkeyed, 1},
        {"a key after the pixels", file(false, {}, trns), unkeyed, 1},
        {"keyed, inside an icon", icoFile({{w, h, file(false, trns)}}), white, 1},
    });
}

// A JPEG as Qt writes it with `extra` put before its first table, and the picture Qt's own decoder
// makes of the file as written.
QByteArray jpegWith(const QByteArray& extra, int at = -1) {
    QByteArray j = qtWritten(makerPicture(24, 16), "jpeg", 95);
    return j.insert(at >= 0 ? at : j.indexOf("\xFF\xDB"), extra);
}
QImage jpegAsWritten() {
    return QImage::fromData(jpegWith({})).convertToFormat(QImage::Format_RGB32);
}

TEST(WildPictures, JpegSegmentsThatLibjpegSkipsWithAWarningLoad) {
    std::vector<Case> cases;
    for (const QByteArray& stray :
         {QByteArray("\xFF\x00", 2), QByteArray("\x12\x34\xFF\x00\x56", 5), QByteArray("\xFF\xFF\xFF\x00", 4),
          QByteArray("\xFF\xFE\x00\x00", 4), QByteArray("\xFF\xFE\x00\x01", 4),
          QByteArray("\xFF\xE1\x00\x00", 4), QByteArray("\xFF\xEC\x00\x01", 4)})
        cases.push_back({stray.toHex().toStdString(), jpegWith(stray), jpegAsWritten()});
    cases.push_back({"a table of length 1", jpegWith(QByteArray("\xFF\xDB\x00\x01", 4)), {}});
    expectDecodes(cases);
}

// An APP1 segment of EXIF data whose first directory holds the orientation tag, as a short (type
// 3) or a long (type 4), in either byte order.
QByteArray exifSegment(std::uint32_t orientation, bool little, int type = 3) {
    QByteArray tiff;
    const auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            tiff += char(v >> 8 * (little ? i : bytes - 1 - i));
    };
    tiff += little ? "II" : "MM";
    put(42, 2);
    put(8, 4);
    put(1, 2); // one entry
    put(0x0112, 2);
    put(std::uint32_t(type), 2);
    put(1, 4);
    put(orientation, type == 3 ? 2 : 4);
    put(0, type == 3 ? 2 : 0);
    put(0, 4); // no next directory
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    return QByteArray("\xFF\xE1", 2) + char((body.size() + 2) >> 8) + char(body.size() + 2) + body;
}

TEST(WildPictures, JpegsAreTurnedUprightByTheirExifOrientation) {
    const QImage stored = jpegAsWritten();
    // What each orientation shows, by Qt's own turns and mirrors.
    const QTransform right = QTransform().rotate(90), left = QTransform().rotate(270);
    const QImage upright[9] = {stored,
                               stored,
                               stored.mirrored(true, false),
                               stored.mirrored(true, true),
                               stored.mirrored(false, true),
                               stored.transformed(right).mirrored(true, false),
                               stored.transformed(right),
                               stored.transformed(left).mirrored(true, false),
                               stored.transformed(left)};
    std::vector<Case> cases;
    for (int o = 1; o <= 8; ++o)
        for (bool little : {false, true})
            cases.push_back({std::to_string(o) + (little ? " II" : " MM"),
                             jpegWith(exifSegment(o, little), 2), upright[o]});
    const QByteArray xmp("\xFF\xE1\0\x05xmp", 7);
    cases.push_back({"6 as a long", jpegWith(exifSegment(6, true, 4), 2), upright[6]});
    cases.push_back({"6 after another APP1", jpegWith(xmp + exifSegment(6, false), 2), upright[6]});
    cases.push_back({"0", jpegWith(exifSegment(0, true), 2), stored});
    cases.push_back({"9", jpegWith(exifSegment(9, false), 2), stored});
    cases.push_back(
        {"a second EXIF segment", jpegWith(exifSegment(1, true) + exifSegment(6, true), 2), stored});
    expectDecodes(cases);
}

TEST(WildPictures, IconsAndCursorsShowTheirMaskAsWhite) {
    std::vector<Case> cases;
    for (int bits : {1, 4, 8, 24, 32}) {
        // iconDib's pixels: palette colour (x + 3y) mod 2^bits, or makerColour with alpha
        // (40x + 9y) mod 256 for 32 bits (the mask then unused), masked where (x + y) mod 5 is 0.
        const QImage expected = grid(13, 11, [bits](int x, int y) -> QRgb {
            const int i = (x + 3 * y) % (1 << std::min(bits, 8));
            const std::uint32_t c = bits <= 8 ? makerColour(i, i * 3) : makerColour(x, y),
                                a = (x * 40 + y * 9) & 255;
            if (bits == 32)
                return qRgb(expectedOnWhite(c >> 16 & 255, a), expectedOnWhite(c >> 8 & 255, a),
                            expectedOnWhite(c & 255, a));
            return (x + y) % 5 == 0 ? 0xFFFFFFu : c;
        });
        for (bool cursor : {false, true})
            for (std::uint32_t listed : {0u, 40u, 1u, 0xFFFFFFFFu}) {
                QByteArray f = icoFile({{13, 11, iconDib(13, 11, bits)}});
                if (cursor)
                    f.replace(2, 1, "\x02")
                        .replace(10, 4, QByteArray("\x05\0\x07\0", 4)); // the type, the hot spot
                if (listed != 0)
                    setLe32(f, 14, listed);
                cases.push_back({std::to_string(bits) + (cursor ? " cur " : " ico ") + std::to_string(listed),
                                 f, expected, bits == 32});
            }
    }
    expectDecodes(cases);
}

TEST(WildPictures, GifsAreJudgedByTheirScreenAndFirstImage) {
    const QByteArray first = gifFile(20, 15, {GifFrame{0, 0, 20, 15}}).chopped(1);
    // A later image of three pixels claiming a place and size of its own.
    const auto later = [](int left, int top, int width, int height) {
        QByteArray d(",");
        for (int v : {left, top, width, height})
            putLe16(d, std::uint32_t(v));
        return d + '\0' + gifImageData({1, 2, 3}, 8);
    };
    const QImage expected = grid(20, 15, [](int x, int y) {
        const int i = (x * 7 + y * 13) & 255;
        return qRgb((i * 67) & 255, (i * 151 + 30) & 255, (i * 29 + 200) & 255);
    });
    expectDecodes({
        {"alone", first + ';', expected},
        {"a later image far off the screen", first + later(60000, 60000, 5000, 5000) + ';', expected},
        {"a later image of 65535 x 65535", first + later(0, 0, 65535, 65535) + ';', expected},
        {"a screen beyond the bound", gifFile(16384, 16385, {GifFrame{0, 0, 4, 4}}), {}},
    });
}

} // namespace
} // namespace tesmaro::testing
