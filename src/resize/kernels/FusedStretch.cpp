#include "resize/kernels/FusedStretch.h"

#include "core/RasterOp.h"
#include "core/Stretch.h"
#include "resize/kernels/ParallelRows.h"

#include <algorithm>

namespace tesmaro::resize {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// stretchBlit limits every rectangle value, so the mapping must too.
std::int64_t limited(int v) {
    return std::clamp<std::int64_t>(v, -kStretchLimit, kStretchLimit);
}

// One pass with its column table: destination columns dxFirst.. take source columns columns[k].
struct PreparedPass {
    std::int64_t dy = 0, dh = 0;
    std::vector<int> columns;
    int dxFirst = 0;
    std::int32_t code = SRCCOPY;
    unsigned table = 0;                 // truthTable(code)
    bool sameColumnsAsPrevious = false; // the same column table as the pass just before it
};

// A run of passes that read the same source pixel for every destination pixel of a row is
// one bitwise function of (D, S): the raster codes all work bit by bit. The function is kept as
// its truth table, bit (2*d + s) holding the result for bits d and s.
constexpr unsigned kCopyTable = 0b1010, kAndTable = 0b1000, kEraseTable = 0b0010, kInvertTable = 0b0110,
                   kPaintTable = 0b1110, kKeepTable = 0b1100;

unsigned truthTable(std::int32_t code) {
    unsigned table = 0;
    for (unsigned d = 0; d < 2; ++d)
        for (unsigned s = 0; s < 2; ++s)
            table |= (applyRasterOp(code, d ? ~0u : 0u, s ? ~0u : 0u) & 1u) << (2 * d + s);
    return table;
}

// The table of "first, then code" on the same source pixel.
unsigned followedBy(unsigned first, std::int32_t code) {
    const unsigned then = truthTable(code);
    unsigned table = 0;
    for (unsigned d = 0; d < 2; ++d)
        for (unsigned s = 0; s < 2; ++s) {
            const unsigned mid = (first >> (2 * d + s)) & 1u;
            table |= ((then >> (2 * mid + s)) & 1u) << (2 * d + s);
        }
    return table;
}

template <typename Op>
void applyRow(std::uint32_t* d, const std::uint32_t* s, const int* col, std::size_t n, Op op) {
    for (std::size_t k = 0; k < n; ++k)
        d[k] = op(d[k], s[col[k]]) | 0xFF000000u;
}

void applyRow(unsigned table, std::uint32_t* d, const std::uint32_t* s, const std::vector<int>& columns) {
    const int* col = columns.data();
    const std::size_t n = columns.size();
    switch (table) {
    case kCopyTable:
        applyRow(d, s, col, n, RasterCopy{});
        break;
    case kAndTable:
        applyRow(d, s, col, n, RasterAnd{});
        break;
    case kEraseTable:
        applyRow(d, s, col, n, RasterErase{});
        break;
    case kInvertTable:
        applyRow(d, s, col, n, RasterInvert{});
        break;
    case kPaintTable:
        applyRow(d, s, col, n, RasterPaint{});
        break;
    case kKeepTable:
        for (std::size_t k = 0; k < n; ++k)
            d[k] |= 0xFF000000u;
        break;
    default: {
        auto mask = [table](unsigned bit) { return (table >> bit) & 1u ? ~0u : 0u; };
        const std::uint32_t m00 = mask(0), m01 = mask(1), m10 = mask(2), m11 = mask(3);
        applyRow(d, s, col, n, [=](std::uint32_t a, std::uint32_t b) {
            return (~a & ~b & m00) | (~a & b & m01) | (a & ~b & m10) | (a & b & m11);
        });
        break;
    }
    }
}

} // namespace

void stretchPassesInBands(const RasterView& dst, const ConstRasterView& src, const PixelRect& from,
                          const std::vector<StretchPass>& passes, int threads) {
    if (dst.empty() || src.empty())
        return;
    const std::int64_t sx = limited(from.x), sy = limited(from.y);
    const std::int64_t sw = limited(from.width), sh = limited(from.height);
    if (sw <= 0 || sh <= 0)
        return;

    std::vector<PreparedPass> prepared;
    for (const StretchPass& pass : passes) {
        const std::int64_t dx = limited(pass.to.x), dw = limited(pass.to.width);
        PreparedPass p;
        p.dy = limited(pass.to.y);
        p.dh = limited(pass.to.height);
        p.code = pass.rasterCode;
        if (dw <= 0 || p.dh <= 0)
            continue;
        // The valid steps are contiguous because the mapping never decreases.
        const std::int64_t first = std::max<std::int64_t>(0, -dx);
        const std::int64_t last = std::min<std::int64_t>(dw - 1, dst.width - 1 - dx);
        for (std::int64_t i = first; i <= last; ++i) {
            const std::int64_t s = stretchSourceIndex(i, sx, sw, dw);
            if (s < 0)
                continue;
            if (s >= src.width)
                break;
            if (p.columns.empty())
                p.dxFirst = static_cast<int>(dx + i);
            p.columns.push_back(static_cast<int>(s));
        }
        if (p.columns.empty())
            continue;
        p.table = truthTable(p.code);
        p.sameColumnsAsPrevious =
            !prepared.empty() && prepared.back().dxFirst == p.dxFirst && prepared.back().columns == p.columns;
        prepared.push_back(std::move(p));
    }
    if (prepared.empty())
        return;

    runInBands(dst.height, threads, [&](int firstRow, int endRow) {
        for (int y = firstRow; y < endRow; ++y) {
            std::uint32_t* row = dst.row(y);
            // Consecutive passes with the same columns and source row go as one.
            std::size_t runLast = kNone;
            std::int64_t runSource = -1;
            unsigned runTable = 0;
            auto flush = [&] {
                if (runLast != kNone)
                    applyRow(runTable, row + prepared[runLast].dxFirst, src.row(static_cast<int>(runSource)),
                             prepared[runLast].columns);
                runLast = kNone;
            };
            for (std::size_t i = 0; i < prepared.size(); ++i) {
                const PreparedPass& p = prepared[i];
                const std::int64_t j = y - p.dy;
                const std::int64_t s = j < 0 || j >= p.dh ? -1 : stretchSourceIndex(j, sy, sh, p.dh);
                if (s < 0 || s >= src.height) {
                    flush();
                    continue;
                }
                if (runLast != kNone && runLast + 1 == i && p.sameColumnsAsPrevious && runSource == s) {
                    runTable = followedBy(runTable, p.code);
                } else {
                    flush();
                    runTable = p.table;
                    runSource = s;
                }
                runLast = i;
            }
            flush();
        }
    });
}

} // namespace tesmaro::resize
