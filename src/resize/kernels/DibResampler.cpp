#include "resize/kernels/DibResampler.h"

#include "core/RasterOp.h"
#include "resize/kernels/ParallelRows.h"
#include "resize/kernels/RowLoops.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace tesmaro::resize {
namespace {

// to[x] = applyRasterOp(code, D, from[x]) for x < count, D being to[x] or cleared when given;
// the code is chosen once per row. Complete for other threads after streamsDone().
void combineRow(std::int32_t code, const std::optional<std::uint32_t>& cleared, const std::uint32_t* from,
                std::uint32_t* to, int count) {
    const auto each = [&](auto op) {
        if (cleared) {
            const std::uint32_t d = *cleared;
            for (int x = 0; x < count; ++x)
                to[x] = op(d, from[x]) | 0xFF000000u;
        } else {
            for (int x = 0; x < count; ++x)
                to[x] = op(to[x], from[x]) | 0xFF000000u;
        }
    };
    if (code == SRCCOPY || !isRasterOpCode(code)) {
        streamPixels(from, to, count); // result pixels are opaque already
        return;
    }
    withRasterOp(code, each);
}

class DibRun {
public:
    DibRun(const ConstRasterView& source, const ResampleSettings& s, std::int32_t stride)
        : m_source(source), m_s(s), m_w(source.width), m_h(source.height),
          m_stride(stride), m_percent{static_cast<float>(s.bluePercent), static_cast<float>(s.greenPercent),
                                      static_cast<float>(s.redPercent)},
          m_r(s.randomPercent) {
        m_kx = static_cast<float>((static_cast<double>(stride - 1) / 3.0) / static_cast<double>(s.width));
        m_ky = static_cast<float>(static_cast<double>(m_h - 1) / static_cast<double>(s.height));
        m_x0.resize(s.width);
        m_a.resize(s.width);
        m_b.resize(s.width);
        int lastX0 = 0;
        for (int x = 0; x < s.width; ++x) {
            const float sx = m_kx * static_cast<float>(x);
            const int x0 = static_cast<int>(sx); // sx >= 0, so truncation is the floor
            const float fx = sx - static_cast<float>(x0);
            m_x0[x] = x0;
            m_a[x] = 1.0f - fx;
            m_b[x] = fx;
            lastX0 = std::max(lastX0, x0);
        }
        // Offsets 3*x0 .. 3*x0 + 5 are read: plane columns x0 and x0 + 1.
        m_columns = lastX0 + 2;
        m_planeStride = (m_columns + kPlaneSlack + 15) / 16 * 16;
        m_pixelBytes = 3 * m_w;
        m_cannotFail = dibChannelsCannotFail(s);
        m_blendPixels = m_ky >= 1.0f;
    }

    void prepare(ResamplerScratch& s) const {
        const std::size_t n = 3 * static_cast<std::size_t>(m_planeStride);
        s.rowA.assign(n, 0.0f);
        s.rowB.assign(n, 0.0f);
        s.vertical.assign(n, 0.0f);
        s.pixels.assign(static_cast<std::size_t>(m_s.width), 0);
    }

    // Result row Y; on a failing channel stores its draw within the row and returns false.
    bool row(int Y, ResamplerScratch& s, const RandomSequence& start, const RasterView& dest,
             const DibCombine* combine, int& failedDraw) const {
        const float sy = m_ky * static_cast<float>(Y);
        const int y0 = static_cast<int>(sy);
        const float fy = sy - static_cast<float>(y0);
        // When shrinking, a bitmap row serves about one result row, so the vertical pass reads
        // the two rows' pixels instead of keeping them as planes.
        const bool fromPixels = m_blendPixels && y0 >= 0 && y0 + 1 < m_h;
        if (!fromPixels) // bitmap rows y0 and y0 + 1 into rowA and rowB
            s.holdRows(y0, true, [this](int j, float* out) { fillRow(j, out); });
        const float* v = s.vertical.data();

        const int destRow = m_s.height - 1 - Y;
        const bool visible = !dest.empty() && destRow < dest.height;
        std::uint32_t* out = visible ? dest.row(destRow) : nullptr;
        const int writeCols = visible ? std::min(m_s.width, dest.width) : 0;

        // The row's draws start 3*Wd draws per row into the run's sequence.
        ColumnDraws draws{start, m_r};
        draws.start.skip(static_cast<std::uint64_t>(Y) * 3 * static_cast<std::uint64_t>(m_s.width));
        // The row is computed in parts: the vertical pass over the columns the part samples (still
        // in the first-level cache for the horizontal pass), its columns, then a part of the source
        // rows ahead, so that reading and the arithmetic overlap. When no channel can fail, each
        // part also goes out to the rasters at once; otherwise the row goes out only once all of
        // it succeeded.
        const int aheadLast = std::min(m_h - 1, bitmapRowOf(Y + kRowsAhead) + 1);
        const int aheadFirst = std::max({0, s.prefetched + 1, aheadLast - 1});
        const int prefetchCount = std::min(m_columns, m_w);
        const int parts = rowParts(m_s.width);
        std::uint32_t* pixels = s.pixels.data();
        for (int part = 0; part < parts; ++part) {
            const int from = partStart(m_s.width, part, parts), to = partStart(m_s.width, part + 1, parts);
            const int writing = std::clamp(writeCols - from, 0, to - from);
            if (to > from)
                columnValues(s, y0, fy, fromPixels, m_x0[from], m_x0[to - 1] + 2);
            const int failed =
                m_loops.dibColumns(v, m_planeStride, m_x0.data() + from, m_a.data() + from, m_b.data() + from,
                                   m_r != 0.0f ? &draws : nullptr, pixels + from, to - from, writing);
            draws.start.skip(3 * static_cast<std::uint64_t>(to - from));
            if (failed >= 0) {
                failedDraw = 3 * from + failed;
                return false;
            }
            if (m_cannotFail && out)
                writeOut(pixels + from, out + from, writing, destRow, from, combine);
            for (int j = aheadFirst; j <= aheadLast; ++j)
                prefetchPart(m_source.row(m_h - 1 - j), prefetchCount, part, parts);
        }
        s.prefetched = std::max(s.prefetched, aheadLast);
        if (!m_cannotFail && out)
            writeOut(pixels, out, writeCols, destRow, 0, combine);
        streamsDone();
        return true;
    }

private:
    int bitmapRowOf(int Y) const { return static_cast<int>(m_ky * static_cast<float>(Y)); }

    // count finished pixels from column `from` of result row destRow to dest and the combined
    // target, complete after streamsDone().
    void writeOut(const std::uint32_t* pixels, std::uint32_t* out, int count, int destRow, int from,
                  const DibCombine* combine) const {
        streamPixels(pixels, out, count);
        if (combine && destRow < combine->target.height)
            combineRow(combine->rasterCode, combine->cleared, pixels, combine->target.row(destRow) + from,
                       std::clamp(combine->target.width - from, 0, count));
    }

    // c per byte offset of bitmap rows y0 and y0 + 1 with weight fy, for plane columns lo..hi-1
    // into vertical: the percent applied to each of the two bytes, the vertical weighting, each
    // divided by 100, summed. Offset 3x + c is column x of plane c. From the planes in rowA and
    // rowB or, fromPixels, from the rows' pixels and bytes.
    void columnValues(ResamplerScratch& s, int y0, float fy, bool fromPixels, int lo, int hi) const {
        if (fromPixels) {
            const int direct = std::min(hi, m_w);
            if (direct > lo)
                m_loops.blendPixelsHundredths(m_source.row(m_h - 1 - y0) + lo,
                                              m_source.row(m_h - 2 - y0) + lo, m_percent.data(), 1.0f - fy,
                                              fy, s.vertical.data() + lo, m_planeStride, direct - lo);
            // Past the pixels: the padding, then the next row's bytes.
            const std::int64_t rowA = static_cast<std::int64_t>(y0) * m_stride, rowB = rowA + m_stride;
            for (int x = std::max(lo, m_w); x < hi; ++x)
                for (int c = 0; c < 3; ++c) {
                    const float a = m_percent[c] * static_cast<float>(byteAt(rowA + 3 * x + c));
                    const float b = m_percent[c] * static_cast<float>(byteAt(rowB + 3 * x + c));
                    s.vertical[static_cast<std::size_t>(c * m_planeStride + x)] =
                        (a * (1.0f - fy)) / 100.0f + (b * fy) / 100.0f;
                }
            return;
        }
        for (int c = 0; c < 3; ++c) {
            const std::ptrdiff_t at = c * m_planeStride + lo;
            m_loops.blendHundredths(s.rowA.data() + at, s.rowB.data() + at, 1.0f - fy, fy,
                                    s.vertical.data() + at, hi - lo);
        }
    }

    // P*byte for the offsets 0..length-1 from the start of bitmap row j, offset 3x + c in
    // column x of plane c. Columns past the last one stay 0 from prepare().
    void fillRow(int j, float* out) const {
        int direct = 0;
        if (j >= 0 && j < m_h) {
            direct = std::min(m_columns, m_w);
            m_loops.planes(m_source.row(m_h - 1 - j), direct, m_percent.data(), out, m_planeStride);
        }
        // Past the pixels: the padding, then the next row's bytes.
        const std::int64_t rowStart = static_cast<std::int64_t>(j) * m_stride;
        for (int x = direct; x < m_columns; ++x)
            for (int c = 0; c < 3; ++c)
                out[c * m_planeStride + x] = m_percent[c] * static_cast<float>(byteAt(rowStart + 3 * x + c));
    }

    // One byte of the whole bitmap buffer by its linear offset; 0 outside it and in padding.
    int byteAt(std::int64_t offset) const {
        if (offset < 0 || offset >= static_cast<std::int64_t>(m_stride) * m_h)
            return 0;
        const int j = static_cast<int>(offset / m_stride);
        const int inRow = static_cast<int>(offset % m_stride);
        if (inRow >= m_pixelBytes)
            return 0;
        const std::uint32_t px = m_source.row(m_h - 1 - j)[inRow / 3];
        return static_cast<int>((px >> (8 * (inRow % 3))) & 0xFF);
    }

    const RowLoops& m_loops = rowLoops();
    ConstRasterView m_source;
    ResampleSettings m_s;
    int m_w, m_h;
    std::int32_t m_stride;
    std::array<float, 3> m_percent; // blue, green, red: byte order within a pixel
    float m_r;
    float m_kx = 0, m_ky = 0;
    std::vector<int> m_x0;
    std::vector<float> m_a, m_b;
    int m_columns = 0; // plane columns: pixels x0 and x0 + 1 for every x0
    int m_pixelBytes = 0;
    std::ptrdiff_t m_planeStride = 0; // floats from one plane of a row to the next
    bool m_cannotFail = false;
    bool m_blendPixels = false; // the vertical pass reads source pixels (see row())
};

bool resampleRows(const ConstRasterView& source, const RasterView& dest, const ResampleSettings& settings,
                  RandomSequence& random, int threads, const std::function<void(int)>& progress,
                  const DibCombine* combine) {
    if (settings.width < 1 || settings.height < 1 || source.empty())
        return false;
    const std::optional<std::int32_t> stride = DibRowStride(source.width);
    if (!stride)
        return false;
    const DibRun run(source, settings, *stride);
    const int hd = settings.height;
    const RandomSequence start = random;
    // Every allocation is made before the first row, so nothing throws once rows are written.
    std::vector<ResamplerScratch> scratch(static_cast<std::size_t>(std::max(1, threads)));
    for (ResamplerScratch& s : scratch)
        run.prepare(s);
    std::vector<int> failedDraw(static_cast<std::size_t>(hd), 0);

    const int failedRow = runRows(
        hd, threads,
        [&](int row, int worker) {
            return run.row(row, scratch[static_cast<std::size_t>(worker)], start, dest, combine,
                           failedDraw[static_cast<std::size_t>(row)]);
        },
        [&](int row) {
            if (progress)
                progress(hd == 1 ? 100 : static_cast<int>(100LL * row / (hd - 1)));
        },
        rowsPerTakeFor(hd, threads));

    const std::uint64_t perRow = 3ULL * static_cast<std::uint64_t>(settings.width);
    random = start;
    if (failedRow < hd) {
        random.skip(perRow * static_cast<std::uint64_t>(failedRow) +
                    static_cast<std::uint64_t>(failedDraw[static_cast<std::size_t>(failedRow)]) + 1);
        return false;
    }
    random.skip(perRow * static_cast<std::uint64_t>(hd));
    return true;
}

} // namespace

std::optional<std::int32_t> DibRowStride(std::int32_t width) {
    const std::int64_t bytes = 3 * static_cast<std::int64_t>(width) + 3;
    if (bytes > std::numeric_limits<std::int32_t>::max() || bytes < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    return static_cast<std::int32_t>(bytes & ~std::int64_t{3});
}

bool resampleByDib(const ConstRasterView& source, const RasterView& dest, const ResampleSettings& settings,
                   RandomSequence& random, int threads, const std::function<void(int)>& progress) {
    return resampleRows(source, dest, settings, random, threads, progress, nullptr);
}

bool resampleByDib(const ConstRasterView& source, const RasterView& dest, const ResampleSettings& settings,
                   RandomSequence& random, int threads, const std::function<void(int)>& progress,
                   const DibCombine& combine) {
    return resampleRows(source, dest, settings, random, threads, progress, &combine);
}

bool dibChannelsCannotFail(const ResampleSettings& settings) {
    // The bytes, weights and percents are at least 0, so a channel is below 0 only through a
    // negative factor 1 + (r - 2*r*u)/100; for |r| <= 100 each rounded step stays within
    // [-|r|, |r|], [-1, 1], [0, 2]. The largest value, 32767 * 255 / 100 * 2, is far inside 32 bits.
    return settings.redPercent >= 0 && settings.greenPercent >= 0 && settings.bluePercent >= 0 &&
           settings.randomPercent >= -100.0f && settings.randomPercent <= 100.0f;
}

} // namespace tesmaro::resize
