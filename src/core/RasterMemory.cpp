#include "core/RasterMemory.h"

#include <sys/mman.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace tesmaro {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t roundedToHugePages(std::size_t bytes) {
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

// Fresh anonymous memory on a huge-page boundary, advised to be backed by huge pages.
void* mapHuge(std::size_t bytes) {
    const std::size_t span = bytes + kHugePage;
    void* mapped = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start)
        ::munmap(mapped, aligned - start);
    const std::uintptr_t end = start + span, alignedEnd = aligned + bytes;
    if (end > alignedEnd)
        ::munmap(reinterpret_cast<void*>(alignedEnd), end - alignedEnd);
    ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

// One write per small page faults every page in. Not MADV_POPULATE_WRITE: that holds the
// process's memory map lock until the whole buffer is in, and every mmap or munmap of the
// program's other threads (large heap blocks, a raster) waits for it meanwhile.
void touch(void* memory, std::size_t bytes) {
    volatile unsigned char* bytesOf = static_cast<unsigned char*>(memory);
    for (std::size_t at = 0; at < bytes; at += 4096)
        bytesOf[at] = 0;
}

void unmap(const std::vector<RasterMemory>& buffers) {
    for (const RasterMemory& b : buffers)
        ::munmap(b.pixels, b.bytes);
}

// Buffers of one kind (kept or touched ahead), oldest first.
struct Buffers {
    std::vector<RasterMemory> list;
    std::size_t bytes = 0;

    void* take(std::size_t size) {
        // The most recent first: it is the likeliest still to be in the caches.
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            if (it->bytes == size) {
                void* memory = it->pixels;
                bytes -= size;
                list.erase(std::next(it).base());
                return memory;
            }
        return nullptr;
    }
    bool holds(std::size_t size) const {
        return std::any_of(list.begin(), list.end(),
                           [size](const RasterMemory& b) { return b.bytes == size; });
    }
    void add(const RasterMemory& b) {
        list.push_back(b);
        bytes += b.bytes;
    }
    // The oldest go until `more` fits under limit; returns them for unmapping outside the lock.
    void makeRoom(std::size_t more, std::size_t limit, std::vector<RasterMemory>& dropped) {
        std::size_t n = 0;
        while (n < list.size() && bytes + more > limit) {
            bytes -= list[n].bytes;
            dropped.push_back(list[n++]);
        }
        list.erase(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(n));
    }
    void moveAllTo(std::vector<RasterMemory>& dropped) {
        dropped.insert(dropped.end(), list.begin(), list.end());
        list.clear();
        bytes = 0;
    }
};

class Pool {
public:
    RasterMemory take(std::size_t bytes) {
        std::unique_lock lock(m_mutex);
        noteUse();
        if (void* kept = m_kept.take(bytes))
            return {kept, bytes};
        void* ready = nullptr;
        if (m_touchAhead) {
            ready = m_ahead.take(bytes);
            // Two of a size: a command may take two rasters of one size (its source and a work
            // raster), and its undo step then holds both.
            if (bytes <= kTouchAheadLargest && std::count(m_wanted.begin(), m_wanted.end(), bytes) < 2) {
                m_wanted.push_back(bytes);
                m_wake.notify_all();
            }
        }
        lock.unlock();
        if (!ready)
            ready = mapHuge(bytes);
        return ready ? RasterMemory{ready, bytes} : RasterMemory{};
    }

    void giveBack(const RasterMemory& memory) {
        std::vector<RasterMemory> dropped;
        {
            const std::lock_guard lock(m_mutex);
            noteUse();
            if (memory.bytes <= kKeptRasterBytes) {
                m_kept.makeRoom(memory.bytes, kKeptRasterBytes, dropped);
                m_kept.add(memory);
            } else {
                dropped.push_back(memory);
            }
        }
        unmap(dropped);
    }

    bool ready(std::size_t bytes) {
        const std::lock_guard lock(m_mutex);
        return m_kept.holds(bytes) || m_ahead.holds(bytes);
    }

    std::size_t spareBytes() {
        const std::lock_guard lock(m_mutex);
        return m_kept.bytes + m_ahead.bytes;
    }

    void release() {
        std::vector<RasterMemory> dropped;
        {
            std::unique_lock lock(m_mutex);
            stopTouching(lock);
            m_kept.moveAllTo(dropped);
            m_ahead.moveAllTo(dropped);
        }
        unmap(dropped);
    }

    void setTouchAhead(bool on) {
        std::vector<RasterMemory> dropped;
        {
            std::unique_lock lock(m_mutex);
            m_touchAhead = on;
            if (!on) {
                stopTouching(lock);
                m_ahead.moveAllTo(dropped);
            }
        }
        unmap(dropped);
    }

    void setIdleDelay(std::chrono::milliseconds delay) {
        const std::lock_guard lock(m_mutex);
        m_idleDelay = delay;
        m_wake.notify_all();
    }

private:
    // With the lock held: the memory is in use now, and the helper thread is to time its idle
    // release. The thread is detached: it touches only this pool, which is never destroyed.
    void noteUse() {
        m_lastUse = Clock::now();
        m_usedSinceRelease = true;
        if (m_helperRunning)
            return;
        try {
            std::thread([this] { helper(); }).detach();
            m_helperRunning = true;
        } catch (const std::system_error&) {
            // No thread now: nothing is touched ahead, and the spare memory waits for the next use.
        }
    }

    // With the lock held: drops the wishes and waits for a touch under way.
    void stopTouching(std::unique_lock<std::mutex>& lock) {
        m_wanted.clear();
        m_touched.wait(lock, [this] { return !m_touching; });
    }

    void helper() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (!m_wanted.empty()) {
                touchAhead(lock);
                continue;
            }
            if (!m_usedSinceRelease) {
                m_helperRunning = false;
                return;
            }
            const Clock::time_point due = m_lastUse + m_idleDelay;
            if (Clock::now() < due) {
                m_wake.wait_until(lock, due);
                continue;
            }
            std::vector<RasterMemory> dropped;
            m_kept.moveAllTo(dropped);
            m_ahead.moveAllTo(dropped);
            m_usedSinceRelease = false;
            lock.unlock();
            unmap(dropped);
#if defined(__GLIBC__)
            // The heap's share: freed small rasters and the decoders' buffers.
            ::malloc_trim(0);
#endif
            lock.lock();
        }
    }

    // Touches one wanted buffer, the lock released meanwhile. Room is made first, so that the
    // touched memory never exceeds its bound; the buffer is among the touched ones before the
    // touch counts as finished, so that a release waiting for it also drops it.
    void touchAhead(std::unique_lock<std::mutex>& lock) {
        const std::size_t bytes = m_wanted.front();
        m_wanted.pop_front();
        std::vector<RasterMemory> dropped;
        m_ahead.makeRoom(bytes, kTouchedAheadBytes, dropped);
        m_touching = true;
        lock.unlock();
        unmap(dropped);
        void* memory = mapHuge(bytes);
        if (memory)
            touch(memory, bytes);
        lock.lock();
        if (memory)
            m_ahead.add({memory, bytes});
        m_touching = false;
        m_touched.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;    // wishes, and a changed idle delay
    std::condition_variable m_touched; // a touch under way finished
    Buffers m_kept;
    Buffers m_ahead;
    std::deque<std::size_t> m_wanted;
    bool m_touchAhead = true;
    bool m_touching = false;
    bool m_helperRunning = false;
    bool m_usedSinceRelease = false;
    Clock::time_point m_lastUse;
    std::chrono::milliseconds m_idleDelay = kSpareMemoryIdleDelay;
};

// Never destroyed: a raster may be freed, and the helper may run, while the program ends.
Pool& pool() {
    static Pool* p = new Pool;
    return *p;
}

} // namespace

RasterMemory takeRasterMemory(std::size_t bytes) {
    if (bytes == 0 || bytes > SIZE_MAX - kHugePage)
        return {};
    return pool().take(roundedToHugePages(bytes));
}

void giveBackRasterMemory(const RasterMemory& memory) {
    if (memory.pixels)
        pool().giveBack(memory);
}

bool rasterMemoryReady(std::size_t bytes) {
    return bytes > 0 && bytes <= SIZE_MAX - kHugePage && pool().ready(roundedToHugePages(bytes));
}

std::size_t spareRasterBytes() {
    return pool().spareBytes();
}

void releaseSpareRasterMemory() {
    pool().release();
}

void setRasterTouchAhead(bool on) {
    pool().setTouchAhead(on);
}

void setSpareMemoryIdleDelay(std::chrono::milliseconds delay) {
    pool().setIdleDelay(delay);
}

} // namespace tesmaro
