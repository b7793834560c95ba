#include "core/Stretch.h"

#include "core/FieldNumber.h"
#include "core/RasterOp.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tesmaro {
namespace {

std::int64_t toPixel(double v) {
    if (std::isnan(v))
        return 0;
    const double r = roundHalfEven(v);
    if (r > static_cast<double>(kStretchLimit))
        return kStretchLimit;
    if (r < -static_cast<double>(kStretchLimit))
        return -kStretchLimit;
    return static_cast<std::int64_t>(r);
}

// Steps i in [0, dn) whose destination index d0 + i lies in [0, dLimit) and whose source index
// lies in [0, sLimit). Returns an empty range when there are none.
struct StepRange {
    std::int64_t first = 0;
    std::int64_t last = -1; // inclusive
};

StepRange clipSteps(std::int64_t d0, std::int64_t dn, std::int64_t dLimit, std::int64_t s0, std::int64_t sn,
                    std::int64_t sLimit) {
    StepRange r;
    r.first = std::max<std::int64_t>(0, -d0);
    r.last = std::min<std::int64_t>(dn - 1, dLimit - 1 - d0);
    if (r.first > r.last)
        return r;
    // Narrow by the source side with binary searches on the monotone mapping.
    auto lowerBound = [&](std::int64_t lo, std::int64_t hi, auto pred) {
        // first step in [lo, hi] satisfying pred, or hi + 1
        std::int64_t a = lo, b = hi + 1;
        while (a < b) {
            const std::int64_t m = a + (b - a) / 2;
            if (pred(m))
                b = m;
            else
                a = m + 1;
        }
        return a;
    };
    r.first =
        lowerBound(r.first, r.last, [&](std::int64_t i) { return stretchSourceIndex(i, s0, sn, dn) >= 0; });
    if (r.first > r.last)
        return r;
    const std::int64_t afterLast = lowerBound(
        r.first, r.last, [&](std::int64_t i) { return stretchSourceIndex(i, s0, sn, dn) >= sLimit; });
    r.last = afterLast - 1;
    return r;
}

// srcTop: the source row that src.row(0) holds (non-zero when the source was copied aside).
template <typename Op>
void blitRows(const RasterView& dst, const ConstRasterView& src, int srcTop, const std::vector<int>& columns,
              int dxFirst, std::int64_t dy0, std::int64_t dh, std::int64_t sy0, std::int64_t sh,
              const StepRange& rows, Op op) {
    const std::size_t n = columns.size();
    const int* col = columns.data();
    for (std::int64_t j = rows.first; j <= rows.last; ++j) {
        const int sy = static_cast<int>(stretchSourceIndex(j, sy0, sh, dh)) - srcTop;
        const std::uint32_t* s = src.row(sy);
        std::uint32_t* d = dst.row(static_cast<int>(dy0 + j)) + dxFirst;
        for (std::size_t k = 0; k < n; ++k)
            d[k] = op(d[k], s[col[k]]) | 0xFF000000u;
    }
}

bool sharesMemory(const RasterView& dst, const ConstRasterView& src) {
    auto end = [](const auto& v) { return v.row(v.height - 1) + v.width; };
    const std::uintptr_t dBegin = reinterpret_cast<std::uintptr_t>(dst.pixels);
    const std::uintptr_t dEnd = reinterpret_cast<std::uintptr_t>(end(dst));
    const std::uintptr_t sBegin = reinterpret_cast<std::uintptr_t>(src.pixels);
    const std::uintptr_t sEnd = reinterpret_cast<std::uintptr_t>(end(src));
    return dBegin < sEnd && sBegin < dEnd;
}

} // namespace

void stretchBlit(const RasterView& dst, const RectF& dstRect, const ConstRasterView& src,
                 const RectF& srcRect, std::int32_t rasterCode) {
    if (dst.empty() || src.empty())
        return;
    const std::int64_t dx = toPixel(dstRect.x), dy = toPixel(dstRect.y);
    const std::int64_t dw = toPixel(dstRect.w), dh = toPixel(dstRect.h);
    const std::int64_t sx = toPixel(srcRect.x), sy = toPixel(srcRect.y);
    const std::int64_t sw = toPixel(srcRect.w), sh = toPixel(srcRect.h);
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;

    const StepRange cols = clipSteps(dx, dw, dst.width, sx, sw, src.width);
    const StepRange rows = clipSteps(dy, dh, dst.height, sy, sh, src.height);
    if (cols.first > cols.last || rows.first > rows.last)
        return;

    std::vector<int> columns(static_cast<std::size_t>(cols.last - cols.first + 1));
    for (std::int64_t i = cols.first; i <= cols.last; ++i)
        columns[static_cast<std::size_t>(i - cols.first)] =
            static_cast<int>(stretchSourceIndex(i, sx, sw, dw));
    const int dxFirst = static_cast<int>(dx + cols.first);

    // A source sharing memory with the destination (a canvas painted onto itself) is read from
    // a copy of the part the drawing uses, so no pixel is read after it was overwritten.
    ConstRasterView source = src;
    int srcTop = 0;
    std::vector<std::uint32_t> aside;
    if (sharesMemory(dst, src)) {
        srcTop = static_cast<int>(stretchSourceIndex(rows.first, sy, sh, dh));
        const int srcBottom = static_cast<int>(stretchSourceIndex(rows.last, sy, sh, dh));
        const int left = columns.front(), right = columns.back();
        const int w = right - left + 1, h = srcBottom - srcTop + 1;
        aside.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        for (int y = 0; y < h; ++y)
            std::copy_n(src.row(srcTop + y) + left, w, aside.data() + static_cast<std::size_t>(y) * w);
        for (int& c : columns)
            c -= left;
        source = ConstRasterView(aside.data(), w, h, w);
    }

    withRasterOp(rasterCode,
                 [&](auto op) { blitRows(dst, source, srcTop, columns, dxFirst, dy, dh, sy, sh, rows, op); });
}

} // namespace tesmaro
