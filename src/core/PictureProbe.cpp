#include "core/PictureProbe.h"

#include "core/PictureLimits.h"

#include <algorithm>
#include <cstring>

namespace tesmaro {
namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void addRaster(PictureHeader& h, std::int64_t width, std::int64_t height) {
    h.largestSide = std::max({h.largestSide, width, height});
    h.largestPixels = std::max(h.largestPixels, width * height);
}

void setPicture(PictureHeader& h, std::int64_t width, std::int64_t height) {
    h.width = width;
    h.height = height;
    h.sizeKnown = true;
    addRaster(h, width, height);
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
        setPicture(h, width, height);
        h.bitsPerChannel = depth;
    }
}

bool isFrameHeader(int marker) {
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the markers from after SOI to the first frame header, as a decoder does: bytes that
// are not a marker are skipped, a scan or the end before any frame header leaves no size.
void probeJpeg(ByteSource& file, PictureHeader& h) {
    ByteCursor in(file, 2, file.size());
    for (;;) {
        int c = in.next();
        while (c >= 0 && c != 0xFF)
            c = in.next();
        while (c == 0xFF) // fill bytes
            c = in.next();
        if (c < 0)
            return;
        const int marker = c;
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no length follows
        if (marker == 0xD9 || marker == 0xDA || marker == 0x00)
            return; // end of image or a scan before any frame header; 00 is no marker
        const int hi = in.next(), lo = hi < 0 ? -1 : in.next();
        if (lo < 0)
            return;
        const int length = hi << 8 | lo;
        if (length < 2)
            return;
        if (!isFrameHeader(marker)) {
            if (!in.skip(length - 2))
                return;
            continue;
        }
        std::uint8_t f[6];
        if (!in.read(f, sizeof f))
            return;
        h.bitsPerChannel = f[0];
        h.components = f[5];
        h.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        const std::int64_t height = be16(f + 1), width = be16(f + 3);
        if (width > 0 && height > 0) // a height of 0 is given later (DNL): no decoder takes that
            setPicture(h, width, height);
        return;
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
bool iconEntrySize(ByteSource& file, std::int64_t offset, std::int64_t& width, std::int64_t& height) {
    if (pngSize(file, offset, width, height, nullptr))
        return true;
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
        const bool embedded = iconEntrySize(file, le32(e + 12), width, height);
        if (embedded)
            addRaster(h, width, height);
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
    if (h.largestSide > kMaxPictureSide || h.largestPixels > kMaxPicturePixels)
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
