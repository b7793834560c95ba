#include "pictures/RasterImage.h"

#include <sys/mman.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace tesmaro {
namespace {

// Below this a picture comes from the ordinary heap, which recycles it well.
constexpr std::size_t kLargeBytes = std::size_t{4} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Freed large buffers kept for the next picture of their size, at most this much in all.
constexpr std::size_t kKeptBytes = std::size_t{256} << 20;
// Buffers touched ahead of need: pictures up to about 4K only (a larger one takes long enough to
// decode or draw that its first touch matters less than the memory it would keep), at most this
// much in all.
constexpr std::size_t kWarmLargest = std::size_t{48} << 20;
constexpr std::size_t kWarmBytes = std::size_t{96} << 20;

struct Buffer {
    void* memory;
    std::size_t bytes; // a multiple of kHugePage
};

// Freed buffers kept for reuse. Never destroyed: a picture may be freed while the program ends.
struct KeptBuffers {
    std::mutex mutex;
    std::vector<Buffer> buffers; // most recently freed last
    std::size_t bytes = 0;
};
KeptBuffers& keptBuffers() {
    static KeptBuffers* kept = new KeptBuffers;
    return *kept;
}

// Fresh anonymous memory on a huge-page boundary, advised to be backed by huge pages: touching a
// 2 MiB page the first time costs about what touching one 4 KiB page does.
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

// Fresh memory is slow to touch the first time (on a virtual machine a 4K picture's worth costs
// tens of milliseconds even on huge pages), and an undo step holds on to the pictures a command
// replaced, so the next command of the same size needs fresh memory again. A thread of its own
// touches one buffer of each size just taken, while the program waits for the user, so the
// next picture of that size finds it ready.
class WarmBuffers {
public:
    void* take(std::size_t bytes) {
        const std::lock_guard lock(m_mutex);
        for (auto it = m_ready.begin(); it != m_ready.end(); ++it)
            if (it->bytes == bytes) {
                void* memory = it->memory;
                m_readyBytes -= bytes;
                m_ready.erase(it);
                return memory;
            }
        return nullptr;
    }

    void release() {
        std::unique_lock lock(m_mutex);
        // Wait for a buffer being touched now, then give back what is ready.
        m_wanted.clear();
        m_idle.wait(lock, [this] { return !m_busy; });
        for (const Buffer& b : m_ready)
            ::munmap(b.memory, b.bytes);
        m_ready.clear();
        m_readyBytes = 0;
    }

    bool ready(std::size_t bytes) {
        const std::lock_guard lock(m_mutex);
        return std::any_of(m_ready.begin(), m_ready.end(),
                           [bytes](const Buffer& b) { return b.bytes == bytes; });
    }

    // Asks for a touched buffer of this size to be ready next time.
    void prepare(std::size_t bytes) {
        {
            const std::lock_guard lock(m_mutex);
            // Two of a size: a command may take two pictures of one size (its source and a work
            // picture), and both are then held by its undo step.
            if (bytes > kWarmLargest || std::count(m_wanted.begin(), m_wanted.end(), bytes) >= 2)
                return;
            m_wanted.push_back(bytes);
            if (!m_thread.joinable())
                m_thread = std::thread([this] { run(); });
        }
        m_wake.notify_one();
    }

private:
    void run() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return !m_wanted.empty(); });
            const std::size_t bytes = m_wanted.front();
            m_wanted.pop_front();
            m_busy = true;
            // Room for it: the oldest ready buffers of other sizes go first.
            while (!m_ready.empty() && m_readyBytes + bytes > kWarmBytes) {
                ::munmap(m_ready.front().memory, m_ready.front().bytes);
                m_readyBytes -= m_ready.front().bytes;
                m_ready.erase(m_ready.begin());
            }
            lock.unlock();
            void* memory = mapHuge(bytes);
            if (memory && ::madvise(memory, bytes, MADV_POPULATE_WRITE) != 0)
                std::memset(memory, 0, bytes); // an older kernel: touch it by hand
            lock.lock();
            if (memory) {
                m_ready.push_back(Buffer{memory, bytes});
                m_readyBytes += bytes;
            }
            m_busy = false;
            m_idle.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    bool m_busy = false;
    std::deque<std::size_t> m_wanted;
    std::vector<Buffer> m_ready;
    std::size_t m_readyBytes = 0;
    std::thread m_thread;
};

WarmBuffers& warmBuffers() {
    // Never destroyed either: its thread may still be touching memory as the program ends.
    static WarmBuffers* buffers = new WarmBuffers;
    return *buffers;
}

void* takeBuffer(std::size_t bytes) {
    {
        KeptBuffers& kept = keptBuffers();
        const std::lock_guard lock(kept.mutex);
        for (auto it = kept.buffers.rbegin(); it != kept.buffers.rend(); ++it)
            if (it->bytes == bytes) {
                void* memory = it->memory;
                kept.bytes -= it->bytes;
                kept.buffers.erase(std::next(it).base());
                return memory;
            }
    }
    WarmBuffers& warm = warmBuffers();
    void* memory = warm.take(bytes);
    warm.prepare(bytes);
    return memory ? memory : mapHuge(bytes);
}

void giveBack(void* info) {
    auto* buffer = static_cast<Buffer*>(info);
    std::vector<Buffer> dropped;
    {
        KeptBuffers& kept = keptBuffers();
        const std::lock_guard lock(kept.mutex);
        kept.buffers.push_back(*buffer);
        kept.bytes += buffer->bytes;
        while (kept.bytes > kKeptBytes) {
            dropped.push_back(kept.buffers.front());
            kept.bytes -= kept.buffers.front().bytes;
            kept.buffers.erase(kept.buffers.begin());
        }
    }
    delete buffer;
    for (const Buffer& b : dropped)
        ::munmap(b.memory, b.bytes);
}

} // namespace

QImage newRaster(int width, int height) {
    if (width <= 0 || height <= 0)
        return {};
    const std::size_t rowBytes = std::size_t(width) * 4;
    const std::size_t bytes = rowBytes * std::size_t(height);
    if (bytes < kLargeBytes)
        return QImage(width, height, QImage::Format_RGB32);
    const std::size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    void* memory = takeBuffer(rounded);
    if (!memory)
        return {};
    auto* buffer = new Buffer{memory, rounded};
    return QImage(static_cast<uchar*>(memory), width, height, static_cast<qsizetype>(rowBytes),
                  QImage::Format_RGB32, giveBack, buffer);
}

bool rasterMemoryReady(int width, int height) {
    const std::size_t bytes = std::size_t(width) * 4 * std::size_t(height);
    const std::size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    {
        KeptBuffers& kept = keptBuffers();
        const std::lock_guard lock(kept.mutex);
        if (std::any_of(kept.buffers.begin(), kept.buffers.end(),
                        [rounded](const Buffer& b) { return b.bytes == rounded; }))
            return true;
    }
    return warmBuffers().ready(rounded);
}

void releaseSpareRasterMemory() {
    warmBuffers().release();
    std::vector<Buffer> kept;
    {
        KeptBuffers& all = keptBuffers();
        const std::lock_guard lock(all.mutex);
        kept.swap(all.buffers);
        all.bytes = 0;
    }
    for (const Buffer& b : kept)
        ::munmap(b.memory, b.bytes);
}

void detachRaster(QImage& picture) {
    if (picture.isNull() || picture.isDetached() || picture.format() != QImage::Format_RGB32)
        return;
    QImage own = newRaster(picture.width(), picture.height());
    if (own.isNull())
        return; // Qt's own copy on write then tries the heap
    const std::size_t rowBytes = std::size_t(picture.width()) * 4;
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(own.scanLine(y), picture.constScanLine(y), rowBytes);
    own.setDevicePixelRatio(picture.devicePixelRatio());
    picture = own;
}

} // namespace tesmaro
