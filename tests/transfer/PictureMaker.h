#pragma once
// Picture files of every format and layout the program loads, built byte by byte from the formats
// (GIF, ICO, PNG chunks, a deflate stream for huge flat PNGs) or by Qt's writers (JPEG), and
// damaged copies of them: cut off anywhere, header fields at their extremes, run lengths that
// overrun their picture, random bytes. Nothing here uses the program's decoders.

#include "core/BmpFiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tesmaro::testing {

struct PictureFile {
    std::string name;
    QByteArray bytes;
};

inline QByteArray qBytes(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

inline void putBe32(QByteArray& b, std::uint32_t v) {
    for (int shift : {24, 16, 8, 0})
        b.append(char(v >> shift));
}

inline void putLe16(QByteArray& b, std::uint32_t v) {
    b.append(char(v));
    b.append(char(v >> 8));
}

inline void setLe32(QByteArray& b, qsizetype at, std::uint32_t v) {
    for (int k = 0; k < 4 && at + k < b.size(); ++k)
        b[at + k] = char(v >> (8 * k));
}

// A colour for each pixel that differs from its neighbours.
inline std::uint32_t makerColour(int x, int y) {
    return std::uint32_t((x * 37 + y * 11) & 255) << 16 | std::uint32_t((x * 5 + y * 53) & 255) << 8 |
           std::uint32_t(((x ^ y) * 9) & 255);
}

// ---- PNG ----

inline std::uint32_t crc32Of(const char* data, qsizetype size, std::uint32_t crc = 0) {
    crc = ~crc;
    for (qsizetype i = 0; i < size; ++i) {
        crc ^= std::uint8_t(data[i]);
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

inline QByteArray pngChunk(const char* type, const QByteArray& body) {
    QByteArray c;
    putBe32(c, std::uint32_t(body.size()));
    const QByteArray typed = QByteArray(type, 4) + body;
    c += typed;
    putBe32(c, crc32Of(typed.constData(), typed.size()));
    return c;
}

inline QByteArray pngIhdr(std::uint32_t width, std::uint32_t height, int depth, int colourType,
                          int interlace = 0) {
    QByteArray body;
    putBe32(body, width);
    putBe32(body, height);
    body += char(depth);
    body += char(colourType);
    body += '\0';
    body += '\0';
    body += char(interlace);
    return pngChunk("IHDR", body);
}

// A zlib stream of the bytes (qCompress puts a 4-byte length before one).
inline QByteArray zlibOf(const QByteArray& raw) {
    return qCompress(raw, 6).mid(4);
}

inline QByteArray pngFile(const QByteArray& ihdr, const QByteArray& zlib, const QByteArray& before = {}) {
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + ihdr + before + pngChunk("IDAT", zlib) + pngChunk("IEND", {});
}

// Rows of a width x height picture of `channels` samples of `depth` bits, each row led by its
// filter byte; sample values vary with x, y and the channel.
inline QByteArray pngRows(int width, int height, int channels, int depth, int filter = 0) {
    const int rowBytes = (width * channels * depth + 7) / 8;
    QByteArray raw;
    for (int y = 0; y < height; ++y) {
        raw += char(filter);
        for (int i = 0; i < rowBytes; ++i)
            raw += char((i * 29 + y * 71 + i / 3) & 255);
    }
    return raw;
}

// The same for an interlaced picture: the rows of the seven passes, each pass a small picture of
// its own (passes without a pixel have no rows).
inline QByteArray pngInterlacedRows(int width, int height, int channels, int depth) {
    static const int pass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    QByteArray raw;
    for (const auto& p : pass) {
        const int passWidth = (width - p[0] + p[2] - 1) / p[2],
                  passHeight = (height - p[1] + p[3] - 1) / p[3];
        if (passWidth > 0 && passHeight > 0)
            raw += pngRows(passWidth, passHeight, channels, depth);
    }
    return raw;
}

// Writes deflate's fixed-code blocks bit by bit, least significant bit first.
class DeflateBits {
public:
    void bits(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            m_acc |= ((value >> i) & 1) << m_used;
            if (++m_used == 8)
                flushByte();
        }
    }
    // Huffman codes go most significant bit first.
    void code(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i)
            bits((value >> i) & 1, 1);
    }
    void literal(int v) {
        if (v < 144)
            code(0x30 + v, 8);
        else
            code(0x190 + v - 144, 9);
    }
    // A run of `length` (3..258) copies of the byte before, as length code, extra bits, distance 1.
    void repeatLast(int length) {
        static const int base[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                   31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const int extra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        int i = 28;
        while (base[i] > length)
            --i;
        const int symbol = 257 + i;
        if (symbol < 280)
            code(symbol - 256, 7);
        else
            code(0xC0 + symbol - 280, 8);
        bits(std::uint32_t(length - base[i]), extra[i]);
        code(0, 5); // distance code 0: distance 1
    }
    QByteArray finish() {
        if (m_used)
            flushByte();
        return m_out;
    }

private:
    void flushByte() {
        m_out += char(m_acc);
        m_acc = 0;
        m_used = 0;
    }
    QByteArray m_out;
    std::uint32_t m_acc = 0;
    int m_used = 0;
};

// An 8-bit RGB PNG of one colour, of any size, in a few bytes a row: the first row filtered Sub
// (the colour, then zeros), the others Up (all zeros), deflated by hand with runs of distance 1.
inline QByteArray flatPng(std::uint32_t width, std::uint32_t height, std::uint32_t rgb) {
    DeflateBits d;
    d.bits(1, 1); // the last block
    d.bits(1, 2); // fixed codes
    std::uint32_t a = 1, b = 0;
    const auto adler = [&](std::uint32_t byte, std::uint64_t count) {
        for (std::uint64_t i = 0; i < count && byte != 0; ++i) {
            a = (a + byte) % 65521;
            b = (b + a) % 65521;
        }
        if (byte == 0)
            b = std::uint32_t((b + (count % 65521) * a) % 65521);
    };
    const auto zeros = [&](std::uint64_t count) {
        adler(0, count);
        if (count == 0)
            return;
        d.literal(0);
        --count;
        while (count >= 3) {
            const int n = int(std::min<std::uint64_t>(count, 258));
            if (count - n > 0 && count - n < 3) { // keep a tail of at least 3 for the last run
                d.repeatLast(n - 3);
                count -= n - 3;
                continue;
            }
            d.repeatLast(n);
            count -= n;
        }
        for (; count > 0; --count)
            d.literal(0);
    };
    const std::uint64_t rowBytes = std::uint64_t(width) * 3;
    const std::uint32_t first[] = {1, rgb >> 16 & 255, rgb >> 8 & 255, rgb & 255};
    for (std::uint32_t v : first) {
        d.literal(int(v));
        adler(v, 1);
    }
    zeros(rowBytes - 3);
    for (std::uint32_t y = 1; y < height; ++y) {
        d.literal(2);
        adler(2, 1);
        zeros(rowBytes);
    }
    d.code(0, 7); // end of block
    QByteArray zlib("\x78\x01", 2);
    zlib += d.finish();
    putBe32(zlib, b << 16 | a);
    return pngFile(pngIhdr(width, height, 8, 2), zlib);
}

// ---- GIF ----

struct GifFrame {
    int left = 0, top = 0, width = 1, height = 1;
    bool interlaced = false;
    bool localTable = false;
    int transparent = -1; // an index, or -1
    int minCodeSize = 8;
};

// LZW data of the indices without any compression: a clear code often enough that the code
// width never grows, in sub-blocks of 255 bytes.
inline QByteArray gifImageData(const std::vector<int>& indices, int minCodeSize) {
    const int clear = 1 << minCodeSize, end = clear + 1, width = minCodeSize + 1;
    std::vector<int> codes = {clear};
    int sinceClear = 0;
    for (int v : indices) {
        codes.push_back(v & (clear - 1));
        if (++sinceClear == (1 << width) - clear - 3) {
            codes.push_back(clear);
            sinceClear = 0;
        }
    }
    codes.push_back(end);
    QByteArray packed;
    std::uint32_t acc = 0;
    int used = 0;
    for (int c : codes) {
        acc |= std::uint32_t(c) << used;
        used += width;
        while (used >= 8) {
            packed += char(acc & 255);
            acc >>= 8;
            used -= 8;
        }
    }
    if (used)
        packed += char(acc & 255);
    QByteArray data(1, char(minCodeSize));
    for (qsizetype i = 0; i < packed.size(); i += 255) {
        const QByteArray block = packed.mid(i, 255);
        data += char(block.size());
        data += block;
    }
    data += '\0';
    return data;
}

inline QByteArray gifTable(int seed) {
    QByteArray t;
    for (int i = 0; i < 256; ++i) {
        t += char((i * 67 + seed) & 255);
        t += char((i * 151 + 30) & 255);
        t += char((i * 29 + 200 + seed) & 255);
    }
    return t;
}

inline QByteArray gifFile(int screenWidth, int screenHeight, const std::vector<GifFrame>& frames,
                          bool globalTable = true) {
    QByteArray g("GIF89a");
    putLe16(g, std::uint32_t(screenWidth));
    putLe16(g, std::uint32_t(screenHeight));
    g += char(globalTable ? 0xF7 : 0x00);
    g += '\0';
    g += '\0';
    if (globalTable)
        g += gifTable(0);
    for (const GifFrame& f : frames) {
        if (f.transparent >= 0)
            g += QByteArray("\x21\xF9\x04", 3) + char(1 | 2 << 2) + char(10) + char(0) + char(f.transparent) +
                 '\0';
        g += ',';
        for (int v : {f.left, f.top, f.width, f.height})
            putLe16(g, std::uint32_t(v));
        g += char((f.interlaced ? 0x40 : 0) | (f.localTable ? 0x87 : 0));
        if (f.localTable)
            g += gifTable(99);
        std::vector<int> indices;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x)
                indices.push_back((x * 7 + y * 13) & 255);
        g += gifImageData(indices, f.minCodeSize);
    }
    g += ';';
    return g;
}

// ---- ICO ----

struct IconImage {
    int listedWidth, listedHeight; // the directory's bytes (0 for 256)
    QByteArray image;              // a DIB with its mask, or a PNG
};

inline QByteArray icoFile(const std::vector<IconImage>& images) {
    QByteArray f;
    putLe16(f, 0);
    putLe16(f, 1);
    putLe16(f, std::uint32_t(images.size()));
    std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
    for (const IconImage& i : images) {
        f += char(i.listedWidth);
        f += char(i.listedHeight);
        f += QByteArray("\0\0\1\0\x20\0", 6);
        QByteArray sizes;
        setLe32(sizes.fill('\0', 8), 0, std::uint32_t(i.image.size()));
        setLe32(sizes, 4, offset);
        f += sizes;
        offset += std::uint32_t(i.image.size());
    }
    for (const IconImage& i : images)
        f += i.image;
    return f;
}

// An icon entry's DIB of `bits` bits (1, 4, 8 with a palette; 24; 32 with alpha), then its AND
// mask with a few masked pixels.
inline QByteArray iconDib(int width, int height, int bits) {
    Info info;
    info.width = width;
    info.height = 2 * height;
    info.bits = std::uint32_t(bits);
    Bytes dib = infoHeader(info);
    auto rows = std::vector<std::vector<std::uint32_t>>(std::size_t(height),
                                                        std::vector<std::uint32_t>(std::size_t(width), 0));
    if (bits <= 8) {
        std::vector<std::uint32_t> colours;
        for (int i = 0; i < (1 << bits); ++i)
            colours.push_back(makerColour(i, i * 3));
        append(dib, paletteEntries(colours, 4));
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = makerColour(x, y);
            rows[std::size_t(y)][std::size_t(x)] = bits <= 8 ? (x + 3 * y) % (1 << bits)
                                                   : bits == 32
                                                       ? c | std::uint32_t((x * 40 + y * 9) & 255) << 24
                                                       : c;
        }
    append(dib, packRows(rows, bits, false));
    auto mask = std::vector<std::vector<std::uint32_t>>(std::size_t(height),
                                                        std::vector<std::uint32_t>(std::size_t(width), 0));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            mask[std::size_t(y)][std::size_t(x)] = (x + y) % 5 == 0;
    append(dib, packRows(mask, 1, false));
    return qBytes(dib);
}

// ---- JPEG ----

inline QImage makerPicture(int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, 0xFF000000u | makerColour(x, y));
    return img;
}

inline QByteArray qtWritten(const QImage& picture, const char* format, int quality = -1,
                            bool progressive = false, bool optimized = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    writer.setOptimizedWrite(optimized);
    writer.write(picture);
    return bytes;
}

// ---- damage ----

// Copies cut off at `cuts` places spread over the file (every byte of the first 64 among them when
// the file is short), and with 1 to 6 bytes replaced at random, a third of those inside the first
// `headerBytes`.
inline void addDamagedCopies(std::vector<PictureFile>& out, const PictureFile& original, int cuts,
                             int randomCopies, int headerBytes, std::uint32_t seed) {
    const QByteArray& whole = original.bytes;
    const qsizetype size = whole.size();
    for (int i = 0; i < cuts; ++i) {
        const qsizetype at =
            i < 16 ? std::min<qsizetype>(size - 1, i * 4 + 1) : size * (i - 15) / (cuts - 15);
        if (at > 0 && at < size)
            out.push_back({original.name + "-cut" + std::to_string(at), whole.left(at)});
    }
    std::mt19937 random(seed);
    for (int i = 0; i < randomCopies; ++i) {
        QByteArray copy = whole;
        const int changes = 1 + int(random() % 6);
        for (int k = 0; k < changes; ++k) {
            const qsizetype range = i % 3 == 0 ? std::min<qsizetype>(size, headerBytes) : size;
            const std::uint32_t pick = random() % 4;
            copy[qsizetype(random() % std::uint32_t(range))] = char(pick == 0   ? 0
                                                                    : pick == 1 ? 0xFF
                                                                    : pick == 2 ? 0x80
                                                                                : int(random() & 255));
        }
        out.push_back({original.name + "-bytes" + std::to_string(i), copy});
    }
}

// Copies with the 32-bit little-endian field at `at` set to each extreme value.
inline void addFieldExtremes(std::vector<PictureFile>& out, const PictureFile& original,
                             const std::vector<int>& offsets) {
    const std::uint32_t values[] = {0, 1, 2, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
    for (int at : offsets)
        for (std::uint32_t v : values) {
            QByteArray copy = original.bytes;
            setLe32(copy, at, v);
            out.push_back({original.name + "-field" + std::to_string(at) + "=" + std::to_string(v), copy});
        }
}

} // namespace tesmaro::testing
