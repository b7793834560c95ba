#include "resize/kernels/PixelAccessResampler.h"

#include "resize/kernels/ParallelRows.h"
#include "resize/kernels/RandomFactors.h"
#include "resize/kernels/RowLoops.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace tesmaro::resize {
namespace {

// Below this |r| no random step can leave the 32-bit range (|channel| <= 83558 and
// |factor| <= 1 + 3|r|/100), so every pixel takes exactly three draws and rows can start
// from a sequence skipped ahead. Above it the rows run in order on one thread.
constexpr float kSafeRandomPercent = 1.0e5f;
constexpr int kMaxChannel = 32767;

struct Columns {
    std::vector<int> x0;
    std::vector<float> a; // 1 - fx
    std::vector<float> b; // fx
};

class PixelAccessRun {
public:
    PixelAccessRun(const ConstRasterView& source, const RasterView& dest, const ResampleSettings& s)
        : m_source(source), m_dest(dest), m_s(s), m_ws(source.empty() ? 0 : source.width),
          m_hs(source.empty() ? 0 : source.height), m_r(s.randomPercent) {
        const std::array<int, 3> percent{s.bluePercent, s.greenPercent, s.redPercent};
        m_identity = s.bluePercent == 100 && s.greenPercent == 100 && s.redPercent == 100;
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 256; ++v)
                m_lut[c][v] = static_cast<float>(std::nearbyint(percent[c] * v / 100.0));
        m_kx = static_cast<float>(static_cast<double>(m_ws) / s.width);
        m_ky = static_cast<float>(static_cast<double>(m_hs) / s.height);
        m_cols.x0.resize(s.width);
        m_cols.a.resize(s.width);
        m_cols.b.resize(s.width);
        for (int k = 0; k < s.width; ++k) {
            const float sx = m_kx * static_cast<float>(k + 1);
            const int x0 = static_cast<int>(sx);
            const float fx = sx - static_cast<float>(x0);
            m_cols.x0[k] = x0;
            m_cols.a[k] = 1.0f - fx;
            m_cols.b[k] = fx;
        }
        m_writeCols = std::min(s.width, dest.empty() ? 0 : dest.width);
        m_stride = (m_ws + 2 + kPlaneSlack + 15) / 16 * 16;
        m_blendPixels = m_identity && m_ky >= 1.0f;
        // Only a negative percent, a factor that can turn negative or a channel that can pass
        // 32767 leaves pixels unwritten; then a row starts from what the raster holds.
        const int largest = std::max({static_cast<int>(s.bluePercent), static_cast<int>(s.greenPercent),
                                      static_cast<int>(s.redPercent)});
        const int smallest = std::min({static_cast<int>(s.bluePercent), static_cast<int>(s.greenPercent),
                                       static_cast<int>(s.redPercent)});
        const double r = std::fabs(static_cast<double>(m_r));
        m_mayLeavePixels = smallest < 0 || r > 100 || (largest * 2.55 + 1) * (1 + r / 100) + 1 > kMaxChannel;
    }

    bool fastRandom() const { return std::fabs(m_r) <= kSafeRandomPercent; }

    void prepare(ResamplerScratch& s) const {
        const std::size_t n = 3 * static_cast<std::size_t>(m_stride);
        s.rowA.assign(n, 0.0f);
        s.rowB.assign(n, 0.0f);
        s.vertical.assign(n, 0.0f);
        s.pixels.assign(static_cast<std::size_t>(m_writeCols), 0);
    }

    // Result row Y (1-based). With sequential set, draws come from it one by one (the exact
    // path); otherwise from the start of the run skipped ahead to the row's first draw.
    void row(int Y, ResamplerScratch& s, const RandomSequence& start, RandomSequence* sequential) const {
        const float sy = m_ky * static_cast<float>(Y);
        const int y0 = static_cast<int>(sy);
        const float fy = sy - static_cast<float>(y0);
        // With fy = 0 the vertical pass gives plane row y0 itself: 1*p + 0*q is p exactly.
        // When shrinking, a source row serves about one result row, so the pass blends two of
        // them straight from their pixels instead of keeping them as planes.
        const bool fromPixels = m_blendPixels && fy != 0.0f && y0 >= 1 && y0 + 1 <= m_hs;
        const bool blended = fromPixels || loadPlaneRows(s, y0, fy);
        const float* v = blended ? s.vertical.data() : s.rowA.data();

        std::uint32_t* out = (Y - 1 < (m_dest.empty() ? 0 : m_dest.height)) ? m_dest.row(Y - 1) : nullptr;
        if (sequential) {
            if (blended)
                blendColumns(s, y0, fy, fromPixels, 0, m_ws + 2);
            exactRow(v, out, *sequential);
            return;
        }
        if (!out)
            return;
        // The row's draws start 3*Wd draws per row into the run's sequence.
        ColumnDraws draws{start, m_r};
        draws.start.skip(static_cast<std::uint64_t>(Y - 1) * 3 * static_cast<std::uint64_t>(m_s.width));
        std::uint32_t* pixels = s.pixels.data();
        if (m_mayLeavePixels)
            std::copy_n(out, m_writeCols, pixels);
        // The row is made in parts: the vertical pass over the plane columns the part samples
        // (still in the first-level cache for the horizontal pass), its columns, streamed to the
        // raster, then a part of the source rows ahead (source rows y0 - 1 and y0 hold plane rows
        // y0 and y0 + 1), so that writing, reading and the arithmetic overlap.
        const int aheadLast = std::min(m_hs - 1, planeRowOf(Y + kRowsAhead));
        const int aheadFirst = std::max({0, s.prefetched + 1, aheadLast - 1});
        const int parts = rowParts(m_writeCols);
        for (int part = 0; part < parts; ++part) {
            const int from = partStart(m_writeCols, part, parts),
                      to = partStart(m_writeCols, part + 1, parts);
            if (blended && to > from)
                blendColumns(s, y0, fy, fromPixels, m_cols.x0[from], m_cols.x0[to - 1] + 2);
            m_loops.pixelAccessColumns(v, m_stride, m_cols.x0.data() + from, m_cols.a.data() + from,
                                       m_cols.b.data() + from, m_r != 0.0f ? &draws : nullptr, pixels + from,
                                       to - from);
            draws.start.skip(3 * static_cast<std::uint64_t>(to - from));
            streamPixels(pixels + from, out + from, to - from);
            for (int r = aheadFirst; r <= aheadLast; ++r)
                prefetchPart(m_source.row(r), m_ws, part, parts);
        }
        streamsDone();
        s.prefetched = std::max(s.prefetched, aheadLast);
    }

private:
    int planeRowOf(int Y) const { return static_cast<int>(m_ky * static_cast<float>(Y)); }

    // Plane rows y0 and y0 + 1 into rowA and rowB (y0 + 1 only when fy is not 0, as it is then
    // not needed); true when the vertical pass has to blend them.
    bool loadPlaneRows(ResamplerScratch& s, int y0, float fy) const {
        s.holdRows(y0, fy != 0.0f, [this](int p, float* out) { fillPlaneRow(p, out); });
        return fy != 0.0f;
    }

    // The vertical pass (1 - fy)*row y0 + fy*row y0 + 1 over plane columns lo..hi-1 into
    // vertical, from the planes in rowA and rowB or, fromPixels, from the source rows (then
    // the margin columns stay 0 from prepare()).
    void blendColumns(ResamplerScratch& s, int y0, float fy, bool fromPixels, int lo, int hi) const {
        if (fromPixels) {
            const int first = std::max(lo, 1), last = std::min(hi, m_ws + 1);
            if (last > first)
                m_loops.blendPixels(m_source.row(y0 - 1) + first - 1, m_source.row(y0) + first - 1, 1.0f - fy,
                                    fy, s.vertical.data() + first, m_stride, last - first);
            return;
        }
        for (int c = 0; c < 3; ++c) {
            const std::ptrdiff_t at = c * m_stride + lo;
            m_loops.blend(s.rowA.data() + at, s.rowB.data() + at, 1.0f - fy, fy, s.vertical.data() + at,
                          hi - lo);
        }
    }

    // Plane row p (0..Hs+1) with its margin columns, corrected by the percents, as three
    // planes. Columns past Ws + 1 stay 0 from prepare().
    void fillPlaneRow(int p, float* out) const {
        if (p < 1 || p > m_hs) {
            for (int c = 0; c < 3; ++c)
                std::fill_n(out + c * m_stride, m_ws + 2, 0.0f);
            return;
        }
        const std::uint32_t* src = m_source.row(p - 1);
        if (m_identity) {
            m_loops.planes(src, m_ws, nullptr, out + 1, m_stride);
        } else {
            for (int c = 0; c < 3; ++c) {
                float* plane = out + c * m_stride + 1;
                for (int x = 0; x < m_ws; ++x)
                    plane[x] = m_lut[c][(src[x] >> (8 * c)) & 0xFF];
            }
        }
        for (int c = 0; c < 3; ++c) {
            out[c * m_stride] = 0.0f;
            out[c * m_stride + m_ws + 1] = 0.0f;
        }
    }

    // The definition step by step, for r so large that a random step can fail a pixel.
    void exactRow(const float* v, std::uint32_t* out, RandomSequence& random) const {
        for (int k = 0; k < m_s.width; ++k) {
            std::array<std::int32_t, 3> ch{};
            for (int c = 0; c < 3; ++c) {
                const float* p = v + c * m_stride + m_cols.x0[k];
                ch[c] = static_cast<std::int32_t>(std::nearbyint(m_cols.a[k] * p[0] + m_cols.b[k] * p[1]));
            }
            bool ok = true;
            for (int c = 0; c < 3 && ok; ++c) {
                const float t = randomFactor(m_r, random.next()) * static_cast<float>(ch[c]);
                ok = t >= -2147483648.0f && t < 2147483648.0f;
                if (ok)
                    ch[c] = static_cast<std::int32_t>(std::nearbyint(t));
            }
            for (int c = 0; c < 3 && ok; ++c)
                ok = ch[c] >= 0 && ch[c] <= kMaxChannel;
            if (ok && out && k < m_writeCols)
                out[k] = 0xFF000000u | static_cast<std::uint32_t>(std::min(ch[2], 255)) << 16 |
                         static_cast<std::uint32_t>(std::min(ch[1], 255)) << 8 |
                         static_cast<std::uint32_t>(std::min(ch[0], 255));
        }
    }

    const RowLoops& m_loops = rowLoops();
    ConstRasterView m_source;
    RasterView m_dest;
    ResampleSettings m_s;
    int m_ws, m_hs;
    float m_r;
    bool m_identity = false;
    bool m_blendPixels = false; // the vertical pass reads source pixels (see row())
    bool m_mayLeavePixels = true;
    float m_lut[3][256];
    float m_kx = 0, m_ky = 0;
    Columns m_cols;
    int m_writeCols = 0;
    std::ptrdiff_t m_stride = 0; // floats from one plane of a row to the next
};

} // namespace

bool resampleByPixelAccess(const ConstRasterView& source, const RasterView& dest,
                           const ResampleSettings& settings, RandomSequence& random, int threads,
                           const std::function<void(int)>& progress) {
    if (settings.width < 1 || settings.height < 1)
        return false;
    const PixelAccessRun run(source, dest, settings);
    const int hs = source.empty() ? 0 : source.height;
    if (progress)
        for (int y = 1; y <= hs; ++y)
            progress(static_cast<int>(30LL * y / hs));

    const int hd = settings.height;
    auto rowProgress = [&](int row) {
        if (progress)
            progress(static_cast<int>(30 + 70LL * (row + 1) / hd));
    };
    const RandomSequence start = random;
    if (!run.fastRandom()) {
        ResamplerScratch scratch;
        run.prepare(scratch);
        runRows(
            hd, 1,
            [&](int row, int) {
                run.row(row + 1, scratch, start, &random);
                return true;
            },
            rowProgress);
        return true;
    }
    std::vector<ResamplerScratch> scratch(static_cast<std::size_t>(std::max(1, threads)));
    runRows(
        hd, threads,
        [&](int row, int worker) {
            ResamplerScratch& s = scratch[static_cast<std::size_t>(worker)];
            if (s.rowA.empty())
                run.prepare(s);
            run.row(row + 1, s, start, nullptr);
            return true;
        },
        rowProgress, rowsPerTakeFor(hd, threads));
    random = start;
    random.skip(3ULL * static_cast<std::uint64_t>(settings.width) * static_cast<std::uint64_t>(hd));
    return true;
}

} // namespace tesmaro::resize
