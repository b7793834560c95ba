#pragma once
// Byte-level builders of BMP files and DIBs for the core tests, written from the file format
// alone (no code of the reader), and the expected colour rules computed in floating point.

#include <cmath>
#include <cstdint>
#include <vector>

namespace tesmaro::testing {

using Bytes = std::vector<std::uint8_t>;

inline void putLe16(Bytes& b, std::uint32_t v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
inline void putLe32(Bytes& b, std::uint32_t v) {
    putLe16(b, v & 0xFFFF);
    putLe16(b, v >> 16);
}
inline void setLe16(Bytes& b, std::size_t at, std::uint32_t v) {
    b.at(at) = std::uint8_t(v);
    b.at(at + 1) = std::uint8_t(v >> 8);
}
inline void setLe32(Bytes& b, std::size_t at, std::uint32_t v) {
    setLe16(b, at, v & 0xFFFF);
    setLe16(b, at + 2, v >> 16);
}
inline void append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}

// The info header as its size has it: 12 bytes (OS/2 1.x, 16-bit sizes), 16..64 (OS/2 2.x,
// cut to the size), 40, 52, 56, 108, 124 (masks inside from 52 on).
struct Info {
    std::uint32_t size = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint32_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t planes = 1;
    std::uint32_t masks[4] = {0, 0, 0, 0};
};

inline Bytes infoHeader(const Info& i) {
    Bytes h;
    putLe32(h, i.size);
    if (i.size == 12) {
        putLe16(h, std::uint32_t(i.width));
        putLe16(h, std::uint32_t(i.height));
        putLe16(h, i.planes);
        putLe16(h, i.bits);
        return h;
    }
    putLe32(h, std::uint32_t(i.width));
    putLe32(h, std::uint32_t(i.height));
    putLe16(h, i.planes);
    putLe16(h, i.bits);
    putLe32(h, i.compression);
    putLe32(h, 0);    // image bytes
    putLe32(h, 2835); // pixels per metre
    putLe32(h, 2835);
    putLe32(h, i.coloursUsed);
    putLe32(h, 0);
    for (std::uint32_t m : i.masks)
        putLe32(h, m);
    h.resize(i.size, 0);
    return h;
}

// 0xRRGGBB colours as palette entries of 3 (OS/2 1.x) or 4 bytes.
inline Bytes paletteEntries(const std::vector<std::uint32_t>& colours, int entryBytes) {
    Bytes p;
    for (std::uint32_t c : colours) {
        p.push_back(std::uint8_t(c));
        p.push_back(std::uint8_t(c >> 8));
        p.push_back(std::uint8_t(c >> 16));
        if (entryBytes == 4)
            p.push_back(0x77); // the reserved byte carries no meaning
    }
    return p;
}

// "BM", the file header, then the DIB's headers, masks and palette, `gap` bytes, the pixels.
inline Bytes bmpFile(const Bytes& headers, const Bytes& pixels, int gap = 0) {
    Bytes f = {'B', 'M'};
    const std::uint32_t offset = 14 + std::uint32_t(headers.size()) + gap;
    putLe32(f, offset + std::uint32_t(pixels.size()));
    putLe32(f, 0);
    putLe32(f, offset);
    append(f, headers);
    f.insert(f.end(), gap, 0xEE);
    append(f, pixels);
    return f;
}

// Rows of `bits`-bit values (first pixel in the highest bits for 1, 2, 4 bits; little-endian
// for 16 and 32), each padded with `pad` to 4 bytes; rows given top first, written bottom-up
// unless topDown.
inline Bytes packRows(const std::vector<std::vector<std::uint32_t>>& rows, int bits, bool topDown,
                      std::uint8_t pad = 0) {
    Bytes out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[topDown ? i : rows.size() - 1 - i];
        const std::size_t start = out.size();
        if (bits < 8) {
            std::uint32_t acc = 0;
            int used = 0;
            for (std::uint32_t v : row) {
                acc = acc << bits | v;
                used += bits;
                if (used == 8) {
                    out.push_back(std::uint8_t(acc));
                    acc = used = 0;
                }
            }
            if (used)
                out.push_back(std::uint8_t(acc << (8 - used)));
        } else {
            for (std::uint32_t v : row)
                for (int k = 0; k < bits / 8; ++k)
                    out.push_back(std::uint8_t(v >> (8 * k)));
        }
        while ((out.size() - start) % 4)
            out.push_back(pad);
    }
    return out;
}

// v of a channel with `bits` bits as 0..255: v * 255 / (2^bits - 1) to the nearest integer.
inline std::uint32_t expectedChannel(std::uint64_t v, int bits) {
    if (bits == 0)
        return 0;
    return std::uint32_t(std::lround(double(v) * 255.0 / double((std::uint64_t{1} << bits) - 1)));
}

// Channel c with alpha a over white.
inline std::uint32_t expectedOnWhite(std::uint32_t c, std::uint32_t a) {
    return std::uint32_t(std::lround((double(c) * a + 255.0 * (255 - a)) / 255.0));
}

inline std::uint32_t opaque(std::uint32_t rgb) {
    return 0xFF000000u | rgb;
}

} // namespace tesmaro::testing
