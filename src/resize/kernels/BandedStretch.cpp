#include "resize/kernels/BandedStretch.h"

#include "core/Stretch.h"
#include "resize/kernels/ParallelRows.h"

namespace tesmaro::resize {
void stretchInBands(const RasterView& dst, const PixelRect& dstRect, const ConstRasterView& src,
                    const PixelRect& srcRect, std::int32_t rasterCode, int threads) {
    if (dst.empty())
        return;
    const RectF from{static_cast<double>(srcRect.x), static_cast<double>(srcRect.y),
                     static_cast<double>(srcRect.width), static_cast<double>(srcRect.height)};
    runInBands(dst.height, threads, [&](int first, int last) {
        const RasterView part{dst.row(first), dst.width, last - first, dst.stride};
        const RectF to{static_cast<double>(dstRect.x), static_cast<double>(dstRect.y) - first,
                       static_cast<double>(dstRect.width), static_cast<double>(dstRect.height)};
        stretchBlit(part, to, src, from, rasterCode);
    });
}

} // namespace tesmaro::resize
