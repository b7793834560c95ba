#pragma once
// Pictures whose pixels are known, and their comparison, for the tests of canvases and views.

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

// "expected X at (x, y), got Y" comparison of two pictures, colours only.
inline ::testing::AssertionResult samePixels(const QImage& expected, const QImage& actual) {
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure()
               << "expected size " << expected.width() << "x" << expected.height() << ", got "
               << actual.width() << "x" << actual.height();
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb e = expected.pixel(x, y) & 0xFFFFFF, a = actual.pixel(x, y) & 0xFFFFFF;
            if (e != a)
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

} // namespace tesmaro::testing
