#include "core/BmpCodec.h"

#include "core/BmpRows.h"
#include "core/PictureLimits.h"

#include <algorithm>
#include <vector>

namespace tesmaro {
namespace {

// Rows are moved through a buffer of about this size: large enough that a write is one system
// call per few hundred KiB, small enough to stay in the processor's cache.
constexpr std::int64_t kChunkBytes = 256 * 1024;
constexpr int kInfoHeaderBytes = 40;

void putLe16(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
void putLe32(std::uint8_t* p, std::uint32_t v) {
    putLe16(p, v);
    putLe16(p + 2, v >> 16);
}

// Whole rows per chunk, at least one.
std::int64_t rowsPerChunk(std::int64_t rowBytes) {
    return std::max<std::int64_t>(1, kChunkBytes / rowBytes);
}

} // namespace

std::int64_t bmpRowBytes(int width, int bitsPerPixel) {
    return (std::int64_t(width) * bitsPerPixel + 31) / 32 * 4;
}

bool encodeBmp24(const ConstRasterView& picture, const BmpByteSink& write) {
    if (picture.empty() || picture.width > kMaxPictureSide || picture.height > kMaxPictureSide)
        return false;
    const std::int64_t rowBytes = bmpRowBytes(picture.width, 24);
    const std::int64_t imageBytes = rowBytes * picture.height;
    const std::int64_t chunkRows = rowsPerChunk(rowBytes);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(kBmpHeadBytes + chunkRows * rowBytes));

    std::uint8_t* h = buffer.data();
    constexpr std::uint32_t kPixelsPerMetreAt96Dpi = 3780;
    h[0] = 'B';
    h[1] = 'M';
    putLe32(h + 2, static_cast<std::uint32_t>(kBmpHeadBytes + imageBytes));
    putLe32(h + 6, 0);
    putLe32(h + 10, kBmpHeadBytes);
    putLe32(h + 14, kInfoHeaderBytes);
    putLe32(h + 18, static_cast<std::uint32_t>(picture.width));
    putLe32(h + 22, static_cast<std::uint32_t>(picture.height)); // positive: bottom-up
    putLe16(h + 26, 1);
    putLe16(h + 28, 24);
    putLe32(h + 30, 0); // no compression
    putLe32(h + 34, static_cast<std::uint32_t>(imageBytes));
    putLe32(h + 38, kPixelsPerMetreAt96Dpi);
    putLe32(h + 42, kPixelsPerMetreAt96Dpi);
    putLe32(h + 46, 0);
    putLe32(h + 50, 0);

    std::size_t used = kBmpHeadBytes;
    for (int y = picture.height - 1; y >= 0; --y) {
        packBgr24Row(picture.row(y), picture.width, buffer.data() + used, rowBytes);
        used += static_cast<std::size_t>(rowBytes);
        if (used + static_cast<std::size_t>(rowBytes) > buffer.size() || y == 0) {
            if (!write(buffer.data(), used))
                return false;
            used = 0;
        }
    }
    return true;
}

} // namespace tesmaro
