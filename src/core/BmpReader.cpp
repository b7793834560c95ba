#include "core/BmpReader.h"

#include "core/BmpRows.h"
#include "core/PictureRows.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <vector>

namespace tesmaro {
namespace {

// Rows are read through a buffer of about this size (see BmpCodec.cpp).
constexpr std::int64_t kChunkBytes = 256 * 1024;
constexpr std::uint32_t kOpaqueBlack = kOpaque;
constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFFu;

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitFields = 3, kBiJpeg = 4, kBiPng = 5,
                        kBiAlphaBitFields = 6, kBiCmyk = 11, kBiCmykRle8 = 12, kBiCmykRle4 = 13;
constexpr std::uint32_t kOs2Huffman = 3, kOs2Rle24 = 4;

enum class HeaderKind { Core, Os2, Windows };

enum class Compression { None, Rle8, Rle4, BitFields };

// One run of set bits, or none.
bool contiguous(std::uint32_t mask) {
    if (mask == 0)
        return true;
    const std::uint32_t run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0;
}

struct DibPlace {
    std::int64_t start = 0;        // first byte of the info header
    std::int64_t end = 0;          // end of the bytes that belong to the picture
    std::int64_t pixelOffset = -1; // from the file header; -1: right after the palette
    DibKind kind = DibKind::Packed;
    bool file = false;
};

BmpStatus parseDib(ByteSource& source, const DibPlace& place, BmpHeader& out) {
    std::uint8_t h[124] = {};
    if (!readFully(source, place.start, h, 4))
        return place.start + 4 > place.end ? BmpStatus::Truncated : BmpStatus::ReadError;
    const std::uint32_t headerBytes = le32(h);
    HeaderKind kind;
    if (headerBytes == 12)
        kind = HeaderKind::Core;
    else if (headerBytes == 40 || headerBytes == 52 || headerBytes == 56 || headerBytes == 108 ||
             headerBytes == 124)
        kind = HeaderKind::Windows;
    else if (headerBytes >= 16 && headerBytes <= 64)
        kind = HeaderKind::Os2; // fields past the stated size are 0
    else
        return BmpStatus::NotBmp;
    if (place.start + headerBytes > place.end)
        return BmpStatus::Truncated;
    if (!readFully(source, place.start + 4, h + 4, headerBytes - 4))
        return BmpStatus::ReadError;

    std::int64_t width, height;
    std::uint32_t planes, bits, compression = kBiRgb, coloursUsed = 0;
    if (kind == HeaderKind::Core) {
        width = le16(h + 4);
        height = le16(h + 6);
        planes = le16(h + 8);
        bits = le16(h + 10);
    } else {
        width = static_cast<std::int32_t>(le32(h + 4));
        height = static_cast<std::int32_t>(le32(h + 8));
        planes = le16(h + 12);
        bits = le16(h + 14);
        compression = le32(h + 16);
        coloursUsed = le32(h + 32);
    }
    if (planes != 1 || width <= 0 || height == 0)
        return BmpStatus::Damaged;
    BmpHeader r;
    std::int64_t rows = height;
    if (place.kind == DibKind::IconEntry) {
        if (height < 0)
            return BmpStatus::Damaged;
        rows = height / 2; // colour rows, then as many mask rows
    } else if (height < 0) {
        rows = -height; // int32 minimum included: 2^31 rows fail the size limit below
        r.topDown = true;
    }
    if (rows <= 0)
        return BmpStatus::Damaged;
    if (!pictureSizeAllowed(width, rows))
        return BmpStatus::Oversized;

    Compression comp;
    if (kind == HeaderKind::Os2) {
        if (compression == kOs2Huffman || compression == kOs2Rle24)
            return BmpStatus::Unsupported;
        if (compression > kBiRle4)
            return BmpStatus::Damaged;
    } else if (compression == kBiJpeg || compression == kBiPng || compression == kBiCmyk ||
               compression == kBiCmykRle8 || compression == kBiCmykRle4) {
        return BmpStatus::Unsupported;
    }
    switch (compression) {
    case kBiRgb:
        comp = Compression::None;
        break;
    case kBiRle8:
        comp = Compression::Rle8;
        break;
    case kBiRle4:
        comp = Compression::Rle4;
        break;
    case kBiBitFields:
    case kBiAlphaBitFields:
        comp = Compression::BitFields;
        break;
    default:
        return BmpStatus::Damaged;
    }
    const bool bitsKnown =
        bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (!bitsKnown || (comp == Compression::Rle8 && bits != 8) || (comp == Compression::Rle4 && bits != 4) ||
        (comp == Compression::BitFields && bits != 16 && bits != 32))
        return BmpStatus::Damaged;
    if (place.kind == DibKind::IconEntry && (comp == Compression::Rle8 || comp == Compression::Rle4))
        return BmpStatus::Unsupported; // the mask's place would be unknown

    // Masks: inside the larger headers, after a 40-byte one.
    std::int64_t tableOffset = place.start + headerBytes;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    if (comp == Compression::BitFields) {
        if (headerBytes == 40) {
            const int count = compression == kBiAlphaBitFields ? 4 : 3;
            std::uint8_t m[16];
            if (tableOffset + 4 * count > place.end)
                return BmpStatus::Truncated;
            if (!readFully(source, tableOffset, m, 4 * count))
                return BmpStatus::ReadError;
            for (int i = 0; i < count; ++i)
                masks[i] = le32(m + 4 * i);
            tableOffset += 4 * count;
        } else {
            for (int i = 0; i < 3; ++i)
                masks[i] = le32(h + 40 + 4 * i);
            masks[3] = headerBytes >= 56 ? le32(h + 52) : 0;
        }
        const std::uint64_t inPixel = bits == 32 ? 0xFFFFFFFFull : 0xFFFFull;
        for (std::uint32_t m : masks)
            if (!contiguous(m) || (m & ~inPixel) != 0)
                return BmpStatus::Damaged;
    } else if (bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (bits == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0xFF00;
        masks[2] = 0xFF;
        if (place.kind == DibKind::IconEntry)
            masks[3] = 0xFF000000u;
        else if (kind == HeaderKind::Windows && headerBytes >= 56 && le32(h + 52) == 0xFF000000u)
            masks[3] = 0xFF000000u;
    }

    // The palette: the stated entries, at most 2^bits, and in a file at most those that fit
    // before the pixels.
    const std::int64_t entryBytes = kind == HeaderKind::Core ? 3 : 4;
    const std::int64_t indexRange = bits <= 8 ? std::int64_t{1} << bits : 0;
    const std::int64_t stated = coloursUsed != 0 ? std::int64_t{coloursUsed} : indexRange;
    std::int64_t pixelOffset;
    std::int64_t entries = std::min(stated, indexRange);
    if (place.pixelOffset >= 0) {
        pixelOffset = place.pixelOffset;
        if (pixelOffset < tableOffset)
            return BmpStatus::Damaged; // pixels inside the headers
        entries = std::min(entries, (pixelOffset - tableOffset) / entryBytes);
    } else {
        pixelOffset = tableOffset + stated * entryBytes;
    }
    r.palette.fill(kOpaqueBlack);
    if (entries > 0) {
        std::uint8_t table[256 * 4];
        if (tableOffset + entries * entryBytes > place.end)
            return BmpStatus::Truncated;
        if (!readFully(source, tableOffset, table, entries * entryBytes))
            return BmpStatus::ReadError;
        for (std::int64_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = table + i * entryBytes;
            r.palette[static_cast<std::size_t>(i)] =
                kOpaque | std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0];
        }
    }
    r.paletteSize = static_cast<int>(entries);

    r.width = static_cast<int>(width);
    r.height = static_cast<int>(rows);
    r.bitsPerPixel = static_cast<int>(bits);
    r.redMask = masks[0];
    r.greenMask = masks[1];
    r.blueMask = masks[2];
    r.alphaMask = masks[3];
    r.pixelOffset = pixelOffset;
    r.dataEnd = place.end;
    r.rowBytes = (width * bits + 31) / 32 * 4;
    r.iconMask = place.kind == DibKind::IconEntry;
    if (comp == Compression::Rle8)
        r.pixels = BmpPixels::Rle8;
    else if (comp == Compression::Rle4)
        r.pixels = BmpPixels::Rle4;
    else if (bits <= 8)
        r.pixels = BmpPixels::Indexed;
    else if (bits == 24)
        r.pixels = BmpPixels::Bgr24;
    else if (bits == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF &&
             (masks[3] == 0 || masks[3] == 0xFF000000u))
        r.pixels = BmpPixels::Bgrx32;
    else
        r.pixels = BmpPixels::Masked;

    if (pixelOffset > place.end)
        return BmpStatus::Truncated;
    if (r.pixels != BmpPixels::Rle8 && r.pixels != BmpPixels::Rle4) {
        // Every pixel must be there; only the last row's padding may be missing.
        const std::int64_t lastRow = (width * bits + 7) / 8;
        if (place.end - pixelOffset < r.rowBytes * (rows - 1) + lastRow)
            return BmpStatus::Truncated;
    }
    out = r;
    return BmpStatus::Ok;
}

// Channel value v of `bits` bits to 0..255: v * 255 / max rounded to nearest (255 is odd, so
// there are no ties).
std::uint32_t expandChannel(std::uint64_t v, int bits) {
    if (bits == 0)
        return 0;
    const std::uint64_t max = (std::uint64_t{1} << bits) - 1;
    return static_cast<std::uint32_t>((v * 255 + max / 2) / max);
}

// One masked channel: its bits taken out of a pixel and expanded to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    std::vector<std::uint8_t> table; // for up to 12 bits

    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0)
            return;
        shift = std::countr_zero(m);
        bits = std::popcount(m);
        if (bits <= 12) {
            table.resize(std::size_t{1} << bits);
            for (std::size_t v = 0; v < table.size(); ++v)
                table[v] = static_cast<std::uint8_t>(expandChannel(v, bits));
        }
    }
    std::uint32_t operator()(std::uint32_t pixel) const {
        if (mask == 0)
            return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        return table.empty() ? expandChannel(v, bits) : table[v];
    }
};

// Turns uncompressed rows of the file into raster rows. Pixels with alpha keep it in the top
// byte until the whole picture is known; `alphaSeen` collects every alpha value.
class RowUnpacker {
public:
    explicit RowUnpacker(const BmpHeader& h) : m_h(h) {
        if (h.pixels == BmpPixels::Masked)
            for (std::uint32_t mask : {h.redMask, h.greenMask, h.blueMask, h.alphaMask})
                m_channels.emplace_back(mask);
    }

    void row(const std::uint8_t* src, std::uint32_t* dest) {
        const int width = m_h.width;
        switch (m_h.pixels) {
        case BmpPixels::Bgr24:
            unpackBgr24Row(src, width, dest);
            return;
        case BmpPixels::Bgrx32:
            if (m_h.alphaMask == 0) {
                unpackBgrx32Row(src, width, dest);
            } else {
                copyBgra32Row(src, width, dest);
                collectAlpha(dest);
            }
            return;
        case BmpPixels::Indexed:
            indexed(src, dest);
            return;
        case BmpPixels::Masked:
            masked(src, dest);
            return;
        case BmpPixels::Rle8:
        case BmpPixels::Rle4:
            return;
        }
    }

    bool alphaSeen() const { return m_alphaSeen != 0; }

private:
    void collectAlpha(const std::uint32_t* dest) {
        std::uint32_t any = 0;
        for (int x = 0; x < m_h.width; ++x)
            any |= dest[x];
        m_alphaSeen |= any >> 24;
    }

    void indexed(const std::uint8_t* src, std::uint32_t* dest) const {
        const auto& pal = m_h.palette;
        const int width = m_h.width;
        switch (m_h.bitsPerPixel) {
        case 8:
            for (int x = 0; x < width; ++x)
                dest[x] = pal[src[x]];
            break;
        case 4:
            for (int x = 0; x < width; ++x)
                dest[x] = pal[(src[x >> 1] >> (x & 1 ? 0 : 4)) & 0xF];
            break;
        case 2:
            for (int x = 0; x < width; ++x)
                dest[x] = pal[(src[x >> 2] >> (6 - 2 * (x & 3))) & 0x3];
            break;
        default:
            for (int x = 0; x < width; ++x)
                dest[x] = pal[(src[x >> 3] >> (7 - (x & 7))) & 0x1];
            break;
        }
    }

    void masked(const std::uint8_t* src, std::uint32_t* dest) {
        const Channel &r = m_channels[0], &g = m_channels[1], &b = m_channels[2], &a = m_channels[3];
        const bool alpha = m_h.alphaMask != 0;
        const int bytes = m_h.bitsPerPixel / 8;
        for (int x = 0; x < m_h.width; ++x) {
            const std::uint32_t p = bytes == 2 ? le16(src + 2 * x) : le32(src + 4 * x);
            dest[x] = (alpha ? a(p) : 0xFF) << 24 | r(p) << 16 | g(p) << 8 | b(p);
        }
        if (alpha)
            collectAlpha(dest);
    }

    const BmpHeader& m_h;
    std::vector<Channel> m_channels; // red, green, blue, alpha of masked pixels
    std::uint32_t m_alphaSeen = 0;
};

std::int64_t rowsPerChunk(std::int64_t rowBytes) {
    return std::max<std::int64_t>(1, kChunkBytes / rowBytes);
}

BmpStatus decodeRows(ByteSource& source, const BmpHeader& h, const RasterView& dest, RowUnpacker& unpacker) {
    const std::int64_t lastRow = (std::int64_t(h.width) * h.bitsPerPixel + 7) / 8;
    std::int64_t remaining = h.rowBytes * (h.height - 1) + lastRow;
    const std::int64_t chunkRows = std::min<std::int64_t>(rowsPerChunk(h.rowBytes), h.height);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(chunkRows * h.rowBytes));
    std::int64_t offset = h.pixelOffset;
    for (int fileRow = 0; fileRow < h.height;) {
        const std::int64_t want = std::min(remaining, chunkRows * h.rowBytes);
        if (!readFully(source, offset, buffer.data(), want))
            return BmpStatus::ReadError;
        offset += want;
        remaining -= want;
        const int rowsHere = static_cast<int>(std::min<std::int64_t>(chunkRows, h.height - fileRow));
        for (int i = 0; i < rowsHere; ++i, ++fileRow)
            unpacker.row(buffer.data() + i * h.rowBytes,
                         dest.row(h.topDown ? fileRow : h.height - 1 - fileRow));
    }
    return BmpStatus::Ok;
}

// Run-length data from pixelOffset to dataEnd; see the header for what damage gives.
BmpStatus decodeRle(ByteSource& source, const BmpHeader& h, const RasterView& dest) {
    for (int y = 0; y < h.height; ++y)
        std::fill(dest.row(y), dest.row(y) + h.width, kOpaqueBlack);
    const bool four = h.pixels == BmpPixels::Rle4;
    const auto& pal = h.palette;
    const std::int64_t width = h.width, rows = h.height;
    std::int64_t x = 0, y = 0; // x stops at width: pixels past the row's end are dropped
    std::uint32_t* row = dest.row(h.topDown ? 0 : h.height - 1);
    const auto moveTo = [&](std::int64_t nx, std::int64_t ny) {
        x = std::min(nx, width);
        y = ny;
        if (y < rows)
            row = dest.row(static_cast<int>(h.topDown ? y : rows - 1 - y));
    };
    ByteCursor in(source, h.pixelOffset, h.dataEnd);
    for (;;) {
        const int count = in.next();
        const int second = count < 0 ? -1 : in.next();
        if (second < 0)
            break;
        if (count > 0) {
            // A run: one index (RLE8) or two alternating ones (RLE4).
            const std::int64_t n = std::min<std::int64_t>(count, width - x);
            const std::uint32_t a = pal[four ? second >> 4 : second], b = pal[four ? second & 0xF : second];
            for (std::int64_t i = 0; i < n; ++i)
                row[x + i] = i & 1 ? b : a;
            x += n;
            continue;
        }
        if (second == 0) { // end of line
            moveTo(0, y + 1);
            if (y >= rows)
                return BmpStatus::Ok;
            continue;
        }
        if (second == 1) // end of bitmap
            return BmpStatus::Ok;
        if (second == 2) {
            const int dx = in.next();
            const int dy = dx < 0 ? -1 : in.next();
            if (dy < 0)
                break;
            moveTo(x + dx, y + dy);
            if (y >= rows)
                return BmpStatus::Ok;
            continue;
        }
        // Absolute: `second` indices, in bytes padded to an even count.
        const int bytes = four ? (second + 1) / 2 : second;
        bool cut = false;
        for (int i = 0, pixel = 0; i < bytes; ++i) {
            const int v = in.next();
            if (v < 0) {
                cut = true;
                break;
            }
            const int here = four ? std::min(2, second - pixel) : 1;
            for (int k = 0; k < here; ++k, ++pixel) {
                const int index = four ? (k == 0 ? v >> 4 : v & 0xF) : v;
                if (x < width)
                    row[x++] = pal[index];
            }
        }
        if (cut || ((bytes & 1) && in.next() < 0))
            break;
    }
    if (in.failed())
        return BmpStatus::ReadError;
    // The data ended without an end of bitmap: whole only if it reached the last pixel.
    return y >= rows || (y == rows - 1 && x >= width) ? BmpStatus::Ok : BmpStatus::Truncated;
}

// Puts pixels with alpha on white, or makes them opaque when no pixel had any alpha.
void settleAlpha(const BmpHeader& h, const RasterView& dest, bool alphaSeen) {
    for (int y = 0; y < h.height; ++y) {
        std::uint32_t* row = dest.row(y);
        if (alphaSeen) {
            putRowOnWhite(row, h.width);
            continue;
        }
        for (int x = 0; x < h.width; ++x)
            row[x] |= kOpaque;
    }
}

// The icon's AND mask after the colour rows, bottom-up like them: a set bit makes the pixel
// transparent, so white. Bits the entry cuts off count as clear.
BmpStatus applyIconMask(ByteSource& source, const BmpHeader& h, const RasterView& dest) {
    const std::int64_t maskRowBytes = (std::int64_t(h.width) + 31) / 32 * 4;
    const std::int64_t maskOffset = h.pixelOffset + h.rowBytes * h.height;
    if (maskOffset >= h.dataEnd)
        return BmpStatus::Ok;
    ByteCursor in(source, maskOffset, h.dataEnd);
    const int usedBytes = (h.width + 7) / 8;
    for (int fileRow = 0; fileRow < h.height; ++fileRow) {
        std::uint32_t* row = dest.row(h.height - 1 - fileRow);
        for (int i = 0; i < usedBytes; ++i) {
            const int bits = in.next();
            if (bits < 0)
                return in.failed() ? BmpStatus::ReadError : BmpStatus::Ok;
            for (int k = 0; k < 8 && 8 * i + k < h.width; ++k)
                if (bits & (0x80 >> k))
                    row[8 * i + k] = kOpaqueWhite;
        }
        if (!in.skip(maskRowBytes - usedBytes))
            return BmpStatus::Ok;
    }
    return BmpStatus::Ok;
}

} // namespace

BmpStatus readBmpHeader(ByteSource& file, BmpHeader& header) {
    std::uint8_t head[14];
    const std::int64_t size = file.size();
    if (size < 2 || !readFully(file, 0, head, 2))
        return size < 0 ? BmpStatus::ReadError : BmpStatus::NotBmp;
    if (head[0] != 'B' || head[1] != 'M')
        return BmpStatus::NotBmp;
    if (size < 14)
        return BmpStatus::Truncated;
    if (!readFully(file, 0, head, 14))
        return BmpStatus::ReadError;
    DibPlace place;
    place.start = 14;
    place.end = size;
    place.pixelOffset = le32(head + 10);
    place.kind = DibKind::Packed;
    place.file = true;
    return parseDib(file, place, header);
}

BmpStatus readDibHeader(ByteSource& source, std::int64_t offset, std::int64_t bytes, DibKind kind,
                        BmpHeader& header) {
    const std::int64_t size = source.size();
    if (size < 0)
        return BmpStatus::ReadError;
    if (offset < 0 || bytes < 0 || offset > size)
        return BmpStatus::Truncated;
    DibPlace place;
    place.start = offset;
    place.end = offset + std::min(bytes, size - offset);
    place.kind = kind;
    return parseDib(source, place, header);
}

BmpStatus decodeBmp(ByteSource& source, const BmpHeader& h, const RasterView& dest) {
    if (dest.empty() || dest.width != h.width || dest.height != h.height || h.rowBytes <= 0)
        return BmpStatus::NoRaster;
    if (h.pixels == BmpPixels::Rle8 || h.pixels == BmpPixels::Rle4)
        return decodeRle(source, h, dest);
    RowUnpacker unpacker(h);
    const BmpStatus rows = decodeRows(source, h, dest, unpacker);
    if (rows != BmpStatus::Ok)
        return rows;
    if (h.alphaMask != 0)
        settleAlpha(h, dest, unpacker.alphaSeen());
    if (h.iconMask && !unpacker.alphaSeen())
        return applyIconMask(source, h, dest);
    return BmpStatus::Ok;
}

BmpStatus readBmp(ByteSource& file, const RasterAllocator& allocate) {
    BmpHeader header;
    const BmpStatus status = readBmpHeader(file, header);
    if (status != BmpStatus::Ok)
        return status;
    const RasterView raster = allocate(header.width, header.height);
    if (raster.empty())
        return BmpStatus::NoRaster;
    return decodeBmp(file, header, raster);
}

} // namespace tesmaro
