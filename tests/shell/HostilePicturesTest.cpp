// Hostile and damaged pictures through the real load: damaged files of every format and layout
// load the same whatever the heap held before (two runs of the program with the heap filled
// differently) or not at all, and the same from the clipboard as from a file; bombs of every
// format are refused at once without their memory; a picture just under the bound loads; FIFOs,
// devices, folders and link loops chosen in the open dialog are refused at once.
#include "TransferFixture.h"
#include "transfer/PictureMaker.h"

#include "core/PictureLimits.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <condition_variable>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace tesmaro::testing {
namespace {

// What the runner said of one file.
struct Outcome {
    bool loaded = false;
    QString line; // "loaded WxH HASH" or "refused", without the costs
    qint64 ms = 0;
    long kib = 0;
};

struct RunnerOutput {
    long baselineKib = 0;
    std::vector<Outcome> outcomes;
    QString errors;
};

// Runs the load runner over the files, with the heap's fresh and freed memory filled with
// `fill` (glibc's MALLOC_PERTURB_; AddressSanitizer's own filling in a sanitized build).
RunnerOutput runRunner(const QString& mode, const QStringList& files, int fill) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("MALLOC_PERTURB_", QString::number(fill));
    const QString asan = env.value("ASAN_OPTIONS");
    env.insert("ASAN_OPTIONS",
               (asan.isEmpty() ? QString() : asan + ":") +
                   QString("malloc_fill_byte=%1:max_malloc_fill_size=%2").arg(fill).arg(1 << 30));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LOAD_RUNNER), QStringList{mode} + files);
    RunnerOutput out;
    if (!p.waitForFinished(600000)) {
        p.kill();
        p.waitForFinished();
        out.errors = "the runner did not finish";
        return out;
    }
    out.errors = QString::fromUtf8(p.readAllStandardError());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        out.errors.prepend(QString("runner exit %1\n").arg(p.exitCode()));
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(' ');
        if (f[0] == "baseline") {
            out.baselineKib = f.value(1).toLong();
            continue;
        }
        Outcome o;
        o.loaded = f.value(1) == "loaded";
        if (o.loaded) {
            o.line = f.mid(1, 3).join(' ');
            o.ms = f.value(4).toLongLong();
            o.kib = f.value(5).toLong();
        } else if (f.value(1) == "refused") {
            o.line = "refused";
            o.ms = f.value(2).toLongLong();
            o.kib = f.value(3).toLong();
        } else {
            o.line = f.mid(1).join(' ');
        }
        out.outcomes.push_back(o);
    }
    return out;
}

QStringList writeAll(const QTemporaryDir& dir, const std::vector<PictureFile>& files) {
    QStringList paths;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString path = dir.path() + QString("/%1-%2").arg(i).arg(QString::fromStdString(files[i].name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(files[i].bytes);
        paths << path;
    }
    return paths;
}

// Every file loaded twice with the heap filled differently, and once more from the clipboard:
// the same picture each time, or refused each time. The originals (the first `originals` files)
// must load, and the damage must leave both loaded and refused files, or it tested nothing.
void expectSameLoadWhateverTheHeap(const std::vector<PictureFile>& files, std::size_t originals) {
    QTemporaryDir dir;
    const QStringList paths = writeAll(dir, files);
    const RunnerOutput a = runRunner("picture", paths, 0x2D);
    const RunnerOutput b = runRunner("picture", paths, 0xD2);
    const RunnerOutput c = runRunner("clipboard", paths, 0xD2);
    for (const RunnerOutput* run : {&a, &b, &c}) {
        ASSERT_EQ(run->outcomes.size(), files.size()) << run->errors.toStdString();
        EXPECT_TRUE(run->errors.isEmpty() || !run->errors.contains("runner exit"))
            << run->errors.toStdString();
    }
    int loaded = 0, refused = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].name);
        EXPECT_EQ(a.outcomes[i].line, b.outcomes[i].line) << "the heap's contents reached the picture";
        EXPECT_EQ(b.outcomes[i].line, c.outcomes[i].line) << "the clipboard decodes otherwise";
        if (i < originals)
            EXPECT_TRUE(a.outcomes[i].loaded) << a.outcomes[i].line.toStdString();
        else
            (a.outcomes[i].loaded ? loaded : refused)++;
    }
    EXPECT_GT(loaded, 10);
    EXPECT_GT(refused, 10);
    std::printf("%zu files: %d damaged ones loaded, %d refused\n", files.size(), loaded, refused);
}

// ---- the damaged files of each format ----

std::vector<PictureFile> bmpOriginals() {
    std::vector<PictureFile> f;
    const int w = 13, h = 7;
    const auto grid = [&](auto value) {
        std::vector<std::vector<std::uint32_t>> rows(h, std::vector<std::uint32_t>(w));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                rows[y][x] = value(x, y);
        return rows;
    };
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(makerColour(i, i * 7));
    for (int bits : {1, 2, 4, 8}) {
        Bytes headers = infoHeader({40, w, h, std::uint32_t(bits)});
        append(headers, paletteEntries({palette.begin(), palette.begin() + (1 << bits)}, 4));
        const auto rows = grid([bits](int x, int y) { return std::uint32_t((x * 3 + y) % (1 << bits)); });
        f.push_back(
            {"indexed" + std::to_string(bits), qBytes(bmpFile(headers, packRows(rows, bits, false)))});
    }
    f.push_back(
        {"bgr24", qBytes(bmpFile(infoHeader({40, w, h, 24}), packRows(grid(makerColour), 24, false)))});
    f.push_back({"bgr24-topdown",
                 qBytes(bmpFile(infoHeader({40, w, -h, 24}), packRows(grid(makerColour), 24, true)))});
    f.push_back(
        {"bgrx32", qBytes(bmpFile(infoHeader({40, w, h, 32}), packRows(grid(makerColour), 32, false)))});
    const auto rgb555 =
        grid([](int x, int y) { return std::uint32_t((x * 2) << 10 | (y * 4) << 5 | (x + y)); });
    f.push_back({"rgb555", qBytes(bmpFile(infoHeader({40, w, h, 16}), packRows(rgb555, 16, false)))});
    Info masked565{40, w, h, 16, 3};
    Bytes h565 = infoHeader(masked565);
    for (std::uint32_t m : {0xF800u, 0x07E0u, 0x001Fu})
        putLe32(h565, m);
    f.push_back({"rgb565", qBytes(bmpFile(h565, packRows(rgb555, 16, false)))});
    Info v5{124, w, h, 32, 3};
    v5.masks[0] = 0x00FF0000;
    v5.masks[1] = 0x0000FF00;
    v5.masks[2] = 0x000000FF;
    v5.masks[3] = 0xFF000000;
    const auto alpha =
        grid([](int x, int y) { return makerColour(x, y) | std::uint32_t((x * 19 + y) & 255) << 24; });
    f.push_back({"argb32-v5", qBytes(bmpFile(infoHeader(v5), packRows(alpha, 32, false)))});
    Bytes core = infoHeader({12, w, h, 8});
    append(core, paletteEntries(palette, 3));
    f.push_back(
        {"os2-core8",
         qBytes(bmpFile(core, packRows(grid([](int x, int y) { return std::uint32_t(x * y); }), 8, false)))});
    // Run lengths: runs, a delta, absolute runs with their padding, end of line, end of bitmap.
    const Bytes rle8 = {3, 1, 0, 3, 7, 8, 9, 0, 4, 2, 0, 0, 0, 2, 2, 1, 5, 4, 0, 0, 13, 6, 0, 0, 13, 7, 0, 1};
    Bytes rle8Headers = infoHeader({40, w, h, 8, 1});
    append(rle8Headers, paletteEntries(palette, 4));
    f.push_back({"rle8", qBytes(bmpFile(rle8Headers, rle8))});
    const Bytes rle4 = {5, 0x12, 0, 4, 0x34, 0x56, 0, 0, 0, 2, 1, 1, 13, 0x7A, 0, 0, 6, 0xBC, 0, 1};
    Bytes rle4Headers = infoHeader({40, w, h, 4, 2});
    append(rle4Headers, paletteEntries({palette.begin(), palette.begin() + 16}, 4));
    f.push_back({"rle4", qBytes(bmpFile(rle4Headers, rle4))});
    return f;
}

std::vector<PictureFile> damagedBmps() {
    std::vector<PictureFile> files = bmpOriginals();
    const std::size_t originals = files.size();
    for (std::size_t i = 0; i < originals; ++i) {
        const PictureFile o = files[i];
        addDamagedCopies(files, o, 24, 30, 120, std::uint32_t(i));
        addFieldExtremes(files, o, {2, 10, 14, 18, 22, 26, 30, 34, 46});
    }
    // Run lengths that overrun the picture: deltas past the last row and column, runs longer
    // than the row, absolute runs past the data, no end of bitmap, only ends of line.
    const Bytes abuse[] = {
        {0, 2, 255, 255, 5, 1},
        {0, 2, 12, 0, 200, 3, 0, 1},
        {255, 4, 255, 5, 0, 1},
        {0, 255, 1, 2, 3},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {0, 2, 0, 6, 0, 200},
        {3, 1},
        {0, 3, 1, 2},
    };
    Bytes headers = infoHeader({40, 13, 7, 8, 1});
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < 40; ++i)
        palette.push_back(makerColour(i, 1));
    append(headers, paletteEntries(palette, 4));
    for (std::size_t i = 0; i < std::size(abuse); ++i) {
        files.push_back({"rle8-abuse" + std::to_string(i), qBytes(bmpFile(headers, abuse[i]))});
        Bytes h4 = infoHeader({40, 13, -7, 4, 2});
        append(h4, paletteEntries({palette.begin(), palette.begin() + 16}, 4));
        files.push_back({"rle4-abuse" + std::to_string(i), qBytes(bmpFile(h4, abuse[i]))});
    }
    return files;
}

TEST(HostilePictures, DamagedBmpFilesOfEveryLayoutLoadTheSameOrNotAtAll) {
    const std::vector<PictureFile> files = damagedBmps();
    expectSameLoadWhateverTheHeap(files, bmpOriginals().size());
}

std::vector<PictureFile> pngOriginals() {
    std::vector<PictureFile> f;
    const int w = 23, h = 17;
    struct Kind {
        const char* name;
        int colourType, channels, depth;
    };
    for (const Kind& k :
         {Kind{"rgb", 2, 3, 8}, Kind{"rgba", 6, 4, 8}, Kind{"grey", 0, 1, 8}, Kind{"greyalpha", 4, 2, 8},
          Kind{"rgb16", 2, 3, 16}, Kind{"rgba16", 6, 4, 16}, Kind{"grey16", 0, 1, 16}, Kind{"grey2", 0, 1, 2},
          Kind{"pal4", 3, 1, 4}, Kind{"pal8", 3, 1, 8}})
        for (int interlace : {0, 1}) {
            QByteArray extra;
            if (k.colourType == 3) {
                QByteArray plte;
                for (int i = 0; i < (1 << k.depth); ++i)
                    plte += QByteArray(1, char(i * 7)) + char(i * 31) + char(255 - i);
                extra = pngChunk("PLTE", plte) + pngChunk("tRNS", QByteArray("\x10\x80\xFF\x00", 4));
            }
            f.push_back({std::string(k.name) + (interlace ? "-interlaced" : ""),
                         pngFile(pngIhdr(w, h, k.depth, k.colourType, interlace),
                                 zlibOf(interlace ? pngInterlacedRows(w, h, k.channels, k.depth)
                                                  : pngRows(w, h, k.channels, k.depth)),
                                 extra)});
        }
    return f;
}

std::vector<PictureFile> damagedPngs() {
    std::vector<PictureFile> files = pngOriginals();
    const std::size_t originals = files.size();
    for (std::size_t i = 0; i < originals; ++i) {
        const PictureFile o = files[i];
        addDamagedCopies(files, o, 20, 12, 40, std::uint32_t(100 + i));
    }
    // Damage a decoder cannot see from the checksums: valid chunks around pixel data that is
    // short, long, cut mid-row or badly filtered, and header fields at their extremes.
    const int w = 23, h = 17;
    for (int interlace : {0, 1}) {
        const QByteArray ihdr = pngIhdr(w, h, 8, 2, interlace);
        const QByteArray rows = pngRows(w, h, 3, 8);
        for (int cut : {0, 1, 70, 70 * 5 + 13, int(rows.size()) - 1})
            files.push_back({"short" + std::to_string(interlace) + "-" + std::to_string(cut),
                             pngFile(ihdr, zlibOf(rows.left(cut)))});
        files.push_back({"long" + std::to_string(interlace), pngFile(ihdr, zlibOf(rows + rows))});
        for (int filter : {5, 9, 255})
            files.push_back({"filter" + std::to_string(interlace) + "-" + std::to_string(filter),
                             pngFile(ihdr, zlibOf(pngRows(w, h, 3, 8, filter)))});
    }
    for (int depth : {0, 1, 3, 8, 16, 17})
        for (int colourType : {0, 1, 2, 3, 4, 6, 7}) {
            const QByteArray ihdr = pngIhdr(w, h, depth, colourType);
            files.push_back({"ihdr-" + std::to_string(depth) + "-" + std::to_string(colourType),
                             pngFile(ihdr, zlibOf(pngRows(w, h, 4, 16)))});
        }
    // Pixel bytes changed behind valid checksums (filter bytes left valid), and a damaged
    // ancillary chunk, which decoders skip.
    std::mt19937 random(7);
    for (const auto& [channels, colourType] :
         std::vector<std::pair<int, int>>{{3, 2}, {4, 6}, {1, 0}, {2, 4}})
        for (int copy = 0; copy < 8; ++copy) {
            QByteArray rows = pngRows(w, h, channels, 8, copy % 5);
            for (int k = 0; k < 12; ++k) {
                const qsizetype at = qsizetype(random() % std::uint32_t(rows.size()));
                if (at % (1 + w * channels) != 0)
                    rows[at] = char(random());
            }
            files.push_back({"pixels" + std::to_string(colourType) + "-" + std::to_string(copy),
                             pngFile(pngIhdr(w, h, 8, colourType), zlibOf(rows))});
        }
    QByteArray text = pngChunk("tEXt", QByteArray("Comment\0damaged", 15));
    text[text.size() - 1] = char(text[text.size() - 1] ^ 0x55);
    files.push_back({"bad-text-chunk", pngFile(pngIhdr(w, h, 8, 2), zlibOf(pngRows(w, h, 3, 8)), text)});
    // Indices past a short palette, and a palette picture without one.
    const QByteArray ihdr = pngIhdr(w, h, 8, 3);
    files.push_back(
        {"short-palette", pngFile(ihdr, zlibOf(pngRows(w, h, 1, 8)), pngChunk("PLTE", "\1\2\3\4\5\6"))});
    files.push_back({"no-palette", pngFile(ihdr, zlibOf(pngRows(w, h, 1, 8)))});
    return files;
}

TEST(HostilePictures, DamagedPngFilesLoadTheSameOrNotAtAll) {
    expectSameLoadWhateverTheHeap(damagedPngs(), pngOriginals().size());
}

std::vector<PictureFile> jpegOriginals() {
    const QImage picture = makerPicture(37, 29);
    return {
        {"baseline", qtWritten(picture, "jpeg", 90)},
        {"grey", qtWritten(picture.convertToFormat(QImage::Format_Grayscale8), "jpeg", 90)},
        {"progressive", qtWritten(picture, "jpeg", 90, true)},
        {"progressive-grey", qtWritten(picture.convertToFormat(QImage::Format_Grayscale8), "jpeg", 80, true)},
        {"optimized", qtWritten(picture, "jpeg", 60, false, true)},
    };
}

std::vector<PictureFile> damagedJpegs() {
    std::vector<PictureFile> files = jpegOriginals();
    const std::size_t originals = files.size();
    for (std::size_t i = 0; i < originals; ++i) {
        const PictureFile o = files[i];
        addDamagedCopies(files, o, 40, 40, 400, std::uint32_t(200 + i));
        // The frame header's sampling factors and component count.
        const qsizetype sof = std::max(o.bytes.indexOf("\xFF\xC0"), o.bytes.indexOf("\xFF\xC2"));
        if (sof < 0)
            continue;
        for (const auto& [at, value] : std::vector<std::pair<int, int>>{
                 {9, 0}, {9, 2}, {9, 4}, {11, 0x00}, {11, 0x44}, {11, 0x51}, {14, 0x33}, {12, 5}})
            if (sof + at < o.bytes.size()) {
                QByteArray copy = o.bytes;
                copy[sof + at] = char(value);
                files.push_back({o.name + "-sof" + std::to_string(at) + "=" + std::to_string(value), copy});
            }
    }
    return files;
}

TEST(HostilePictures, DamagedJpegFilesLoadTheSameOrNotAtAll) {
    expectSameLoadWhateverTheHeap(damagedJpegs(), jpegOriginals().size());
}

std::vector<PictureFile> gifOriginals() {
    GifFrame whole{0, 0, 37, 23};
    GifFrame interlaced = whole;
    interlaced.interlaced = true;
    GifFrame part{5, 3, 20, 11};
    part.localTable = true;
    GifFrame see = part;
    see.transparent = 5;
    GifFrame small = whole;
    small.minCodeSize = 2;
    return {
        {"whole", gifFile(37, 23, {whole})},
        {"interlaced", gifFile(37, 23, {interlaced})},
        {"part-local-table", gifFile(37, 23, {part}, false)},
        {"transparent-two-frames", gifFile(37, 23, {see, part})},
        {"small-codes", gifFile(37, 23, {small})},
        {"no-screen", gifFile(0, 0, {part})},
    };
}

std::vector<PictureFile> damagedGifs() {
    std::vector<PictureFile> files = gifOriginals();
    const std::size_t originals = files.size();
    for (std::size_t i = 0; i < originals; ++i) {
        const PictureFile o = files[i];
        addDamagedCopies(files, o, 40, 40, 800, std::uint32_t(300 + i));
    }
    // Frames beyond the screen, and every LZW code size a file may claim.
    for (int left : {30, 36, 40, 1000}) {
        GifFrame f{left, 20, 20, 11};
        files.push_back({"beyond" + std::to_string(left), gifFile(37, 23, {f})});
    }
    for (int bits : {0, 1, 11, 12, 13, 255}) {
        QByteArray g = gifFile(37, 23, {GifFrame{0, 0, 37, 23}});
        g[6 + 7 + 768 + 10] = char(bits);
        files.push_back({"code-size" + std::to_string(bits), g});
    }
    return files;
}

TEST(HostilePictures, DamagedGifFilesLoadTheSameOrNotAtAll) {
    expectSameLoadWhateverTheHeap(damagedGifs(), gifOriginals().size());
}

std::vector<PictureFile> icoOriginals() {
    const QImage picture = makerPicture(16, 16);
    QImage translucent = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
        translucent.setPixel(y, y, qRgba(200, 10, 10, y * 16));
    return {
        {"dib1", icoFile({{16, 16, iconDib(16, 16, 1)}})},
        {"dib4", icoFile({{16, 16, iconDib(16, 16, 4)}})},
        {"dib8", icoFile({{16, 16, iconDib(16, 16, 8)}, {32, 32, iconDib(32, 32, 8)}})},
        {"dib24", icoFile({{16, 16, iconDib(16, 16, 24)}})},
        {"dib32", icoFile({{16, 16, iconDib(16, 16, 32)}})},
        {"png", icoFile({{16, 16, qtWritten(translucent, "png")}})},
        {"qt", qtWritten(translucent, "ico")},
    };
}

std::vector<PictureFile> damagedIcos() {
    std::vector<PictureFile> files = icoOriginals();
    const std::size_t originals = files.size();
    for (std::size_t i = 0; i < originals; ++i) {
        const PictureFile o = files[i];
        addDamagedCopies(files, o, 30, 30, 80, std::uint32_t(400 + i));
        // The directory's size and offset, and the DIB's header size, width, height, bits.
        addFieldExtremes(files, o, {14, 18, 22, 26, 30, 34});
    }
    return files;
}

TEST(HostilePictures, DamagedIcoFilesLoadTheSameOrNotAtAll) {
    expectSameLoadWhateverTheHeap(damagedIcos(), icoOriginals().size());
}

// ---- bombs ----

// A real file of the format, its size fields set to width x height.
QByteArray jpegClaiming(int width, int height, bool progressive) {
    QByteArray j = qtWritten(makerPicture(64, 48), "jpeg", 90, progressive);
    const qsizetype sof = j.indexOf(progressive ? "\xFF\xC2" : "\xFF\xC0");
    j[sof + 5] = char(height >> 8);
    j[sof + 6] = char(height);
    j[sof + 7] = char(width >> 8);
    j[sof + 8] = char(width);
    return j;
}

// An icon entry's 32-bit DIB header claiming width x height, with a few bytes of pixels.
QByteArray iconDibHeader(int width, int height) {
    return qBytes(infoHeader({40, width, 2 * height, 32})) + QByteArray(64, '\x33');
}

QByteArray bmpHeaderClaiming(int width, int height, int bits, int compression = 0) {
    Bytes headers = infoHeader({40, width, height, std::uint32_t(bits), std::uint32_t(compression)});
    if (bits <= 8)
        append(headers, Bytes(std::size_t(4) << bits, 0x40));
    return qBytes(bmpFile(headers, {0, 2, 255, 255, 0, 1}));
}

std::vector<PictureFile> bombs() {
    const std::string xbm =
        "#define b_width 32767\n#define b_height 32767\nstatic char b_bits[] = {\n0x00 };\n";
    // A small GIF whose one image claims 20000 x 20000 on its 16 x 16 screen.
    QByteArray hugeImage = gifFile(16, 16, {GifFrame{0, 0, 4, 4}});
    const qsizetype descriptor = 6 + 7 + 768 + 1;
    setLe32(hugeImage, descriptor + 4, 20000u | 20000u << 16);
    return {
        {"bmp 32767 x 32767", bmpHeaderClaiming(32767, 32767, 24)},
        {"bmp run lengths 16384 x 16385", bmpHeaderClaiming(16384, 16385, 8, 1)},
        {"bmp 40000 x 2", bmpHeaderClaiming(40000, 2, 32)},
        {"png 32767 x 32767", pngFile(pngIhdr(32767, 32767, 8, 2), zlibOf(QByteArray(100, '\0')))},
        {"png 16384 x 16385", flatPng(16384, 16385, 0x3060A0)},
        {"png 16-bit 16384 x 8193", pngFile(pngIhdr(16384, 8193, 16, 2), zlibOf(QByteArray(100, '\0')))},
        {"jpeg 32767 x 32767", jpegClaiming(32767, 32767, false)},
        {"progressive jpeg 32767 x 32767", jpegClaiming(32767, 32767, true)},
        {"jpeg 16384 x 16385", jpegClaiming(16384, 16385, false)},
        {"gif screen 65535 x 65535", gifFile(65535, 65535, {GifFrame{0, 0, 4, 4}})},
        {"gif image 20000 x 20000 on a small screen", hugeImage},
        {"gif screen 16384 x 16385", gifFile(16384, 16385, {GifFrame{0, 0, 4, 4}})},
        {"ico entry 32767 x 32767", icoFile({{0, 0, iconDibHeader(32767, 32767)}})},
        {"ico png entry 20000 x 20000",
         icoFile({{16, 16, pngFile(pngIhdr(20000, 20000, 8, 2), zlibOf(QByteArray(100, '\0')))}})},
        {"ico second entry 30000 x 30000",
         icoFile({{16, 16, iconDib(16, 16, 4)}, {0, 0, iconDibHeader(30000, 30000)}})},
        {"xbm 32767 x 32767", QByteArray::fromStdString(xbm)},
        {"ppm 30000 x 30000", QByteArray("P6\n30000 30000\n255\n") + QByteArray(30, '\x55')},
        {"tiff", QByteArray("II*\0\x08\0\0\0", 8) + QByteArray(64, '\0')},
    };
}

// Refused within a fraction of a second, and with at most 16 MiB more memory than a 2 x 2
// picture takes to load.
void expectBombsRefused(const QString& mode) {
    QTemporaryDir dir;
    std::vector<PictureFile> files = {{"tiny", pngFile(pngIhdr(2, 2, 8, 2), zlibOf(pngRows(2, 2, 3, 8)))}};
    const std::vector<PictureFile> all = bombs();
    files.insert(files.end(), all.begin(), all.end());
    const RunnerOutput out = runRunner(mode, writeAll(dir, files), 0x2D);
    ASSERT_EQ(out.outcomes.size(), files.size()) << out.errors.toStdString();
    ASSERT_TRUE(out.outcomes[0].loaded);
    const long tinyKib = out.outcomes[0].kib;
    for (std::size_t i = 1; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].name);
        const Outcome& o = out.outcomes[i];
        EXPECT_EQ(o.line, "refused");
        EXPECT_LT(o.ms, 500);
        EXPECT_LT(o.kib - tinyKib, 16 * 1024) << "peak " << o.kib << " KiB, a tiny picture's " << tinyKib;
        std::printf("%-45s %-8s %4lld ms, peak %+ld KiB over a 2 x 2 picture's\n", files[i].name.c_str(),
                    o.line.toUtf8().constData(), o.ms, o.kib - tinyKib);
    }
}

TEST(HostilePictures, BombsOfEveryFormatAreRefusedAtOnceWithoutTheirMemory) {
    expectBombsRefused("picture");
}

TEST(HostilePictures, BombsOnTheClipboardAreRefusedLikeFiles) {
    expectBombsRefused("clipboard");
}

// 16384 x 16384 is the largest square within kMaxPicturePixels: it loads, in one raster.
TEST(HostilePictures, APictureJustUnderTheBoundLoadsInOneRaster) {
    static_assert(std::int64_t{16384} * 16384 == kMaxPicturePixels);
    QTemporaryDir dir;
    const std::uint32_t colour = 0x3060A0;
    const RunnerOutput out =
        runRunner("decode",
                  writeAll(dir, {{"tiny", pngFile(pngIhdr(2, 2, 8, 2), zlibOf(pngRows(2, 2, 3, 8)))},
                                 {"bound", flatPng(16384, 16384, colour)}}),
                  0x2D);
    ASSERT_EQ(out.outcomes.size(), 2u) << out.errors.toStdString();
    // The expected hash: every pixel the colour, opaque.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const std::vector<std::uint32_t> row(16384, 0xFF000000u | colour);
    for (int y = 0; y < 16384; ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(row.data()), qsizetype(row.size() * 4)));
    const Outcome& o = out.outcomes[1];
    EXPECT_EQ(o.line, "loaded 16384x16384 " + hash.result().toHex().left(20));
    // One raster, and a quarter more for what a sanitizer keeps beside it; never two.
    const long rasterKib = long(kMaxPictureBytes >> 10);
    EXPECT_LT(o.kib - out.outcomes[0].kib, rasterKib + rasterKib / 4) << "more than one raster at a time";
    std::printf("16384 x 16384 PNG: %lld ms, peak %+ld KiB over a 2 x 2 picture's\n", o.ms,
                o.kib - out.outcomes[0].kib);
}

// ---- files that are not regular files ----

class SpecialFilesTest : public TransferFixture {
protected:
    // "Загрузить " of the chosen path into each target: refused at once, nothing changed.
    void expectRefusedAtOnce(const QString& path) {
        for (QRadioButton* target : {main->Option2, main->Option1}) {
            SCOPED_TRACE(target->objectName().toStdString());
            fake->messages.shown.clear();
            select(target);
            main->Check6->setChecked(false);
            chooseFile(path);
            QElapsedTimer clock;
            clock.start();
            main->Command1->click();
            EXPECT_LT(clock.elapsed(), 1000);
            EXPECT_EQ(messages(), QStringList{"ошибка при загрузке рисунка"});
            EXPECT_FALSE(QFile::exists(tempBmp()));
            EXPECT_FALSE(fake->busy.busy);
        }
    }
};

// Should a load open the FIFO and wait, this writer lets it go on after a few seconds, so the
// test fails on its time instead of hanging.
class FifoRescue {
public:
    explicit FifoRescue(const QByteArray& path)
        : m_thread([this, path] {
              std::unique_lock lock(m_mutex);
              if (m_done.wait_for(lock, std::chrono::seconds(5), [this] { return m_finished; }))
                  return;
              const int fd = ::open(path.constData(), O_RDWR | O_NONBLOCK);
              if (fd >= 0) {
                  const char junk[] = "not a picture";
                  [[maybe_unused]] const ssize_t n = ::write(fd, junk, sizeof junk);
                  ::close(fd);
              }
          }) {}
    ~FifoRescue() {
        {
            const std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

TEST_F(SpecialFilesTest, FifoChosenInTheOpenDialogIsRefusedWithoutWaiting) {
    const QString fifo = pictures.path() + "/picture.bmp";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const FifoRescue rescue(QFile::encodeName(fifo));
    expectRefusedAtOnce(fifo);
    // A link to it, too.
    const QString link = pictures.path() + "/link.png";
    ASSERT_TRUE(QFile::link(fifo, link));
    expectRefusedAtOnce(link);
}

TEST_F(SpecialFilesTest, DevicesFoldersSocketsAndLinkLoopsAreRefused) {
    expectRefusedAtOnce("/dev/zero");
    expectRefusedAtOnce("/dev/null");
    expectRefusedAtOnce(pictures.path());
    const QString loop = pictures.path() + "/loop.bmp";
    ASSERT_EQ(::symlink("loop.bmp", QFile::encodeName(loop).constData()), 0);
    expectRefusedAtOnce(loop);
    const QByteArray socketPath = QFile::encodeName(pictures.path() + "/socket.png");
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(std::size_t(socketPath.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.constData(), std::size_t(socketPath.size()));
    ASSERT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    expectRefusedAtOnce(QFile::decodeName(socketPath));
    ::close(s);
    // A regular file behind a link still loads.
    const QString real = pictureFile(patternPicture(5, 4), "real.png");
    const QString link = pictures.path() + "/link.png";
    ASSERT_TRUE(QFile::link(real, link));
    fake->messages.shown.clear();
    select(main->Option2);
    chooseFile(link);
    main->Command1->click();
    EXPECT_EQ(messages(), QStringList());
    EXPECT_TRUE(samePixels(patternPicture(5, 4), readTempBmp()));
}

} // namespace
} // namespace tesmaro::testing
