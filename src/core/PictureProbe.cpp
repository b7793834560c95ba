#include "core/PictureProbe.h"

#include "core/PictureLimits.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tesmaro {
namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// count * each, or the largest value when that does not fit (sizes come from hostile headers).
std::int64_t saturatedProduct(std::int64_t count, std::int64_t each) {
    if (count <= 0 || each <= 0)
        return 0;
    return count > std::numeric_limits<std::int64_t>::max() / each ? std::numeric_limits<std::int64_t>::max()
                                                                   : count * each;
}

void addBuffer(PictureHeader& h, std::int64_t bytes) {
    h.largestBuffer = std::max(h.largestBuffer, bytes);
}

// A raster a decoder sets up, at bytesPerPixel (4 unless it keeps wider channels).
void addRaster(PictureHeader& h, std::int64_t width, std::int64_t height, int bytesPerPixel = 4) {
    h.largestSide = std::max({h.largestSide, width, height});
    h.largestPixels = std::max(h.largestPixels, width * height);
    addBuffer(h, saturatedProduct(width * height, bytesPerPixel));
}

void setPicture(PictureHeader& h, std::int64_t width, std::int64_t height, int bytesPerPixel = 4) {
    h.width = width;
    h.height = height;
    h.sizeKnown = true;
    addRaster(h, width, height, bytesPerPixel);
}

// Qt's PNG decoder keeps 16-bit channels: 8 bytes a pixel with alpha or colour.
int pngBytesPerPixel(int depth) {
    return depth == 16 ? 8 : 4;
}

// Width and rows of a BMP from its file header and the start of its info header.
void probeBmp(ByteSource& file, PictureHeader& h) {
    std::uint8_t b[26];
    if (!readFully(file, 0, b, sizeof b))
        return;
    const std::uint32_t headerBytes = le32(b + 14);
    std::int64_t width, height;
    if (headerBytes == 12) {
        width = le16(b + 18);
        height = le16(b + 20);
    } else if (headerBytes >= 16 && headerBytes <= 124) {
        width = static_cast<std::int32_t>(le32(b + 18));
        height = static_cast<std::int32_t>(le32(b + 22));
        height = height < 0 ? -height : height;
    } else {
        return;
    }
    if (width > 0 && height > 0)
        setPicture(h, width, height);
}

// Size of the PNG whose signature is at `offset`: the first chunk must be a 13-byte IHDR.
bool pngSize(ByteSource& file, std::int64_t offset, std::int64_t& width, std::int64_t& height, int* depth) {
    std::uint8_t b[8 + 8 + 13];
    if (!readFully(file, offset, b, sizeof b) || std::memcmp(b, kPngSignature, 8) != 0)
        return false;
    if (be32(b + 8) != 13 || std::memcmp(b + 12, "IHDR", 4) != 0)
        return false;
    width = be32(b + 16);
    height = be32(b + 20);
    if (depth)
        *depth = b[24];
    // The format allows at most 2^31 - 1 either way.
    return width > 0 && height > 0 && width <= 0x7FFFFFFF && height <= 0x7FFFFFFF;
}

void probePng(ByteSource& file, PictureHeader& h) {
    std::int64_t width, height;
    int depth = 0;
    if (pngSize(file, 0, width, height, &depth)) {
        setPicture(h, width, height, pngBytesPerPixel(depth));
        h.bitsPerChannel = depth;
    }
}

bool isFrameHeader(int marker) {
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Bytes of the coefficients a multi-scan decoder keeps: for each component its blocks of 64
// two-byte coefficients, as many as its sampling factors give, rounded up to whole sampling units.
// `specs` holds the frame header's three bytes per component (id, sampling, table).
std::int64_t coefficientBytes(std::int64_t width, std::int64_t height, const std::uint8_t* specs,
                              int components) {
    int maxH = 1, maxV = 1;
    for (int c = 0; c < components; ++c) {
        maxH = std::max(maxH, specs[3 * c + 1] >> 4);
        maxV = std::max(maxV, specs[3 * c + 1] & 15);
    }
    const auto divUp = [](std::int64_t a, std::int64_t b) { return (a + b - 1) / b; };
    std::int64_t bytes = 0;
    for (int c = 0; c < components; ++c) {
        // A factor of 0 makes decoders refuse the file; count it as 1 here.
        const int hs = std::max(1, specs[3 * c + 1] >> 4), vs = std::max(1, specs[3 * c + 1] & 15);
        const std::int64_t blocksWide = divUp(divUp(width * hs, maxH), 8);
        const std::int64_t blocksHigh = divUp(divUp(height * vs, maxV), 8);
        bytes += divUp(blocksWide, hs) * hs * divUp(blocksHigh, vs) * vs * 64 * 2;
    }
    return bytes;
}

// Walks the markers from after SOI to the first frame header, as a decoder does: bytes that
// are not a marker are skipped, a scan or the end before any frame header leaves no size. After
// the frame header, on to the first scan header, which tells whether the scans are interleaved.
void probeJpeg(ByteSource& file, PictureHeader& h) {
    ByteCursor in(file, 2, file.size());
    bool frameSeen = false;
    std::int64_t coefficients = 0;
    const auto finish = [&](bool multiScan) {
        h.multiScan = multiScan;
        if (multiScan)
            addBuffer(h, coefficients);
    };
    for (;;) {
        int c = in.next();
        while (c >= 0 && c != 0xFF)
            c = in.next();
        while (c == 0xFF) // fill bytes
            c = in.next();
        if (c < 0)
            return frameSeen ? finish(true) : void();
        const int marker = c;
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no length follows
        if (marker == 0xD9 || marker == 0x00 || (marker == 0xDA && !frameSeen))
            return frameSeen ? finish(true) : void(); // end of image, or a scan before any frame
        const int hi = in.next(), lo = hi < 0 ? -1 : in.next();
        if (lo < 0 || (hi << 8 | lo) < 2)
            return frameSeen ? finish(true) : void();
        const int length = hi << 8 | lo;
        if (marker == 0xDA) {
            const int scanComponents = in.next();
            return finish(h.progressive || scanComponents < 0 || scanComponents < h.components);
        }
        if (!isFrameHeader(marker) || frameSeen) {
            if (!in.skip(length - 2))
                return frameSeen ? finish(true) : void();
            continue;
        }
        std::uint8_t f[6];
        if (!in.read(f, sizeof f))
            return;
        h.bitsPerChannel = f[0];
        h.components = f[5];
        h.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        const std::int64_t height = be16(f + 1), width = be16(f + 3);
        if (width <= 0 || height <= 0) // a height of 0 is given later (DNL): no decoder takes that
            return;
        setPicture(h, width, height);
        frameSeen = true;
        std::uint8_t specs[3 * 255];
        const int components = h.components;
        if (!in.read(specs, 3 * components))
            std::fill_n(specs, 3 * components, std::uint8_t{0x11}); // cut off: every component whole
        coefficients = coefficientBytes(width, height, specs, components);
        if (!in.skip(length - 2 - 6 - 3 * std::int64_t{components}))
            return finish(true);
    }
}

// Skips data sub-blocks up to and including the terminator; false when the file ends first.
bool skipSubBlocks(ByteCursor& in) {
    for (;;) {
        const int length = in.next();
        if (length < 0)
            return false;
        if (length == 0)
            return true;
        if (!in.skip(length))
            return false;
    }
}

bool skipColourTable(ByteCursor& in, int flags) {
    return (flags & 0x80) == 0 || in.skip(3 * (std::int64_t{2} << (flags & 7)));
}

void probeGif(ByteSource& file, PictureHeader& h) {
    ByteCursor in(file, 6, file.size());
    std::uint8_t screen[7];
    if (!in.read(screen, sizeof screen))
        return;
    const std::int64_t screenWidth = le16(screen), screenHeight = le16(screen + 2);
    std::int64_t canvasWidth = screenWidth, canvasHeight = screenHeight;
    std::int64_t firstWidth = 0, firstHeight = 0;
    bool more = skipColourTable(in, screen[4]);
    while (more) {
        const int block = in.next();
        if (block == 0x2C) {
            std::uint8_t d[9];
            if (!in.read(d, sizeof d))
                break;
            const std::int64_t right = le16(d) + std::int64_t{le16(d + 4)};
            const std::int64_t bottom = le16(d + 2) + std::int64_t{le16(d + 6)};
            if (h.images == 0) {
                firstWidth = right;
                firstHeight = bottom;
                h.firstImageColours = (d[8] & 0x80) != 0;
            }
            ++h.images;
            canvasWidth = std::max(canvasWidth, right);
            canvasHeight = std::max(canvasHeight, bottom);
            more = skipColourTable(in, d[8]) && in.next() >= 0 && skipSubBlocks(in);
        } else if (block == 0x21) {
            more = in.next() >= 0 && skipSubBlocks(in);
        } else {
            break; // the trailer (3B), the end of the file, or damage: decoders stop here too
        }
    }
    if (h.images == 0)
        return;
    h.sizeKnown = true;
    const bool screenEmpty = screenWidth == 0 || screenHeight == 0;
    h.width = screenEmpty ? firstWidth : screenWidth;
    h.height = screenEmpty ? firstHeight : screenHeight;
    addRaster(h, canvasWidth, canvasHeight);
}

// One entry's image: an embedded PNG, else a DIB whose height counts the mask rows too.
// bytesPerPixel: what its decoder keeps a pixel.
bool iconEntrySize(ByteSource& file, std::int64_t offset, std::int64_t& width, std::int64_t& height,
                   int& bytesPerPixel) {
    int depth = 0;
    bytesPerPixel = 4;
    if (pngSize(file, offset, width, height, &depth)) {
        bytesPerPixel = pngBytesPerPixel(depth);
        return true;
    }
    std::uint8_t b[12];
    if (!readFully(file, offset, b, sizeof b))
        return false;
    const std::uint32_t headerBytes = le32(b);
    if (headerBytes == 12) {
        width = le16(b + 4);
        height = le16(b + 6) / 2;
    } else if (headerBytes >= 16 && headerBytes <= 124) {
        width = static_cast<std::int32_t>(le32(b + 4));
        const std::int64_t rows = static_cast<std::int32_t>(le32(b + 8));
        height = (rows < 0 ? -rows : rows) / 2;
    } else {
        return false;
    }
    return width > 0 && height > 0;
}

void probeIco(ByteSource& file, std::int64_t count, PictureHeader& h) {
    const std::int64_t size = file.size();
    if (6 + 16 * count > size)
        return; // the directory is cut off
    ByteCursor directory(file, 6, 6 + 16 * count);
    for (std::int64_t i = 0; i < count; ++i) {
        std::uint8_t e[16];
        if (!directory.read(e, sizeof e))
            return;
        const std::int64_t listedWidth = e[0] == 0 ? 256 : e[0], listedHeight = e[1] == 0 ? 256 : e[1];
        addRaster(h, listedWidth, listedHeight);
        std::int64_t width = 0, height = 0;
        int bytesPerPixel = 4;
        const bool embedded = iconEntrySize(file, le32(e + 12), width, height, bytesPerPixel);
        if (embedded)
            addRaster(h, width, height, bytesPerPixel);
        if (i == 0) {
            if (!embedded)
                return; // the first entry has no readable image
            h.width = width;
            h.height = height;
        }
        ++h.images;
    }
    h.sizeKnown = true;
}

} // namespace

PictureHeader probePicture(ByteSource& file) {
    PictureHeader h;
    std::uint8_t head[8] = {};
    const std::int64_t size = file.size();
    const std::int64_t got = std::min<std::int64_t>(size, sizeof head);
    if (got <= 0 || !readFully(file, 0, head, got))
        return h;
    if (got >= 2 && head[0] == 'B' && head[1] == 'M') {
        h.format = PictureFormat::Bmp;
        h.images = 1;
        probeBmp(file, h);
    } else if (got >= 6 && (std::memcmp(head, "GIF87a", 6) == 0 || std::memcmp(head, "GIF89a", 6) == 0)) {
        h.format = PictureFormat::Gif;
        probeGif(file, h);
    } else if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) {
        h.format = PictureFormat::Jpeg;
        h.images = 1;
        probeJpeg(file, h);
    } else if (got == 8 && std::memcmp(head, kPngSignature, 8) == 0) {
        h.format = PictureFormat::Png;
        h.images = 1;
        probePng(file, h);
    } else if (got >= 6 && head[0] == 0 && head[1] == 0 && (head[2] == 1 || head[2] == 2) && head[3] == 0 &&
               le16(head + 4) > 0) {
        h.format = PictureFormat::Ico;
        probeIco(file, le16(head + 4), h);
    }
    return h;
}

PictureCheck checkPicture(const PictureHeader& h) {
    if (h.format == PictureFormat::Unknown)
        return PictureCheck::NotAPicture;
    if (!h.sizeKnown || h.width <= 0 || h.height <= 0)
        return PictureCheck::Damaged;
    if (h.largestSide > kMaxPictureSide || h.largestPixels > kMaxPicturePixels ||
        h.largestBuffer > kMaxPictureBytes)
        return PictureCheck::TooLarge;
    return PictureCheck::Accepted;
}

const char* pictureFormatName(PictureFormat format) {
    switch (format) {
    case PictureFormat::Bmp:
        return "bmp";
    case PictureFormat::Gif:
        return "gif";
    case PictureFormat::Ico:
        return "ico";
    case PictureFormat::Jpeg:
        return "jpeg";
    case PictureFormat::Png:
        return "png";
    case PictureFormat::Unknown:
        break;
    }
    return "";
}

} // namespace tesmaro
