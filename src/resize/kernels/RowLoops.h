#pragma once
// The innermost loops of the two resamplers, chosen once per process: a four-lane form for any
// machine, an eight-lane AVX2 form and a sixteen-lane AVX-512 form where the processor has them.
// All perform, lane by lane, the same single-precision operations in the same order, so they
// give identical results.

#include "core/RandomSequence.h"

#include <cstdint>

namespace tesmaro::resize {

struct RowLoops {
    // out[i] = wa*a[i] + wb*b[i] for i < n; n is a multiple of 4.
    void (*blend)(const float* a, const float* b, float wa, float wb, float* out, int n);
    // out[i] = (a[i]*wa)/100 + (b[i]*wb)/100 for i < n; n is a multiple of 4.
    void (*blendHundredths)(const float* a, const float* b, float wa, float wb, float* out, int n);
    // Four floats per pixel: blue, green, red, 0.
    void (*channels)(const std::uint32_t* pixels, int count, float* out);
    // Three floats per pixel: blue*p[0], green*p[1], red*p[2]; writes one float past the end.
    void (*weightedChannels)(const std::uint32_t* pixels, int count, const float* p, float* out);
    // "XY VB" result columns k < count from the column values v (four floats per plane column):
    // channel = nearest((a[k]*v[x0] + b[k]*v[x0 + 1])), times factors[3k..3k+2] and rounded
    // again when factors is not null; written to out[k] unless a channel is below 0 or above 32767.
    // factors needs one float past 3*count.
    void (*pixelAccessColumns)(const float* v, const int* x0, const float* a, const float* b,
                               const float* factors, std::uint32_t* out, int count);
    // "XY API" result columns k < count from the column values v (three floats per pixel; eight
    // floats are read from 3*x0[k], so v needs two floats past the last one used):
    // nearest((a[k]*c0 + c1*b[k]) * factors[3k + c]) (no factor when null), capped at 255,
    // written to out[k] for k < writeCount. Returns the draw (3k + channel) of the first
    // channel below 0 or beyond 32 bits, or -1.
    int (*dibColumns)(const float* v, const int* x0, const float* a, const float* b, const float* factors,
                      std::uint32_t* out, int count, int writeCount);
    // factors[i] = randomFactor(r, u_i) for the n draws after start (start is not advanced).
    void (*factors)(const RandomSequence& start, float r, float* factors, int n);
};

// The loops for this processor.
const RowLoops& rowLoops();
// Each form on its own, so both can be checked against each other; null where not available.
const RowLoops& fourLaneRowLoops();
const RowLoops* eightLaneRowLoops();
const RowLoops* sixteenLaneRowLoops();

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

} // namespace tesmaro::resize
