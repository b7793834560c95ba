#include "windows/ZoomedPaint.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#define TESMARO_ZOOM_SSE2 1
#else
#define TESMARO_ZOOM_SSE2 0
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define TESMARO_ZOOM_AVX2 1
#else
#define TESMARO_ZOOM_AVX2 0
#endif

namespace tesmaro::zoom {
namespace {

// Below 100 % two channels share a word, one in each 16-bit half: red and blue as they lie in a
// pixel, and green (with alpha above it, never used) shifted down. A half holds a sum of up to
// 257 levels of 255, and a scale's terms are at most 128, so a square's column sums (at most
// 255 * den) always fit; the weights (at most num) multiply inside a half too.
constexpr std::uint32_t kHalves = 0x00FF00FF;

long long floorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

void fill(std::uint32_t* row, int from, int to, std::uint32_t colour) {
    if (from < to)
        std::fill(row + from, row + to, colour);
}

void copyOpaque(const std::uint32_t* from, std::uint32_t* to, int count) {
    int x = 0;
#if TESMARO_ZOOM_SSE2
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    for (; x + 4 <= count; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), _mm_or_si128(v, opaque));
    }
#endif
    for (; x < count; ++x)
        to[x] = from[x] | kOpaque;
}

// Up to this many picture rows are summed in one pass over the columns: the memory serves several
// rows read side by side much faster than one row after another.
constexpr int kRowsPerPass = 4;

// Rows of one pass: their first visible pixels and weights, and the rows of the next pass, which
// are fetched into the cache meanwhile.
struct Pass {
    const std::uint32_t* rows[kRowsPerPass];
    std::uint32_t weights[kRowsPerPass];
    int count;
    const std::uint32_t* ahead[kRowsPerPass];
    int aheadCount;
};

#if TESMARO_ZOOM_AVX2
// The unweighted sums of addRows eight columns at a time, on processors with AVX2 (most of a
// paint below 25 % is spent here). Returns how many columns it did.
template <bool kFirst>
__attribute__((target("avx2"))) int addRowsEight(const Pass& pass, int count, std::uint32_t* redBlue,
                                                 std::uint32_t* green) {
    const __m256i halves = _mm256_set1_epi32(static_cast<int>(kHalves));
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        if (x % 16 == 0)
            for (int k = 0; k < pass.aheadCount; ++k)
                _mm_prefetch(reinterpret_cast<const char*>(pass.ahead[k] + x), _MM_HINT_T0);
        __m256i rb = _mm256_setzero_si256(), ag = _mm256_setzero_si256();
        for (int k = 0; k < pass.count; ++k) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pass.rows[k] + x));
            rb = _mm256_add_epi16(rb, _mm256_and_si256(v, halves));
            ag = _mm256_add_epi16(ag, _mm256_and_si256(_mm256_srli_epi32(v, 8), halves));
        }
        if constexpr (!kFirst) {
            rb = _mm256_add_epi16(rb, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(redBlue + x)));
            ag = _mm256_add_epi16(ag, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(green + x)));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(redBlue + x), rb);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(green + x), ag);
    }
    return x;
}
#endif

// Starts (kFirst) or adds to the column sums with the rows of one pass.
template <bool kFirst, bool kWeighted>
void addRows(const Pass& pass, int count, std::uint32_t* redBlue, std::uint32_t* green) {
    int x = 0;
#if TESMARO_ZOOM_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (!kWeighted && avx2)
        x = addRowsEight<kFirst>(pass, count, redBlue, green);
#endif
#if TESMARO_ZOOM_SSE2
    const __m128i halves = _mm_set1_epi32(static_cast<int>(kHalves));
    for (; x + 4 <= count; x += 4) {
        if (x % 16 == 0)
            for (int k = 0; k < pass.aheadCount; ++k)
                _mm_prefetch(reinterpret_cast<const char*>(pass.ahead[k] + x), _MM_HINT_T0);
        __m128i rb = _mm_setzero_si128(), ag = _mm_setzero_si128();
        for (int k = 0; k < pass.count; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pass.rows[k] + x));
            __m128i rowRb = _mm_and_si128(v, halves), rowAg = _mm_and_si128(_mm_srli_epi32(v, 8), halves);
            if constexpr (kWeighted) {
                const __m128i w = _mm_set1_epi16(static_cast<short>(pass.weights[k]));
                rowRb = _mm_mullo_epi16(rowRb, w);
                rowAg = _mm_mullo_epi16(rowAg, w);
            }
            rb = _mm_add_epi16(rb, rowRb);
            ag = _mm_add_epi16(ag, rowAg);
        }
        if constexpr (!kFirst) {
            rb = _mm_add_epi16(rb, _mm_loadu_si128(reinterpret_cast<const __m128i*>(redBlue + x)));
            ag = _mm_add_epi16(ag, _mm_loadu_si128(reinterpret_cast<const __m128i*>(green + x)));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(redBlue + x), rb);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(green + x), ag);
    }
#endif
    for (; x < count; ++x) {
        std::uint32_t rb = kFirst ? 0 : redBlue[x], ag = kFirst ? 0 : green[x];
        for (int k = 0; k < pass.count; ++k) {
            const std::uint32_t v = pass.rows[k][x];
            rb += (v & kHalves) * (kWeighted ? pass.weights[k] : 1);
            ag += ((v >> 8) & kHalves) * (kWeighted ? pass.weights[k] : 1);
        }
        redBlue[x] = rb;
        green[x] = ag;
    }
}

// Round to nearest, halves up, of sum / total for a sum of at most 255 * total: the quotient by
// a reciprocal is off by far less than the 1 / (2 * total) that parts a half from its neighbours.
std::uint32_t mean(std::uint32_t sum, double reciprocal) {
    return static_cast<std::uint32_t>(sum * reciprocal + (0.5 + 0x1p-30));
}

} // namespace

// The target pixels of `count` consecutive columns from the column sums: each the weighted mean
// over its span (all weights 1 when kUnitWeights).
template <bool kUnitWeights>
void ZoomedPainter::averageColumns(const Span* spans, int count, const std::uint32_t* weights,
                                   const std::uint32_t* redBlue, const std::uint32_t* green,
                                   double rowReciprocal, std::uint32_t* out) {
    for (int x = 0; x < count; ++x) {
        const Span& span = spans[x];
        const std::uint32_t* rb = redBlue + span.first;
        const std::uint32_t* ag = green + span.first;
        std::uint32_t r = 0, g = 0, b = 0;
        for (int i = 0; i < span.count; ++i) {
            const std::uint32_t w = kUnitWeights ? 1 : weights[span.weightIndex + i];
            r += w * (rb[i] >> 16);
            b += w * (rb[i] & 0xFFFF);
            g += w * (ag[i] & 0xFFFF);
        }
        const double reciprocal = rowReciprocal * span.reciprocal;
        out[x] = kOpaque | mean(r, reciprocal) << 16 | mean(g, reciprocal) << 8 | mean(b, reciprocal);
    }
}

namespace {

#if TESMARO_ZOOM_SSE2
// The sums of four consecutive runs of `run` words (a power of two), in 16-bit halves.
__m128i runSums(const std::uint32_t* p, int run) {
    auto load = [](const std::uint32_t* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };
    if (run == 2) {
        const __m128 a = _mm_castsi128_ps(load(p)), b = _mm_castsi128_ps(load(p + 4));
        return _mm_add_epi16(_mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0))),
                             _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1))));
    }
    __m128i s[4];
    for (int j = 0; j < 4; ++j) {
        const std::uint32_t* q = p + j * run;
        s[j] = load(q);
        for (int i = 4; i < run; i += 4)
            s[j] = _mm_add_epi16(s[j], load(q + i));
    }
    // Each of the four words summed across: pairs, then pairs of pairs.
    const __m128i s01 = _mm_add_epi16(_mm_unpacklo_epi32(s[0], s[1]), _mm_unpackhi_epi32(s[0], s[1]));
    const __m128i s23 = _mm_add_epi16(_mm_unpacklo_epi32(s[2], s[3]), _mm_unpackhi_epi32(s[2], s[3]));
    return _mm_add_epi16(_mm_unpacklo_epi64(s01, s23), _mm_unpackhi_epi64(s01, s23));
}
#endif

} // namespace

void ZoomedPainter::paint(const ConstRasterView& picture, Scale scale, int scrollX, int scrollY,
                          const RasterView& target, std::uint32_t background, int firstRow, int endRow) {
    m_firstRow = std::max(firstRow, 0);
    m_endRow = std::min(endRow, target.height);
    if (target.empty() || m_firstRow >= m_endRow)
        return;
    background |= kOpaque;
    if (picture.empty()) {
        for (int y = m_firstRow; y < m_endRow; ++y)
            fill(target.row(y), 0, target.width, background);
        return;
    }
    if (!isValid(scale))
        scale = Scale{};
    const int common = std::gcd(scale.num, scale.den);
    scale = Scale{scale.num / common, scale.den / common};
    if (scale.num == scale.den)
        copy(picture, scrollX, scrollY, target, background);
    else if (scale.num > scale.den)
        nearest(picture, scale, scrollX, scrollY, target, background);
    else
        average(picture, scale, scrollX, scrollY, target, background);
}

void ZoomedPainter::copy(const ConstRasterView& picture, int scrollX, int scrollY, const RasterView& target,
                         std::uint32_t background) {
    // Target columns [from, to) lie over the picture.
    const long long sx = scrollX;
    const int from = static_cast<int>(std::clamp<long long>(-sx, 0, target.width));
    const int to = static_cast<int>(std::clamp<long long>(picture.width - sx, from, target.width));
    for (int y = m_firstRow; y < m_endRow; ++y) {
        std::uint32_t* out = target.row(y);
        const long long py = static_cast<long long>(scrollY) + y;
        if (py < 0 || py >= picture.height || from == to) {
            fill(out, 0, target.width, background);
            continue;
        }
        fill(out, 0, from, background);
        copyOpaque(picture.row(static_cast<int>(py)) + (sx + from), out + from, to - from);
        fill(out, to, target.width, background);
    }
}

void ZoomedPainter::nearest(const ConstRasterView& picture, Scale scale, int scrollX, int scrollY,
                            const RasterView& target, std::uint32_t background) {
    // Each target column's picture column; the ones over the picture are [from, to).
    m_columns.resize(static_cast<std::size_t>(target.width));
    int from = target.width, to = 0;
    for (int x = 0; x < target.width; ++x) {
        const long long px = scrollX + floorDiv(static_cast<long long>(x) * scale.den, scale.num);
        m_columns[x] = static_cast<int>(std::clamp<long long>(px, -1, picture.width));
        if (px >= 0 && px < picture.width) {
            from = std::min(from, x);
            to = x + 1;
        }
    }
    long long previous = -1; // the picture row of the target row above, when it was painted
    for (int y = m_firstRow; y < m_endRow; ++y) {
        std::uint32_t* out = target.row(y);
        const long long py = scrollY + floorDiv(static_cast<long long>(y) * scale.den, scale.num);
        if (py < 0 || py >= picture.height || from >= to) {
            fill(out, 0, target.width, background);
            previous = -1;
            continue;
        }
        if (py == previous) {
            std::memcpy(out, target.row(y - 1),
                        static_cast<std::size_t>(target.width) * sizeof(std::uint32_t));
            continue;
        }
        const std::uint32_t* in = picture.row(static_cast<int>(py));
        fill(out, 0, from, background);
        for (int x = from; x < to; ++x)
            out[x] = in[m_columns[x]] | kOpaque;
        fill(out, to, target.width, background);
        previous = py;
    }
}

void ZoomedPainter::rowTaps(long long top, Scale scale, int pictureHeight) {
    // The target row is [top, top + den) in 1/num of a picture row; the picture [0, end).
    const long long end = static_cast<long long>(pictureHeight) * scale.num;
    const long long a = std::max(top, 0LL), b = std::min(top + scale.den, end);
    if (a >= b)
        return;
    // Only whole squares are sampled: a few rows of one the picture's edge cuts would not stand
    // for the rest of it.
    if (scale.num == 1 && scale.den >= kSampledRows && a == top && b == top + scale.den) {
        const int half = scale.den / 2;
        for (int row = 0; row < scale.den; ++row)
            if (row % 2 == (row < half ? 0 : 1))
                m_taps.push_back({static_cast<int>(top + row), 1});
        return;
    }
    for (long long row = a / scale.num; row * scale.num < b; ++row) {
        const long long weight = std::min(b, (row + 1) * scale.num) - std::max(a, row * scale.num);
        m_taps.push_back({static_cast<int>(row), static_cast<int>(weight)});
    }
}

void ZoomedPainter::average(const ConstRasterView& picture, Scale scale, int scrollX, int scrollY,
                            const RasterView& target, std::uint32_t background) {
    // The target columns over the picture, [from, to), and the picture columns they take,
    // from `left` on. Interior columns [innerFrom, innerTo) take den whole columns each (only
    // when num is 1).
    const long long end = static_cast<long long>(picture.width) * scale.num;
    const long long origin = static_cast<long long>(scrollX) * scale.num;
    m_spans.clear();
    m_weights.clear();
    int from = -1, to = -1, innerFrom = 0, innerTo = 0;
    long long left = 0;
    for (int x = 0; x < target.width; ++x) {
        const long long start = origin + static_cast<long long>(x) * scale.den;
        const long long a = std::max(start, 0LL), b = std::min(start + scale.den, end);
        if (a >= b)
            continue;
        if (from < 0) {
            from = x;
            left = a / scale.num;
        }
        to = x + 1;
        Span span{static_cast<int>(a / scale.num - left), 0, static_cast<int>(m_weights.size()),
                  1.0 / static_cast<double>(b - a)};
        for (long long column = a / scale.num; column * scale.num < b; ++column) {
            m_weights.push_back(static_cast<std::uint32_t>(std::min(b, (column + 1) * scale.num) -
                                                           std::max(a, column * scale.num)));
            ++span.count;
        }
        if (scale.num == 1 && b - a == scale.den) {
            if (innerFrom == innerTo)
                innerFrom = x;
            innerTo = x + 1;
        }
        m_spans.push_back(span);
    }
    if (from < 0) {
        for (int y = m_firstRow; y < m_endRow; ++y)
            fill(target.row(y), 0, target.width, background);
        return;
    }
    const Span& last = m_spans.back();
    const int count = last.first + last.count; // visible picture columns
    m_redBlue.resize(static_cast<std::size_t>(count));
    m_green.resize(static_cast<std::size_t>(count));
    const bool unitWeights = scale.num == 1;

    // Every target row's picture rows, first to last, so each pass knows the rows of the next.
    const long long originY = static_cast<long long>(scrollY) * scale.num;
    m_taps.clear();
    m_tapStart.assign(1, 0);
    for (int y = m_firstRow; y < m_endRow; ++y) {
        rowTaps(originY + static_cast<long long>(y) * scale.den, scale, picture.height);
        m_tapStart.push_back(static_cast<int>(m_taps.size()));
    }
    auto passAt = [&](std::size_t begin, std::size_t stop) {
        Pass pass{};
        for (std::size_t i = begin; i < stop && pass.count < kRowsPerPass; ++i) {
            pass.rows[pass.count] = picture.row(m_taps[i].row) + left;
            pass.weights[pass.count++] = static_cast<std::uint32_t>(m_taps[i].weight);
        }
        return pass;
    };

    double rowReciprocal = 0; // 1 / the total of the row's weights
    int rowTotalWas = 0;
    for (int y = m_firstRow; y < m_endRow; ++y) {
        std::uint32_t* out = target.row(y);
        const auto first = static_cast<std::size_t>(m_tapStart[y - m_firstRow]),
                   stop = static_cast<std::size_t>(m_tapStart[y - m_firstRow + 1]);
        if (first == stop) {
            fill(out, 0, target.width, background);
            continue;
        }
        int rowTotal = 0;
        for (std::size_t i = first; i < stop; i += kRowsPerPass) {
            Pass pass = passAt(i, stop);
            const std::size_t next = std::min(i + kRowsPerPass, m_taps.size());
            const Pass ahead = passAt(next, std::min(next + kRowsPerPass, m_taps.size()));
            std::copy_n(ahead.rows, ahead.count, pass.ahead);
            pass.aheadCount = ahead.count;
            const bool weighted =
                std::any_of(pass.weights, pass.weights + pass.count, [](auto w) { return w != 1; });
            if (i == first)
                (weighted ? addRows<true, true> : addRows<true, false>)(pass, count, m_redBlue.data(),
                                                                        m_green.data());
            else
                (weighted ? addRows<false, true> : addRows<false, false>)(pass, count, m_redBlue.data(),
                                                                          m_green.data());
            for (int k = 0; k < pass.count; ++k)
                rowTotal += static_cast<int>(pass.weights[k]);
        }
        if (rowTotal != rowTotalWas) {
            rowReciprocal = 1.0 / rowTotal;
            rowTotalWas = rowTotal;
        }

        auto columns = [&](int begin, int limit) {
            if (begin >= limit)
                return;
            const Span* spans = m_spans.data() + (begin - from);
            (unitWeights ? averageColumns<true>
                         : averageColumns<false>)(spans, limit - begin, m_weights.data(), m_redBlue.data(),
                                                  m_green.data(), rowReciprocal, out + begin);
        };

        fill(out, 0, from, background);
        int x = from;
#if TESMARO_ZOOM_SSE2
        // Squares of a power of two pixels (the steps below 100 %) in fours: the sums stay in
        // their halves and the rounding is a shift.
        const int total = scale.den * rowTotal;
        if (unitWeights && scale.den > 1 && std::has_single_bit(static_cast<unsigned>(total)) &&
            total <= 256) {
            const __m128i shift = _mm_cvtsi32_si128(std::countr_zero(static_cast<unsigned>(total)));
            const __m128i half = _mm_set1_epi16(static_cast<short>(total / 2));
            const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
            columns(x, innerFrom);
            for (x = std::max(x, innerFrom); x + 4 <= innerTo; x += 4) {
                const int column0 = m_spans[static_cast<std::size_t>(x - from)].first;
                const __m128i rb =
                    _mm_srl_epi16(_mm_add_epi16(runSums(m_redBlue.data() + column0, scale.den), half), shift);
                const __m128i ag =
                    _mm_srl_epi16(_mm_add_epi16(runSums(m_green.data() + column0, scale.den), half), shift);
                const __m128i pixels = _mm_or_si128(_mm_or_si128(rb, _mm_slli_epi32(ag, 8)), opaque);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), pixels);
            }
        }
#endif
        columns(x, to);
        fill(out, to, target.width, background);
    }
}

} // namespace tesmaro::zoom
