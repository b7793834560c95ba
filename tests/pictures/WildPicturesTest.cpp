// Pictures from the wild, one table of crafted files for each class that public test suites found
// loading wrong: every file is decoded here and checked against pixels worked out from how it was
// made (within 1 a channel), and decoded again by the runner in processes whose fresh heap memory
// is filled with 0x00, 0x80 and a random byte, which must each give the same verdict and pixels.
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
};

struct Outcome {
    QString verdict; // "loaded WxH HASH" or "refused"
    long ms = 0, kib = 0;
};

QImage grid(int width, int height, const std::function<QRgb(int, int)>& colour) {
    QImage p(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, colour(x, y) | 0xFF000000u);
    return p;
}

QString verdictOf(const QImage& p) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int y = 0; y < p.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(p.constScanLine(y)), p.width() * 4));
    return p.isNull() ? "refused"
                      : QString("loaded %1x%2 %3")
                            .arg(p.width())
                            .arg(p.height())
                            .arg(hash.result().toHex().left(20));
}

// The runner over the files, fresh heap memory filled with `fill` (glibc fills it with the
// complement of MALLOC_PERTURB_, AddressSanitizer with its own byte).
std::vector<Outcome> runnerOutcomes(const QStringList& paths, int fill) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MALLOC_PERTURB_", QString::number(fill ^ 0xFF));
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + QString(":malloc_fill_byte=%1").arg(fill));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(DECODE_RUNNER), paths);
    p.waitForFinished(120000);
    std::vector<Outcome> outcomes;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(' ');
        outcomes.push_back(
            {f.mid(1, f.size() - 3).join(' '), f.value(f.size() - 2).toLong(), f.back().toLong()});
    }
    outcomes.resize(std::size_t(paths.size()));
    return outcomes;
}

// Every case decoded here and by the runner under three heap fillings; returns the runner's
// outcomes under the first.
std::vector<Outcome> expectDecodes(const std::vector<Case>& cases) {
    QTemporaryDir dir;
    QStringList paths;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        QFile f(dir.filePath(QString::number(i)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(cases[i].bytes) == cases[i].bytes.size());
        paths << f.fileName();
    }
    std::vector<std::vector<Outcome>> runs;
    for (int fill : {0x00, 0x80, int(1 + std::random_device{}() % 254)})
        runs.push_back(runnerOutcomes(paths, fill));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        const QImage got = decodePictureBytes(cases[i].bytes), &expected = cases[i].expected;
        EXPECT_EQ(got.isNull(), expected.isNull());
        EXPECT_EQ(got.size(), expected.size());
        int worst = 0;
        for (int y = 0; got.size() == expected.size() && y < got.height(); ++y)
            for (int x = 0; x < got.width(); ++x)
                for (int shift : {0, 8, 16})
                    worst = std::max(worst, std::abs(int(got.pixel(x, y) >> shift & 255) -
                                                     int(expected.pixel(x, y) >> shift & 255)));
        EXPECT_LE(worst, 1) << "channels apart from the expected picture's";
        for (const auto& run : runs)
            EXPECT_EQ(run[i].verdict, verdictOf(got)) << "the heap's filling changed the picture";
    }
    return runs[0];
}

const QByteArray kSignature("\x89PNG\r\n\x1a\n", 8);

TEST(WildPictures, PngChunksLyingAboutTheirLengthAreRefusedAtOnce) {
    const QByteArray ihdr = pngIhdr(1, 1, 8, 2),
                     idat = pngChunk("IDAT", zlibOf(QByteArray("\0\x10\x20\x30", 4)));
    const QByteArray text = pngChunk("tEXt", QByteArray("Comment\0hi", 10));
    std::vector<Case> cases = {{"honest", kSignature + ihdr + text + idat + pngChunk("IEND", {}),
                                grid(1, 1, [](int, int) { return 0x102030u; })}};
    for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "sCAL", "pCAL", "iCCP", "prVt", "IDAT"})
        for (std::uint32_t claim : {0x7FFFFFFFu, 0x40000000u, 100u}) {
            QByteArray lie;
            putBe32(lie, claim);
            lie += type + text.mid(8);
            cases.push_back(
                {std::string(type) + " claiming " + std::to_string(claim), kSignature + ihdr + lie, {}});
            cases.push_back({std::string(type) + " after the pixels", kSignature + ihdr + idat + lie, {}});
        }
    const std::vector<Outcome> outcomes = expectDecodes(cases);
    for (std::size_t i = 1; i < outcomes.size(); ++i) {
        EXPECT_LT(outcomes[i].ms, 100) << cases[i].name;
        EXPECT_LT(outcomes[i].kib - outcomes[0].kib, 16 * 1024) << cases[i].name;
    }
}

TEST(WildPictures, SixteenBitColourKeysMakeExactlyTheKeyedPixelsWhite) {
    const int w = 11, h = 7;
    const std::uint32_t key[3] = {0x1234, 0x5678, 0x9ABC};
    const auto keyed = [](int x, int y) { return (x + 2 * y) % 5 == 0; };
    const auto sample = [&](int x, int y, int c) {
        return keyed(x, y) ? key[c] : (x * 7919 + y * 104729 + c * 30011) & 0xFFFF;
    };
    // The rows of the whole picture, or of the seven passes of an interlaced one.
    const auto rows = [&](bool interlaced) {
        static const int passes[8][4] = {{0, 0, 1, 1}, {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8},
                                         {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
        QByteArray raw;
        for (int p = interlaced ? 1 : 0; p < (interlaced ? 8 : 1); ++p)
            for (int y = passes[p][1]; y < h && passes[p][0] < w; y += passes[p][3]) {
                raw += '\0';
                for (int x = passes[p][0]; x < w; x += passes[p][2])
                    for (int c = 0; c < 3; ++c)
                        raw += QByteArray(1, char(sample(x, y, c) >> 8)) + char(sample(x, y, c));
            }
        return pngChunk("IDAT", zlibOf(raw));
    };
    const auto to8 = [&](int x, int y, int c) { return (sample(x, y, c) * 255 + 32767) / 65535; };
    const QImage unkeyed =
        grid(w, h, [&](int x, int y) { return qRgb(to8(x, y, 0), to8(x, y, 1), to8(x, y, 2)); });
    const QImage white =
        grid(w, h, [&](int x, int y) { return keyed(x, y) ? 0xFFFFFFu : unkeyed.pixel(x, y); });
    const QByteArray trns = pngChunk("tRNS", QByteArray("\x12\x34\x56\x78\x9A\xBC", 6));
    QByteArray damaged = trns;
    damaged[damaged.size() - 1] = char(damaged.back() ^ 1);
    const auto file = [&](bool interlaced, const QByteArray& before, const QByteArray& after = {}) {
        return kSignature + pngIhdr(w, h, 16, 2, interlaced) + before + rows(interlaced) + after +
               pngChunk("IEND", {});
    };
    expectDecodes({
        {"keyed", file(false, trns), white},
        {"keyed, interlaced", file(true, trns), white},
        {"the first of two keys", file(false, trns + pngChunk("tRNS", QByteArray(6, '\1'))), white},
        {"a damaged key, then a good one", file(false, damaged + trns), white},
        {"only a damaged key", file(false, damaged), unkeyed},
        {"a key after the pixels", file(false, {}, trns), unkeyed},
        {"keyed, inside an icon", icoFile({{w, h, file(false, trns)}}), white},
    });
}

// An APP1 segment of EXIF data whose first directory holds the orientation as a short (type 3)
// or a long (type 4), in either byte order.
QByteArray exifSegment(std::uint32_t orientation, bool little, std::uint32_t type = 3) {
    QByteArray b = QByteArray("\xFF\xE1\0\0Exif\0\0", 10) + (little ? "II" : "MM");
    // 42, the first directory at 8, one entry: tag, type, count 1, value; no next directory.
    const std::pair<std::uint32_t, int> fields[] = {{42, 2},
                                                    {8, 4},
                                                    {1, 2},
                                                    {0x0112, 2},
                                                    {type, 2},
                                                    {1, 4},
                                                    {orientation, type == 3 ? 2 : 4},
                                                    {0, type == 3 ? 6 : 4}};
    for (const auto& [v, bytes] : fields)
        for (int i = 0; i < bytes; ++i)
            b += char(std::uint64_t{v} >> 8 * (little ? i : bytes - 1 - i));
    b[3] = char(b.size() - 2);
    return b;
}

TEST(WildPictures, JpegsLibjpegReadsWithAWarningLoadAndTurnUprightByTheirExifOrientation) {
    const QByteArray written = qtWritten(makerPicture(24, 16), "jpeg", 95);
    const QImage stored = QImage::fromData(written).convertToFormat(QImage::Format_RGB32);
    const auto with = [&](const QByteArray& extra, qsizetype at = 2) {
        return QByteArray(written).insert(at, extra);
    };
    // Stray bytes and segments of length 0 or 1 before the first table, which libjpeg skips;
    // only a table whose length is below 2 it refuses.
    std::vector<Case> cases = {
        {"a table of length 1", with(QByteArray("\xFF\xDB\0\1", 4), written.indexOf("\xFF\xDB")), {}}};
    for (const char* stray : {"\xFF"
                              "z",
                              "\x12\x34\xFFz\x56", "\xFF\xFF\xFFz", "\xFF\xFEzz", "\xFF\xFEz\x01",
                              "\xFF\xE1zz", "\xFF\xECz\x01"}) // z: a 0 byte
        cases.push_back({QByteArray(stray).toHex().toStdString(),
                         with(QByteArray(stray).replace('z', '\0'), written.indexOf("\xFF\xDB")), stored});
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
    for (int o = 0; o <= 9; ++o)
        for (bool little : {false, true})
            cases.push_back({"orientation " + std::to_string(o) + (little ? " II" : " MM"),
                             with(exifSegment(o, little)), upright[o % 9]});
    cases.push_back({"6 as a long", with(exifSegment(6, true, 4)), upright[6]});
    cases.push_back({"6 after another APP1", with(QByteArray("\xFF\xE1\0\x05xmp", 7) + exifSegment(6, false)),
                     upright[6]});
    cases.push_back(
        {"6 in a second EXIF segment", with(exifSegment(1, true) + exifSegment(6, true)), stored});
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
        // Icons and cursors (type 2, a hot spot where icons have planes and bits) whose
        // directory states the right byte count, too few, or too many.
        for (bool cursor : {false, true})
            for (std::uint32_t listed : {0u, 40u, 1u, 0xFFFFFFFFu}) {
                QByteArray f = icoFile({{13, 11, iconDib(13, 11, bits)}});
                if (cursor)
                    f.replace(2, 1, "\x02").replace(10, 4, QByteArray("\x05\0\x07\0", 4));
                if (listed != 0)
                    setLe32(f, 14, listed);
                cases.push_back({std::to_string(bits) + (cursor ? " cur " : " ico ") + std::to_string(listed),
                                 f, expected});
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
        return d + '\0' + gifImageData({1, 2, 3}, 8) + ';';
    };
    const QImage expected = grid(20, 15, [](int x, int y) {
        const int i = (x * 7 + y * 13) & 255;
        return qRgb((i * 67) & 255, (i * 151 + 30) & 255, (i * 29 + 200) & 255);
    });
    expectDecodes({
        {"alone", first + ';', expected},
        {"a later image far off the screen", first + later(60000, 60000, 5000, 5000), expected},
        {"a later image of 65535 x 65535", first + later(0, 0, 65535, 65535), expected},
        {"a screen beyond the bound", gifFile(16384, 16385, {GifFrame{0, 0, 4, 4}}), {}},
    });
}

} // namespace
} // namespace tesmaro::testing
