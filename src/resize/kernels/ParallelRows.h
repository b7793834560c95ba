#pragma once
// Splits row-by-row pixel work across threads while keeping the visible order of one thread:
// rows are handed out in increasing order, and the caller's progress callback runs on the
// calling thread, row by row in increasing order, as soon as a row and all rows before it are done.

#include <functional>

namespace tesmaro::resize {

// The number of threads the resize commands use: the machine's hardware threads unless set.
int resizeThreadCount();
// 0 returns to the machine's count; the benchmark sets 1 to time one thread.
void setResizeThreadCount(int threads);

// Work for one row on one of the threads (worker is 0..threads-1, the calling thread is 0, so
// per-worker scratch can be indexed by it). Returns false when the row failed.
using RowWork = std::function<bool(int row, int worker)>;
using RowProgress = std::function<void(int row)>;

// Runs work for rows 0..count-1 on up to threads threads, the calling thread included; with
// one thread the rows run in order on the calling thread. A thread takes rowsPerTake
// consecutive rows at a time and runs them in order, so per-thread state that follows the rows
// (cached source rows) keeps being reused. progress (may be empty) is called for every row
// before the first failed row, in order. Rows after the first failure may be skipped.
// Returns the first failed row, or count when none failed. An exception thrown by work is
// rethrown here after every thread has stopped.
int runRows(int count, int threads, const RowWork& work, const RowProgress& progress, int rowsPerTake = 1);

// Rows per take for count rows on threads threads: up to 16, while leaving each thread at
// least eight takes so that they all finish at about the same time.
int rowsPerTakeFor(int count, int threads);

// Runs band(firstRow, endRow) over rows 0..rows-1 cut into up to `threads` bands of consecutive
// rows, one per thread, none thinner than 64 rows (thinner ones cost more in start-up than
// they save); with one band it runs on the calling thread.
void runInBands(int rows, int threads, const std::function<void(int firstRow, int endRow)>& band);

// A row of `width` pixels cut into parts of about 512 pixels (whole 64-byte lines where
// possible), so that a kernel can interleave its memory traffic with its arithmetic: part p
// runs from partStart(width, p, parts) to partStart(width, p + 1, parts).
inline int rowParts(int width) {
    return width / 512 + 1;
}
inline int partStart(int width, int part, int parts) {
    return part >= parts ? width : static_cast<int>(static_cast<long long>(width) * part / parts) & ~15;
}

} // namespace tesmaro::resize
