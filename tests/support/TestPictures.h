#pragma once
// Pictures whose pixels are known, their comparison, and the bytes of a file.

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

#include <ios>

namespace tesmaro::testing {

// A picture whose every pixel differs from its neighbours.
inline QImage numberedPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 7 + 1) & 0xFF, (y * 13 + 2) & 0xFF, (x + y * 3 + 90) & 0xFF));
    return img;
}

// "expected X at (x, y), got Y" comparison of two pictures of the same size, colours only; with
// a tolerance, each channel may differ by that much.
inline ::testing::AssertionResult samePixels(const QImage& expected, const QImage& actual,
                                             int tolerance = 0) {
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure()
               << "expected size " << expected.width() << "x" << expected.height() << ", got "
               << actual.width() << "x" << actual.height();
    const auto near = [tolerance](int e, int a) { return e - a <= tolerance && a - e <= tolerance; };
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb e = expected.pixel(x, y) & 0xFFFFFF, a = actual.pixel(x, y) & 0xFFFFFF;
            if (!near(qRed(e), qRed(a)) || !near(qGreen(e), qGreen(a)) || !near(qBlue(e), qBlue(a)))
                return ::testing::AssertionFailure() << "expected " << std::hex << e << " at (" << std::dec
                                                     << x << ", " << y << "), got " << std::hex << a;
        }
    return ::testing::AssertionSuccess();
}

inline QImage filledPicture(int w, int h, QRgb colour) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

// A picture whose pixels differ from their neighbours, so a shifted, flipped or cropped copy
// never passes for the right one. seed gives different pictures of the same size.
inline QRgb patternPixel(int x, int y, int seed = 0) {
    return qRgb((x * 7 + y * 3 + seed * 29) & 255, (x * 11 + y * 13 + 50 + seed * 7) & 255,
                ((x * 5) ^ (y * 17) ^ seed) & 255);
}

inline QImage patternPicture(int width, int height, int seed = 0) {
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, patternPixel(x, y, seed));
    return img;
}

inline QImage filled(int width, int height, QRgb colour) {
    return filledPicture(width, height, colour);
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace tesmaro::testing
