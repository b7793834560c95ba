#pragma once
// The innermost loops of the two resamplers, chosen once per process: a four-lane form for any
// machine, an eight-lane AVX2 form and a sixteen-lane AVX-512 form where the processor has them.
// All perform, lane by lane, the same single-precision operations in the same order, so they
// give identical results.
//
// The environment variable TESMARO_DISABLE leaves forms out, to time or check a narrower one:
// a list of names separated by spaces or commas, "avx512" for the sixteen-lane form and "avx2"
// for the eight-lane one (so "avx2 avx512" forces four lanes); other names are ignored. It is
// read once, when the resamplers first run.
//
// A row of channel values is held as three planes, blue, green and red, one float per column,
// each plane `stride` floats after the one before. A lane then holds one channel of one result
// column, so the wide forms work on 8 or 16 result columns at once with no lane left idle.

#include "core/RandomSequence.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace tesmaro::resize {

// Floats a plane must stay readable past the last column a result column samples: the wide
// forms load a window of 32 floats from the first column of a group.
constexpr int kPlaneSlack = 32;

// The random factors of a run of result columns: column k of the run takes the draws 3k, 3k + 1
// and 3k + 2 after start for blue, green and red, each as randomFactor(r, u).
struct ColumnDraws {
    RandomSequence start;
    float r = 0;
};

struct RowLoops {
    int lanes; // 4, 8 or 16
    // out[i] = wa*a[i] + wb*b[i] for i < n.
    void (*blend)(const float* a, const float* b, float wa, float wb, float* out, int n);
    // out[i] = (a[i]*wa)/100 + (b[i]*wb)/100 for i < n.
    void (*blendHundredths)(const float* a, const float* b, float wa, float wb, float* out, int n);
    // Blue, green and red of count pixels as floats into the three planes from out, each times
    // percent[c] (one multiplication) unless percent is null.
    void (*planes)(const std::uint32_t* pixels, int count, const float* percent, float* out,
                   std::ptrdiff_t stride);
    // The vertical passes straight from two rows of pixels, without keeping them as planes:
    // plane c of out, column x < count, from channel c of a[x] and b[x] as floats A and B:
    // wa*A + wb*B for blendPixels, ((A*percent[c])*wa)/100 + ((B*percent[c])*wb)/100 for
    // blendPixelsHundredths, so exactly what planes followed by blend or blendHundredths give.
    void (*blendPixels)(const std::uint32_t* a, const std::uint32_t* b, float wa, float wb, float* out,
                        std::ptrdiff_t stride, int count);
    void (*blendPixelsHundredths)(const std::uint32_t* a, const std::uint32_t* b, const float* percent,
                                  float wa, float wb, float* out, std::ptrdiff_t stride, int count);
    // Plane c of factors, column k < n: randomFactor(r, u) for the draw u number 3k + c after
    // start (start is not advanced).
    void (*factorPlanes)(const RandomSequence& start, float r, float* factors, std::ptrdiff_t stride, int n);
    // "XY VB" result columns k < count from the column values in the planes of v: per channel
    // nearest(a[k]*v[x0[k]] + b[k]*v[x0[k] + 1]), times its random factor and rounded again
    // unless draws is null; written to out[k] unless a channel is below 0 or above 32767. x0 is
    // nondecreasing; each plane needs kPlaneSlack readable floats past its last sampled column.
    void (*pixelAccessColumns)(const float* v, std::ptrdiff_t stride, const int* x0, const float* a,
                               const float* b, const ColumnDraws* draws, std::uint32_t* out, int count);
    // "XY API" result columns k < count from the column values in the planes of v: per channel
    // nearest((a[k]*v[x0[k]] + v[x0[k] + 1]*b[k]) * its random factor) (no factor when draws is
    // null), capped at 255, written to out[k] for k < writeCount. Returns the draw 3k + c of the
    // first channel below 0 or beyond 32 bits (in draw order), or -1. Planes as for
    // pixelAccessColumns.
    int (*dibColumns)(const float* v, std::ptrdiff_t stride, const int* x0, const float* a, const float* b,
                      const ColumnDraws* draws, std::uint32_t* out, int count, int writeCount);
};

// The loops for this processor: the widest form it has that TESMARO_DISABLE leaves in, unless a
// test has selected one.
const RowLoops& rowLoops();
// The widest form this processor has that the names in `disabled` leave in (as TESMARO_DISABLE).
const RowLoops& widestRowLoops(std::string_view disabled);
// Each form on its own, so they can be checked against each other; null where not available.
const RowLoops& fourLaneRowLoops();
const RowLoops* eightLaneRowLoops();
const RowLoops* sixteenLaneRowLoops();
// For tests, which run the resamplers with every form the machine has: rowLoops() returns
// `form` from now on, or, for null, the form chosen for the process again. A run under way
// keeps the form it started with.
void selectRowLoopsForTests(const RowLoops* form);

// Asks for part `part` of `parts` equal parts of a raster row to be brought into the
// second-level cache ahead of its use.
void prefetchPart(const std::uint32_t* row, int count, int part, int parts);

// Copies a finished result row into a raster bypassing the caches (the result is far larger than
// them and is not read again soon); the copy is complete for other threads when this returns.
void streamRow(const std::uint32_t* from, std::uint32_t* to, int count);
// The same in pieces: the copies are complete for other threads once streamsDone() returns, so
// that pieces of one row can be written while the next pieces are being computed.
void streamPixels(const std::uint32_t* from, std::uint32_t* to, int count);
void streamsDone();

// What one thread of a resampler keeps between the rows it takes: the two source rows last
// turned into planes (by index; -1 for none), the vertical blend, and the result row before it
// goes to the raster.
struct ResamplerScratch {
    std::vector<float> rowA, rowB, vertical;
    std::vector<std::uint32_t> pixels;
    int sourceA = -1, sourceB = -1;
    int prefetched = -1; // the last source row asked into the cache

    // Source row `first` into rowA and, when `both`, row first + 1 into rowB, each made by
    // fill(row, out) only when neither buffer holds it yet: consecutive result rows mostly
    // sample the same two rows or the pair one row further down, which then moves over.
    template <typename Fill> void holdRows(int first, bool both, const Fill& fill) {
        if (sourceA != first) {
            if (sourceB == first) {
                std::swap(rowA, rowB);
                std::swap(sourceA, sourceB);
            } else {
                fill(first, rowA.data());
                sourceA = first;
            }
        }
        if (both && sourceB != first + 1) {
            fill(first + 1, rowB.data());
            sourceB = first + 1;
        }
    }
};

// A row asks for the source rows of the result row this many rows ahead.
constexpr int kRowsAhead = 2;

} // namespace tesmaro::resize
