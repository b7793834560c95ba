#include "core/Draw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tesmaro {

void plotPixel(const RasterView& r, int x, int y, std::uint32_t pixel) {
    if (r.contains(x, y))
        r.row(y)[x] = pixel | kOpaque;
}

void drawDot(const RasterView& r, int x, int y, int width, std::uint32_t pixel) {
    if (width <= 1) {
        plotPixel(r, x, y, pixel);
        return;
    }
    // Disc of diameter width: pixel centres within width/2 of the dot's centre. For an even
    // width the centre sits half a pixel up and left of the pixel centre, so the disc stays
    // exactly width pixels across.
    const double half = width / 2.0;
    const double c = (width % 2 == 0) ? -0.5 : 0.0;
    const int lo = -(width / 2), hi = (width - 1) / 2;
    for (int dy = lo; dy <= hi; ++dy) {
        const int py = y + dy;
        if (py < 0 || py >= r.height)
            continue;
        const double ry = dy - c;
        for (int dx = lo; dx <= hi; ++dx) {
            const double rx = dx - c;
            if (rx * rx + ry * ry <= half * half)
                plotPixel(r, x + dx, py, pixel);
        }
    }
}

void drawLine(const RasterView& r, int x1, int y1, int x2, int y2, int width, std::uint32_t pixel) {
    const long long ddx = std::llabs(static_cast<long long>(x2) - x1);
    const long long ddy = -std::llabs(static_cast<long long>(y2) - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    long long err = ddx + ddy;
    long long x = x1, y = y1;
    for (;;) {
        drawDot(r, static_cast<int>(x), static_cast<int>(y), width, pixel);
        if (x == x2 && y == y2)
            break;
        const long long e2 = 2 * err;
        if (e2 >= ddy) {
            err += ddy;
            x += sx;
        }
        if (e2 <= ddx) {
            err += ddx;
            y += sy;
        }
    }
}

void drawBox(const RasterView& r, int x1, int y1, int x2, int y2, int width, bool filled, std::uint32_t pixel) {
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    if (!filled) {
        drawLine(r, x1, y1, x2, y1, width, pixel);
        drawLine(r, x2, y1, x2, y2, width, pixel);
        drawLine(r, x2, y2, x1, y2, width, pixel);
        drawLine(r, x1, y2, x1, y1, width, pixel);
        return;
    }
    // A pen of width w covers w pixels across a point: (w - 1) / 2 before it, w / 2 after it.
    const int w = std::max(1, width);
    const int left = std::max(0, x1 - (w - 1) / 2), right = std::min(r.width - 1, x2 + w / 2);
    const int top = std::max(0, y1 - (w - 1) / 2), bottom = std::min(r.height - 1, y2 + w / 2);
    if (left > right)
        return;
    for (int y = top; y <= bottom; ++y)
        std::fill(r.row(y) + left, r.row(y) + right + 1, pixel | kOpaque);
}

void drawCircle(const RasterView& r, int cx, int cy, double radius, int width, std::uint32_t pixel) {
    radius = std::fabs(radius);
    if (!std::isfinite(radius))
        return;
    radius = std::min(radius, 1.0e6);
    // One octant from the top, mirrored eight ways: for each column offset x up to r/sqrt(2)
    // the row offset is the nearest integer to sqrt(r^2 - x^2).
    const int limit = static_cast<int>(std::floor(radius / std::sqrt(2.0)));
    for (int x = 0; x <= limit; ++x) {
        const int y = static_cast<int>(std::floor(std::sqrt(radius * radius - double(x) * x) + 0.5));
        const int pts[8][2] = {{x, y}, {-x, y}, {x, -y}, {-x, -y}, {y, x}, {-y, x}, {y, -x}, {-y, -x}};
        for (const auto& p : pts)
            drawDot(r, cx + p[0], cy + p[1], width, pixel);
    }
}

} // namespace tesmaro
