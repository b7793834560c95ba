#include "resize/kernels/ParallelRows.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tesmaro::resize {
namespace {

std::atomic<int> g_threadCount{0};

enum RowState : unsigned char { Pending = 0, Done = 1, Failed = 2 };

} // namespace

int resizeThreadCount() {
    const int set = g_threadCount.load();
    if (set > 0)
        return set;
    const unsigned machine = std::thread::hardware_concurrency();
    return machine == 0 ? 1 : static_cast<int>(machine);
}

void setResizeThreadCount(int threads) {
    g_threadCount.store(threads > 0 ? threads : 0);
}

int rowsPerTakeFor(int count, int threads) {
    return std::clamp(count / (8 * std::max(1, threads)), 1, 16);
}

int runRows(int count, int threads, const RowWork& work, const RowProgress& progress, int rowsPerTake) {
    if (count <= 0)
        return 0;
    rowsPerTake = std::clamp(rowsPerTake, 1, count);
    const int takes = (count - 1) / rowsPerTake + 1;
    threads = std::clamp(threads, 1, takes);

    std::atomic<int> next{0};
    std::atomic<int> firstFailed{count};
    const std::unique_ptr<std::atomic<unsigned char>[]> state(new std::atomic<unsigned char>[count]);
    for (int i = 0; i < count; ++i)
        state[i].store(Pending, std::memory_order_relaxed);
    std::mutex mutex;
    std::condition_variable rowFinished;
    std::exception_ptr error;
    std::atomic<bool> stop{false};

    // Runs the rows of one take in order, up to a failed one; false when there is nothing left.
    auto takeRow = [&](int worker) {
        if (stop.load())
            return false;
        const int first = next.fetch_add(1) * rowsPerTake;
        if (first >= count || first > firstFailed.load())
            return false;
        const int end = std::min(count, first + rowsPerTake);
        for (int row = first; row < end && !stop.load(); ++row) {
            bool ok = false;
            try {
                ok = work(row, worker);
            } catch (...) {
                const std::lock_guard lock(mutex);
                if (!error)
                    error = std::current_exception();
            }
            if (!ok) {
                int seen = firstFailed.load();
                while (row < seen && !firstFailed.compare_exchange_weak(seen, row)) {
                }
            }
            state[row].store(ok ? Done : Failed, std::memory_order_release);
            { const std::lock_guard lock(mutex); }
            rowFinished.notify_all();
            if (!ok)
                break;
        }
        return true;
    };

    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back([&takeRow, t] {
                while (takeRow(t)) {
                }
            });
        } catch (const std::system_error&) {
            break; // fewer threads: the rows still all get done
        }
    }

    int reported = 0;
    auto report = [&] {
        while (reported < count && state[reported].load(std::memory_order_acquire) == Done) {
            if (progress)
                progress(reported);
            ++reported;
        }
    };
    try {
        while (takeRow(0))
            report();
        // Wait for the helpers' rows, reporting them in order as they finish.
        for (;;) {
            report();
            if (reported >= count || state[reported].load(std::memory_order_acquire) == Failed)
                break;
            std::unique_lock lock(mutex);
            rowFinished.wait(lock,
                             [&] { return state[reported].load(std::memory_order_acquire) != Pending; });
        }
    } catch (...) {
        // The progress callback failed: stop handing out rows, then let the caller see why.
        stop.store(true);
        const std::lock_guard lock(mutex);
        if (!error)
            error = std::current_exception();
    }
    for (std::thread& h : helpers)
        h.join();
    if (error)
        std::rethrow_exception(error);
    return firstFailed.load();
}

void runInBands(int rows, int threads, const std::function<void(int firstRow, int endRow)>& band) {
    constexpr int kMinBandRows = 64;
    if (rows <= 0)
        return;
    const int bands = std::clamp(std::min(threads, rows / kMinBandRows), 1, rows);
    runRows(bands, bands,
            [&](int b, int) {
                band(static_cast<int>(static_cast<long long>(rows) * b / bands),
                     static_cast<int>(static_cast<long long>(rows) * (b + 1) / bands));
                return true;
            },
            {});
}

} // namespace tesmaro::resize
