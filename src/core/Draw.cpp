#include "core/Draw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tesmaro {
namespace {

using i64 = std::int64_t;

// A pen of width w covers w pixels across a point: w / 2 before it, (w - 1) / 2 after it.
i64 penBefore(int w) {
    return w / 2;
}
i64 penAfter(int w) {
    return (w - 1) / 2;
}

// Largest s >= 0 with s * s <= v, for 0 <= v < 2^62.
i64 isqrt(i64 v) {
    i64 s = static_cast<i64>(std::sqrt(static_cast<double>(v)));
    while (s > 0 && s * s > v)
        --s;
    while ((s + 1) * (s + 1) <= v)
        ++s;
    return s;
}

// A dot at (x, y) reaching into the raster; 64-bit so that far-off points cannot overflow.
void stamp(const RasterView& r, i64 x, i64 y, int w, std::uint32_t pixel) {
    if (x + penAfter(w) < 0 || x - penBefore(w) >= r.width || y + penAfter(w) < 0 ||
        y - penBefore(w) >= r.height)
        return;
    drawDot(r, static_cast<int>(x), static_cast<int>(y), w, pixel);
}

// Steps k in [lo, hi] along an interval of the line where f(k) is non-decreasing: the first
// step with f(k) >= bound, or hi + 1.
template <typename F> i64 firstAtLeast(i64 lo, i64 hi, i64 bound, F f) {
    i64 a = lo, b = hi + 1;
    while (a < b) {
        const i64 m = a + (b - a) / 2;
        if (f(m) >= bound)
            b = m;
        else
            a = m + 1;
    }
    return a;
}

} // namespace

void plotPixel(const RasterView& r, int x, int y, std::uint32_t pixel) {
    if (!r.empty() && r.contains(x, y))
        r.row(y)[x] = pixel | kOpaque;
}

void drawDot(const RasterView& r, int x, int y, int width, std::uint32_t pixel) {
    if (r.empty())
        return;
    if (width <= 1) {
        plotPixel(r, x, y, pixel);
        return;
    }
    // Disc of diameter w: pixel (x + dx, y + dy) belongs to it when its centre lies within w / 2
    // of the dot's centre. For an even w the centre sits half a pixel up and left of the pixel
    // centre, so the disc stays exactly w pixels across. In half pixels, with e = 1 for an even
    // w and 0 for an odd one: (2dx + e)^2 + (2dy + e)^2 <= w^2. Each row is one span.
    const i64 w = width;
    const i64 e = (w % 2 == 0) ? 1 : 0;
    const i64 dyFirst = std::max<i64>(-penBefore(width), -static_cast<i64>(y));
    const i64 dyLast = std::min<i64>(penAfter(width), static_cast<i64>(r.height) - 1 - y);
    const std::uint32_t value = pixel | kOpaque;
    for (i64 dy = dyFirst; dy <= dyLast; ++dy) {
        const i64 v = 2 * dy + e;
        i64 uMax = isqrt(w * w - v * v);
        if ((uMax - e) % 2 != 0)
            --uMax;
        const i64 left = std::max<i64>(0, x + (-uMax - e) / 2);
        const i64 right = std::min<i64>(static_cast<i64>(r.width) - 1, x + (uMax - e) / 2);
        if (left > right)
            continue;
        std::uint32_t* row = r.row(static_cast<int>(y + dy));
        std::fill(row + left, row + right + 1, value);
    }
}

void drawLine(const RasterView& r, int x1, int y1, int x2, int y2, int width, std::uint32_t pixel) {
    if (r.empty())
        return;
    const int w = std::max(1, width);
    // Walk along the major axis a; step k puts the minor coordinate b at
    // b1 + sb * floor((2 k m + n) / (2 n)) (n, m: the absolute major and minor extents), which is
    // the Bresenham walk with ties going to the far side. Because this position is known in
    // closed form, only the steps whose dot can reach the raster are visited, so a line between
    // far-off points costs no more than one across the raster.
    const bool xMajor = std::llabs(i64{x2} - x1) >= std::llabs(i64{y2} - y1);
    const i64 a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1;
    const i64 da = xMajor ? i64{x2} - x1 : i64{y2} - y1;
    const i64 db = xMajor ? i64{y2} - y1 : i64{x2} - x1;
    const i64 n = std::llabs(da), m = std::llabs(db);
    const i64 sa = da < 0 ? -1 : 1, sb = db < 0 ? -1 : 1;
    const i64 aSize = xMajor ? r.width : r.height, bSize = xMajor ? r.height : r.width;
    const i64 lo = -penAfter(w), aHi = aSize - 1 + penBefore(w), bHi = bSize - 1 + penBefore(w);

    auto offset = [&](i64 k) -> i64 {
        if (n == 0)
            return 0;
        return static_cast<i64>((static_cast<__int128>(2) * k * m + n) / (2 * static_cast<__int128>(n)));
    };

    // Steps whose major coordinate a1 + sa * k reaches the raster.
    i64 kFirst = sa > 0 ? lo - a1 : a1 - aHi;
    i64 kLast = sa > 0 ? aHi - a1 : a1 - lo;
    kFirst = std::max<i64>(kFirst, 0);
    kLast = std::min<i64>(kLast, n);
    if (kFirst > kLast)
        return;
    // Steps whose minor coordinate reaches it; the offset never decreases with k.
    const i64 offLo = sb > 0 ? lo - b1 : b1 - bHi;
    const i64 offHi = sb > 0 ? bHi - b1 : b1 - lo;
    kFirst = firstAtLeast(kFirst, kLast, offLo, offset);
    kLast = firstAtLeast(kFirst, kLast, offHi + 1, offset) - 1;

    for (i64 k = kFirst; k <= kLast; ++k) {
        const i64 a = a1 + sa * k, b = b1 + sb * offset(k);
        if (xMajor)
            stamp(r, a, b, w, pixel);
        else
            stamp(r, b, a, w, pixel);
    }
}

void drawBox(const RasterView& r, int x1, int y1, int x2, int y2, int width, bool filled,
             std::uint32_t pixel) {
    if (r.empty())
        return;
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
    const int w = std::max(1, width);
    const i64 left = std::max<i64>(0, x1 - penBefore(w));
    const i64 right = std::min<i64>(r.width - 1, x2 + penAfter(w));
    const i64 top = std::max<i64>(0, y1 - penBefore(w));
    const i64 bottom = std::min<i64>(r.height - 1, y2 + penAfter(w));
    if (left > right)
        return;
    for (i64 y = top; y <= bottom; ++y)
        std::fill(r.row(static_cast<int>(y)) + left, r.row(static_cast<int>(y)) + right + 1, pixel | kOpaque);
}

void drawCircle(const RasterView& r, int cx, int cy, double radius, int width, std::uint32_t pixel) {
    if (r.empty())
        return;
    radius = std::fabs(radius);
    if (!std::isfinite(radius))
        return;
    const int w = std::max(1, width);
    const i64 reach = penBefore(w) + 1;
    // A circle further than its pen from every raster pixel draws nothing; this also keeps
    // every quantity below far inside 64 bits.
    const long double fx = std::max<long double>(std::fabs(0.0L - cx), std::fabs(r.width - 1.0L - cx));
    const long double fy = std::max<long double>(std::fabs(0.0L - cy), std::fabs(r.height - 1.0L - cy));
    if (radius > std::sqrt(fx * fx + fy * fy) + reach + 1)
        return;

    // One octant from the top, mirrored eight ways: for each offset t up to R / sqrt(2) along
    // one axis, the offset along the other is the nearest integer to sqrt(R^2 - t^2).
    const long double rad = radius;
    const i64 limit = static_cast<i64>(std::floor(rad / std::sqrt(2.0L)));
    auto across = [&](i64 t) {
        return static_cast<i64>(std::floor(std::sqrt(rad * rad - static_cast<long double>(t) * t) + 0.5L));
    };
    // Only the offsets t that put a point within the pen's reach of the raster along the axis
    // t runs on are visited, so the work is bounded by the raster size, whatever the radius.
    auto visit = [&](i64 centre, i64 size, i64 sign, auto plot) {
        i64 first = sign > 0 ? -reach - centre : centre - (size - 1 + reach);
        i64 last = sign > 0 ? size - 1 + reach - centre : centre + reach;
        first = std::max<i64>(first, 0);
        last = std::min(last, limit);
        for (i64 t = first; t <= last; ++t)
            plot(centre + sign * t, across(t));
    };
    for (const i64 sign : {i64{1}, i64{-1}}) {
        visit(cx, r.width, sign, [&](i64 x, i64 d) {
            stamp(r, x, i64{cy} + d, w, pixel);
            stamp(r, x, i64{cy} - d, w, pixel);
        });
        visit(cy, r.height, sign, [&](i64 y, i64 d) {
            stamp(r, i64{cx} + d, y, w, pixel);
            stamp(r, i64{cx} - d, y, w, pixel);
        });
    }
}

} // namespace tesmaro
