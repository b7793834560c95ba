#pragma once
// Memory for the pixels of large rasters (pictures/RasterImage.h hands it to QImage).
//
// Touching fresh memory the first time is what a new 4K picture costs most (tens of milliseconds
// on small pages, and on huge pages too whenever the system has to make one free first), so
// large rasters get memory of their own:
//  - on 2 MiB boundaries and advised to be backed by huge pages, whose first touch costs about
//    what one small page's does;
//  - a freed buffer is kept for the next raster of its size, at most kKeptRasterBytes of them
//    (the oldest are unmapped first);
//  - an undo step holds the pictures a command replaced, so the next command of the same size
//    needs fresh memory again: while the program waits for the user, a thread touches up to two
//    buffers of each size just taken (sizes up to kTouchAheadLargest), at most
//    kTouchedAheadBytes in all, so that the next raster of that size finds its memory ready
//    (`tesmaro_bench memory` shows the gain).
//
// Resident spare memory is therefore at most kKeptRasterBytes + kTouchedAheadBytes (352 MiB)
// beyond the rasters in use. An idle program gives all of it back: once no raster memory has
// been taken or given back for the idle delay (5 s unless set), every kept and touched-ahead
// buffer is unmapped and the heap is trimmed. The thread that touches ahead and times the
// release ends once there is nothing left to touch or to release, and is started again when
// needed; it never keeps the process from ending.
//
// Every function may be called from any thread, also while the program ends.

#include <chrono>
#include <cstddef>

namespace tesmaro {

// Below this size a raster does better on the ordinary heap, which recycles small blocks well.
inline constexpr std::size_t kLargeRasterBytes = std::size_t{4} << 20;
inline constexpr std::size_t kKeptRasterBytes = std::size_t{256} << 20;
inline constexpr std::size_t kTouchAheadLargest = std::size_t{48} << 20;
inline constexpr std::size_t kTouchedAheadBytes = std::size_t{96} << 20;
inline constexpr std::chrono::milliseconds kSpareMemoryIdleDelay{5000};

struct RasterMemory {
    void* pixels = nullptr;
    std::size_t bytes = 0; // what was taken: the size asked for rounded up to 2 MiB
};

// Memory for at least `bytes` bytes of pixels, rounded up to a multiple of 2 MiB and aligned to
// 2 MiB, its contents undefined. Empty for 0 bytes or when memory runs out.
RasterMemory takeRasterMemory(std::size_t bytes);
// Gives back memory from takeRasterMemory, exactly as it was taken; ignores an empty one.
void giveBackRasterMemory(const RasterMemory& memory);

// Whether the next takeRasterMemory(bytes) gets memory already touched (kept or touched ahead).
bool rasterMemoryReady(std::size_t bytes);
// Bytes held for later now, kept and touched ahead.
std::size_t spareRasterBytes();
// Unmaps every kept and touched-ahead buffer at once (after a touch under way has finished).
void releaseSpareRasterMemory();

// Touching ahead is on unless switched off; switching it off unmaps what was touched ahead.
void setRasterTouchAhead(bool on);
// How long the memory must go unused before the spare memory goes (tests shorten it).
void setSpareMemoryIdleDelay(std::chrono::milliseconds delay);

} // namespace tesmaro
