#pragma once
// The committed picture files in fixtures/ and the picture they all show, a run-length BMP of it
// written byte by byte, for the decoding tests and the load round trip through the panel.

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace tesmaro::testing {

// The fixtures' picture (see fixtures/make-fixtures.sh): 13 x 7, colour number
// (3x + 5y) mod n, colour i = ((53i + 20) mod 256, (97i + 40) mod 256, (151i + 90) mod 256).
inline QRgb fixtureColour(int i) {
    return qRgb((53 * i + 20) % 256, (97 * i + 40) % 256, (151 * i + 90) % 256);
}
inline int fixtureIndex(int x, int y, int n) {
    return (3 * x + 5 * y) % n;
}

inline QImage fixturePicture(int n) {
    QImage img(13, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            img.setPixel(x, y, fixtureColour(fixtureIndex(x, y, n)));
    return img;
}

inline void putLe16(QByteArray& b, int v) {
    b.append(char(v & 255));
    b.append(char((v >> 8) & 255));
}
inline void putLe32(QByteArray& b, qint64 v) {
    putLe16(b, int(v & 0xFFFF));
    putLe16(b, int((v >> 16) & 0xFFFF));
}

// A 4-bit run-length BMP of the 16-colour fixture picture, written byte by byte: even rows in
// encoded runs, odd rows in absolute mode.
inline QByteArray rle4Bmp() {
    QByteArray data;
    for (int y = 6; y >= 0; --y) { // bottom-up
        if (y % 2 == 0) {
            for (int x = 0; x < 13; x += 2) {
                const int a = fixtureIndex(x, y, 16), b = x + 1 < 13 ? fixtureIndex(x + 1, y, 16) : 0;
                data.append(char(x + 1 < 13 ? 2 : 1));
                data.append(char((a << 4) | b));
            }
        } else {
            data.append(char(0));
            data.append(char(13));
            for (int x = 0; x < 13; x += 2) {
                const int a = fixtureIndex(x, y, 16), b = x + 1 < 13 ? fixtureIndex(x + 1, y, 16) : 0;
                data.append(char((a << 4) | b));
            }
            data.append(char(0)); // 7 bytes of pixels, padded to a 16-bit boundary
        }
        data.append(char(0));
        data.append(char(y == 0 ? 1 : 0)); // end of line, end of bitmap
    }
    QByteArray palette;
    for (int i = 0; i < 16; ++i) {
        const QRgb c = fixtureColour(i);
        palette.append(char(qBlue(c)));
        palette.append(char(qGreen(c)));
        palette.append(char(qRed(c)));
        palette.append(char(0));
    }
    const int offset = 14 + 40 + palette.size();
    QByteArray file("BM");
    putLe32(file, offset + data.size());
    putLe32(file, 0);
    putLe32(file, offset);
    putLe32(file, 40);
    putLe32(file, 13);
    putLe32(file, 7);
    putLe16(file, 1);
    putLe16(file, 4);
    putLe32(file, 2); // BI_RLE4
    putLe32(file, data.size());
    putLe32(file, 2835);
    putLe32(file, 2835);
    putLe32(file, 16);
    putLe32(file, 0);
    return file + palette + data;
}

inline QString writeBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.path() + "/" + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

struct Lossless {
    QString file;
    int colours;
};

inline const std::vector<Lossless> kCommittedLossless = {
    {"bmp1.bmp", 2},   {"bmp4.bmp", 16},    {"bmp8.bmp", 40},    {"bmp8rle.bmp", 40},
    {"bmp32.bmp", 16}, {"picture.gif", 40}, {"picture.ico", 16},
};

} // namespace tesmaro::testing
