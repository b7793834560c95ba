#pragma once
// Helpers of the command tests: pictures in and out of canvases, the recorded titles of a window,
// and the documented nearest-neighbour stretch written out.

#include "KernelTestSupport.h"
#include "document/ProgramWindows.h"

#include <QImage>
#include <QObject>
#include <QStringList>

#include <functional>

namespace tesmaro::testing {

inline QImage toImage(const Picture& p) {
    QImage img(p.width, p.height, QImage::Format_RGB32);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            img.setPixel(x, y, p.at(x, y) | 0xFF000000u);
    return img;
}

inline Picture fromImage(const QImage& image) {
    Picture p(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            p.at(x, y) = image.pixel(x, y) | 0xFF000000u;
    return p;
}

// Every title the window takes from now on.
inline QStringList* recordTitles(ProgramWindow* window) {
    auto* titles = new QStringList;
    QObject::connect(window, &ProgramWindow::titleChanged, window,
                     [titles, window] { *titles << window->title(); });
    QObject::connect(window, &QObject::destroyed, [titles] { delete titles; });
    return titles;
}

// The documented stretch: destination (i, j) takes source (floor((2i+1)sw/(2dw)), likewise
// for rows), combined by op with what base holds; pixels beyond base are dropped.
inline Picture stretchOnto(Picture base, const Picture& src, int dw, int dh,
                           const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& op) {
    for (int j = 0; j < dh && j < base.height; ++j)
        for (int i = 0; i < dw && i < base.width; ++i) {
            const int sx = static_cast<int>((2LL * i + 1) * src.width / (2LL * dw));
            const int sy = static_cast<int>((2LL * j + 1) * src.height / (2LL * dh));
            base.at(i, j) = op(base.at(i, j), src.at(sx, sy)) | 0xFF000000u;
        }
    return base;
}

} // namespace tesmaro::testing
