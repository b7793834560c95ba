#include "core/PictureProbe.h"

#include "core/PictureLimits.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

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

std::uint32_t crc32(const std::uint8_t* bytes, std::size_t count, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

// A 16-bit truecolour picture's key, as the decoder takes it: the first tRNS chunk before the
// image data that is 6 bytes long and intact (it skips the others with a warning).
void readColourKey(ByteSource& file, const PngChunk& chunk, PictureHeader& h) {
    std::uint8_t b[4 + 6 + 4];
    if (h.colourKey16 || chunk.length != 6 || !readFully(file, chunk.offset + 4, b, sizeof b) ||
        crc32(b, 4 + 6) != be32(b + 10))
        return;
    for (int c = 0; c < 3; ++c)
        h.colourKey[c] = static_cast<std::uint16_t>(be16(b + 4 + 2 * c));
    h.colourKey16 = true;
}

void probePng(ByteSource& file, PictureHeader& h) {
    std::int64_t width, height;
    int depth = 0;
    std::uint8_t ihdr[13];
    if (!pngSize(file, 0, width, height, &depth) || !readFully(file, 16, ihdr, sizeof ihdr))
        return;
    const bool truecolour16 = ihdr[8] == 16 && ihdr[9] == 2;
    bool imageData = false;
    const bool whole = walkPngChunks(file, [&](const PngChunk& chunk) {
        imageData = imageData || chunk.is("IDAT");
        if (truecolour16 && !imageData && chunk.is("tRNS"))
            readColourKey(file, chunk, h);
        return true;
    });
    if (!whole)
        return;
    setPicture(h, width, height, pngBytesPerPixel(depth));
    h.bitsPerChannel = depth;
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

// The orientation tag (0x0112) of the first directory of TIFF-structured EXIF data: 1 to 8, or 1
// when there is none or it holds another value.
int exifOrientation(const std::uint8_t* tiff, std::size_t size) {
    if (size < 8 || tiff[0] != tiff[1] || (tiff[0] != 'I' && tiff[0] != 'M'))
        return 1;
    const bool little = tiff[0] == 'I';
    const auto u16 = [&](std::size_t at) { return little ? le16(tiff + at) : be16(tiff + at); };
    const auto u32 = [&](std::size_t at) { return little ? le32(tiff + at) : be32(tiff + at); };
    const std::size_t directory = u32(4);
    if (u16(2) != 42 || directory > size - 2)
        return 1;
    const std::size_t entries = u16(directory);
    for (std::size_t i = 0; i < entries && directory + 2 + 12 * (i + 1) <= size; ++i) {
        const std::size_t e = directory + 2 + 12 * i;
        if (u16(e) != 0x0112)
            continue;
        const std::uint32_t type = u16(e + 2), value = type == 3 ? u16(e + 8) : type == 4 ? u32(e + 8) : 0;
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

// An APP1 segment of `length` bytes after its marker: the orientation of its EXIF data, if it is
// the first "Exif" segment. Reads the whole segment.
bool readExif(ByteCursor& in, int length, PictureHeader& h, bool& exifSeen) {
    static constexpr std::uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    std::uint8_t head[6];
    if (exifSeen || length - 2 < 6)
        return in.skip(std::max(0, length - 2));
    if (!in.read(head, sizeof head))
        return false;
    if (std::memcmp(head, kExif, sizeof kExif) != 0)
        return in.skip(length - 2 - 6);
    exifSeen = true;
    std::vector<std::uint8_t> tiff(static_cast<std::size_t>(length - 2 - 6));
    if (!in.read(tiff.data(), static_cast<int>(tiff.size())))
        return false;
    h.orientation = exifOrientation(tiff.data(), tiff.size());
    return true;
}

// Walks the markers from after SOI to the first frame header as libjpeg does: bytes that are not
// a marker are skipped (FF 00 among them), segments whose length field is below 2 that libjpeg
// skips (APPn, COM, DNL) skip nothing, a scan or the end before any frame header leaves no size.
// After the frame header, on to the first scan header, which tells whether the scans are
// interleaved. The first EXIF segment on the way gives the orientation.
void probeJpeg(ByteSource& file, PictureHeader& h) {
    ByteCursor in(file, 2, file.size());
    bool frameSeen = false, exifSeen = false;
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
        if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // a stuffed FF in stray bytes, or a marker without length
        if (marker == 0xD9 || (marker == 0xDA && !frameSeen))
            return frameSeen ? finish(true) : void(); // end of image, or a scan before any frame
        const int hi = in.next(), lo = hi < 0 ? -1 : in.next();
        if (lo < 0)
            return frameSeen ? finish(true) : void();
        const int length = hi << 8 | lo;
        const bool skippedByLength = (marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE || marker == 0xDC;
        if (length < 2 && skippedByLength)
            continue;
        if (length < 2)
            return frameSeen ? finish(true) : void();
        if (marker == 0xDA) {
            const int scanComponents = in.next();
            return finish(h.progressive || scanComponents < 0 || scanComponents < h.components);
        }
        if (marker == 0xE1) {
            if (!readExif(in, length, h, exifSeen))
                return frameSeen ? finish(true) : void();
            continue;
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

// The logical screen and the first image, which is all a decoder shows; blocks after it are
// never read.
void probeGif(ByteSource& file, PictureHeader& h) {
    ByteCursor in(file, 6, file.size());
    std::uint8_t screen[7];
    if (!in.read(screen, sizeof screen) || !skipColourTable(in, screen[4]))
        return;
    const std::int64_t screenWidth = le16(screen), screenHeight = le16(screen + 2);
    for (;;) {
        const int block = in.next();
        if (block == 0x21) {
            if (in.next() < 0 || !skipSubBlocks(in))
                return;
            continue;
        }
        if (block != 0x2C)
            return; // the trailer (3B), the end of the file, or damage before any image
        std::uint8_t d[9];
        if (!in.read(d, sizeof d))
            return;
        const std::int64_t right = le16(d) + std::int64_t{le16(d + 4)};
        const std::int64_t bottom = le16(d + 2) + std::int64_t{le16(d + 6)};
        h.firstImageColours = (d[8] & 0x80) != 0;
        h.images = 1;
        h.sizeKnown = true;
        const bool screenEmpty = screenWidth == 0 || screenHeight == 0;
        h.width = screenEmpty ? right : screenWidth;
        h.height = screenEmpty ? bottom : screenHeight;
        addRaster(h, std::max(screenWidth, right), std::max(screenHeight, bottom));
        return;
    }
}

// One entry's image: an embedded PNG, else a DIB whose height counts the mask rows too.
void iconImageSize(ByteSource& file, IconEntry& entry) {
    int depth = 0;
    std::int64_t width = 0, height = 0;
    if (pngSize(file, entry.offset, width, height, &depth)) {
        entry.png = true;
        entry.bytesPerPixel = pngBytesPerPixel(depth);
        entry.width = width;
        entry.height = height;
        return;
    }
    std::uint8_t b[12];
    width = height = 0;
    if (!readFully(file, entry.offset, b, sizeof b))
        return;
    const std::uint32_t headerBytes = le32(b);
    if (headerBytes == 12) {
        width = le16(b + 4);
        height = le16(b + 6) / 2;
    } else if (headerBytes >= 16 && headerBytes <= 124) {
        width = static_cast<std::int32_t>(le32(b + 4));
        const std::int64_t rows = static_cast<std::int32_t>(le32(b + 8));
        height = (rows < 0 ? -rows : rows) / 2;
    }
    if (width > 0 && height > 0) {
        entry.width = width;
        entry.height = height;
    }
}

// Entry `index` of a directory known to hold it.
bool readEntry(ByteSource& file, std::int64_t index, IconEntry& entry) {
    std::uint8_t e[16];
    if (!readFully(file, 6 + 16 * index, e, sizeof e))
        return false;
    entry = IconEntry{};
    entry.listedWidth = e[0] == 0 ? 256 : e[0];
    entry.listedHeight = e[1] == 0 ? 256 : e[1];
    entry.offset = le32(e + 12);
    iconImageSize(file, entry);
    return true;
}

void probeIco(ByteSource& file, std::int64_t count, PictureHeader& h) {
    if (6 + 16 * count > file.size())
        return; // the directory is cut off
    for (std::int64_t i = 0; i < count; ++i) {
        IconEntry e;
        if (!readEntry(file, i, e))
            return;
        addRaster(h, e.listedWidth, e.listedHeight);
        const bool readable = e.width > 0;
        if (readable)
            addRaster(h, e.width, e.height, e.bytesPerPixel);
        if (i == 0) {
            if (!readable)
                return; // the first entry has no readable image
            h.width = e.width;
            h.height = e.height;
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

bool walkPngChunks(ByteSource& file, const std::function<bool(const PngChunk&)>& visit) {
    ByteCursor in(file, 8, file.size());
    for (;;) {
        PngChunk chunk;
        chunk.offset = in.position();
        std::uint8_t head[8];
        if (!in.read(head, sizeof head))
            return false;
        chunk.length = be32(head);
        std::memcpy(chunk.type, head + 4, 4);
        if (chunk.length > in.end() - chunk.offset - 12)
            return false;
        if (!visit(chunk) || chunk.is("IEND"))
            return true;
        if (!in.skip(chunk.offset + 12 + chunk.length - in.position()))
            return false;
    }
}

bool readIconEntry(ByteSource& file, std::int64_t index, IconEntry& entry) {
    std::uint8_t head[6];
    return index >= 0 && readFully(file, 0, head, sizeof head) && index < le16(head + 4) &&
           readEntry(file, index, entry);
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
