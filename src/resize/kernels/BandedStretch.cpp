#include "resize/kernels/BandedStretch.h"

#include "core/Stretch.h"
#include "resize/kernels/ParallelRows.h"

#include <algorithm>

namespace tesmaro::resize {
namespace {

// Bands thinner than this cost more in start-up than they save.
constexpr int kMinBandRows = 64;

} // namespace

void stretchInBands(const RasterView& dst, const PixelRect& dstRect, const ConstRasterView& src,
                    const PixelRect& srcRect, std::int32_t rasterCode, int threads) {
    if (dst.empty())
        return;
    const RectF from{static_cast<double>(srcRect.x), static_cast<double>(srcRect.y),
                     static_cast<double>(srcRect.width), static_cast<double>(srcRect.height)};
    const int bands = std::clamp(std::min(threads, dst.height / kMinBandRows), 1, dst.height);
    runRows(bands, bands,
            [&](int band, int) {
                const int first = static_cast<int>(static_cast<long long>(dst.height) * band / bands);
                const int last = static_cast<int>(static_cast<long long>(dst.height) * (band + 1) / bands);
                const RasterView part{dst.row(first), dst.width, last - first, dst.stride};
                const RectF to{static_cast<double>(dstRect.x), static_cast<double>(dstRect.y) - first,
                               static_cast<double>(dstRect.width), static_cast<double>(dstRect.height)};
                stretchBlit(part, to, src, from, rasterCode);
                return true;
            },
            {});
}

} // namespace tesmaro::resize
