// The header probes on any bytes: never a read outside the input, the same answer whether the
// source hands out the whole file or a few bytes per call, and sizes that agree with each other.
#include "core/PictureLimits.h"
#include "core/PictureProbe.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

using namespace tesmaro;

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

// Hands out at most 7 bytes per call, so every window refill and skip of the probes is used.
class DribblingBytes final : public ByteSource {
public:
    DribblingBytes(const std::uint8_t* data, std::size_t size) : m_bytes(data, size) {}
    std::int64_t size() override { return m_bytes.size(); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* buffer, std::int64_t count) override {
        return m_bytes.readAt(offset, buffer, std::min<std::int64_t>(count, 7));
    }

private:
    MemoryBytes m_bytes;
};

bool same(const PictureHeader& a, const PictureHeader& b) {
    return a.format == b.format && a.sizeKnown == b.sizeKnown && a.width == b.width && a.height == b.height &&
           a.largestSide == b.largestSide && a.largestPixels == b.largestPixels && a.images == b.images &&
           a.progressive == b.progressive && a.components == b.components && a.multiScan == b.multiScan &&
           a.firstImageColours == b.firstImageColours && a.bitsPerChannel == b.bitsPerChannel &&
           a.largestBuffer == b.largestBuffer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryBytes whole(data, size);
    DribblingBytes dribble(data, size);
    const PictureHeader h = probePicture(whole);
    require(same(h, probePicture(dribble)));
    const PictureCheck check = checkPicture(h);
    require((h.format == PictureFormat::Unknown) == (check == PictureCheck::NotAPicture));
    if (check == PictureCheck::Accepted) {
        require(h.width > 0 && h.height > 0);
        require(h.largestSide >= std::max(h.width, h.height));
        require(h.largestPixels >= h.width * h.height);
        require(pictureSizeAllowed(h.width, h.height));
        require(h.largestBuffer >= 4 * h.width * h.height && h.largestBuffer <= kMaxPictureBytes);
    }
    require(*pictureFormatName(h.format) != '\0' || h.format == PictureFormat::Unknown);
    return 0;
}
