#include "windows/RasterImage.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace tesmaro {
namespace {

// Below this a picture comes from the ordinary heap, which recycles it well.
constexpr std::size_t kLargeBytes = std::size_t{4} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Freed large buffers kept for the next picture of their size, at most this much in all.
constexpr std::size_t kKeptBytes = std::size_t{256} << 20;

struct Buffer {
    void* memory;
    std::size_t bytes; // a multiple of kHugePage
};

std::mutex g_mutex;
std::vector<Buffer> g_kept; // most recently freed last
std::size_t g_keptBytes = 0;

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

void* takeBuffer(std::size_t bytes) {
    {
        const std::lock_guard lock(g_mutex);
        for (auto it = g_kept.rbegin(); it != g_kept.rend(); ++it)
            if (it->bytes == bytes) {
                void* memory = it->memory;
                g_keptBytes -= it->bytes;
                g_kept.erase(std::next(it).base());
                return memory;
            }
    }
    return mapHuge(bytes);
}

void giveBack(void* info) {
    auto* buffer = static_cast<Buffer*>(info);
    std::vector<Buffer> dropped;
    {
        const std::lock_guard lock(g_mutex);
        g_kept.push_back(*buffer);
        g_keptBytes += buffer->bytes;
        while (g_keptBytes > kKeptBytes) {
            dropped.push_back(g_kept.front());
            g_keptBytes -= g_kept.front().bytes;
            g_kept.erase(g_kept.begin());
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
