// The general BMP reader against files built byte by byte here, with the expected picture
// computed from what the bytes mean (palette lookups, channel expansion and alpha on white in
// floating point, run-length streams written out by hand): every palette depth and header kind,
// 16- and 32-bit masks, run lengths with deltas and early ends, DIBs and icon entries; then the
// refusals, the size limits before any allocation, and damaged files, which must be refused or
// decode the same whatever the raster held before (this test also runs under the sanitizers).
#include "core/BmpReader.h"

#include "BmpFiles.h"
#include "TestRaster.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace tesmaro {
namespace {

using namespace tesmaro::testing;
using Grid = std::vector<std::vector<std::uint32_t>>; // rows top first

struct Decoded {
    BmpStatus status = BmpStatus::NotBmp;
    std::unique_ptr<TestRaster> raster;
};

Decoded decodeWith(ByteSource& source, BmpStatus headerStatus, const BmpHeader& h, std::uint32_t fill) {
    Decoded d;
    d.status = headerStatus;
    if (headerStatus != BmpStatus::Ok)
        return d;
    d.raster = std::make_unique<TestRaster>(h.width, h.height, fill, h.width + 3);
    d.status = decodeBmp(source, h, d.raster->view());
    return d;
}

Decoded readFile(const Bytes& file, std::uint32_t fill = 0x12345678u) {
    MemoryBytes source(file.data(), file.size());
    BmpHeader h;
    const BmpStatus s = readBmpHeader(source, h);
    return decodeWith(source, s, h, fill);
}

Decoded readDib(const Bytes& dib, DibKind kind, std::int64_t bytes = -1, std::uint32_t fill = 0x12345678u) {
    MemoryBytes source(dib.data(), dib.size());
    BmpHeader h;
    const BmpStatus s = readDibHeader(source, 0, bytes < 0 ? std::int64_t(dib.size()) : bytes, kind, h);
    return decodeWith(source, s, h, fill);
}

::testing::AssertionResult looksLike(const Decoded& d, const Grid& expected) {
    if (d.status != BmpStatus::Ok)
        return ::testing::AssertionFailure() << "status " << int(d.status);
    const TestRaster& r = *d.raster;
    if (r.height != int(expected.size()) || r.width != int(expected[0].size()))
        return ::testing::AssertionFailure() << "size " << r.width << "x" << r.height;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (r.at(x, y) != expected[y][x])
                return ::testing::AssertionFailure()
                       << "expected " << std::hex << expected[y][x] << " at (" << std::dec << x << ", " << y
                       << "), got " << std::hex << r.at(x, y);
    if (!r.paddingIntact())
        return ::testing::AssertionFailure() << "wrote outside the rows";
    return ::testing::AssertionSuccess();
}

Grid gridOf(int width, int height, const std::function<std::uint32_t(int, int)>& f) {
    Grid g(height, std::vector<std::uint32_t>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            g[y][x] = f(x, y);
    return g;
}

std::vector<std::uint32_t> someColours(int n) {
    std::vector<std::uint32_t> c;
    for (int i = 0; i < n; ++i)
        c.push_back(std::uint32_t((i * 67 + 5) & 255) << 16 | std::uint32_t((i * 151 + 30) & 255) << 8 |
                    std::uint32_t((i * 29 + 200) & 255));
    return c;
}

// The colour that masks pick out of pixel p, each channel expanded to 8 bits.
std::uint32_t maskedColour(std::uint32_t p, const std::uint32_t masks[3]) {
    std::uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const std::uint32_t m = masks[c];
        const std::uint32_t v = m ? (p & m) >> std::countr_zero(m) : 0;
        out = out << 8 | expectedChannel(v, std::popcount(m));
    }
    return out;
}

TEST(BmpReader, ReadsEveryPaletteDepthAndHeaderKind) {
    struct Kind {
        std::uint32_t size;
        int entryBytes;
        bool topDown;
    };
    const Kind kinds[] = {{12, 3, false}, {16, 4, false}, {16, 4, true},   {40, 4, false}, {40, 4, true},
                          {64, 4, false}, {108, 4, true}, {124, 4, false}, {52, 4, false}};
    for (const Kind& k : kinds)
        for (int bits : {1, 2, 4, 8})
            for (int width : {1, 2, 3, 5, 7, 8, 9, 17, 33})
                for (int height : {1, 3}) {
                    SCOPED_TRACE(::testing::Message()
                                 << "header " << k.size << (k.topDown ? " top-down " : " ") << bits
                                 << " bits, " << width << "x" << height);
                    const int n = 1 << bits;
                    const auto colours = someColours(n);
                    const Grid indices =
                        gridOf(width, height, [&](int x, int y) { return (x * 7 + y * 3) % n; });
                    Info info{k.size, width, k.topDown ? -height : height, std::uint32_t(bits)};
                    Bytes headers = infoHeader(info);
                    append(headers, paletteEntries(colours, k.entryBytes));
                    const Decoded d = readFile(bmpFile(headers, packRows(indices, bits, k.topDown, 0xA5)));
                    EXPECT_TRUE(looksLike(d, gridOf(width, height, [&](int x, int y) {
                                              return opaque(colours[indices[y][x]]);
                                          })));
                }
}

TEST(BmpReader, IndicesPastThePaletteAreBlack) {
    const auto colours = someColours(256);
    const Grid indices = gridOf(16, 2, [](int x, int y) { return std::uint32_t(x * 16 + y); });
    const auto expect = [&](int entries) {
        return gridOf(16, 2, [&](int x, int y) {
            return indices[y][x] < std::uint32_t(entries) ? opaque(colours[indices[y][x]]) : opaque(0);
        });
    };
    {
        SCOPED_TRACE("five colours stated and written");
        Bytes headers = infoHeader({40, 16, 2, 8, 0, 5});
        append(headers, paletteEntries({colours.begin(), colours.begin() + 5}, 4));
        EXPECT_TRUE(looksLike(readFile(bmpFile(headers, packRows(indices, 8, false))), expect(5)));
    }
    {
        SCOPED_TRACE("256 stated, room for three before the pixels");
        Bytes headers = infoHeader({40, 16, 2, 8, 0, 0});
        append(headers, paletteEntries({colours.begin(), colours.begin() + 3}, 4));
        headers.push_back(0x11); // not a whole entry
        EXPECT_TRUE(looksLike(readFile(bmpFile(headers, packRows(indices, 8, false))), expect(3)));
    }
    {
        SCOPED_TRACE("OS/2 1.x, room for 40 three-byte entries");
        Bytes headers = infoHeader({12, 16, 2, 8});
        append(headers, paletteEntries({colours.begin(), colours.begin() + 40}, 3));
        EXPECT_TRUE(looksLike(readFile(bmpFile(headers, packRows(indices, 8, false))), expect(40)));
    }
    {
        SCOPED_TRACE("no room at all");
        EXPECT_TRUE(
            looksLike(readFile(bmpFile(infoHeader({40, 16, 2, 8}), packRows(indices, 8, false))), expect(0)));
    }
    {
        SCOPED_TRACE("more stated than 2^bits");
        const Grid bitsGrid = gridOf(9, 2, [](int x, int y) { return std::uint32_t((x + y) & 1); });
        Bytes headers = infoHeader({40, 9, 2, 1, 0, 1000});
        append(headers, paletteEntries({0xFF0000, 0x00FF00}, 4));
        EXPECT_TRUE(looksLike(
            readFile(bmpFile(headers, packRows(bitsGrid, 1, false))),
            gridOf(9, 2, [&](int x, int y) { return opaque(bitsGrid[y][x] ? 0x00FF00 : 0xFF0000); })));
    }
}

TEST(BmpReader, SixteenBitChannelsExpandToTheFullRange) {
    // White, black, every 5-bit step of each channel, and the unused top bit set.
    std::vector<std::uint32_t> values = {0x7FFF, 0x0000, 0xFFFF, 0x8000};
    for (std::uint32_t v = 0; v < 32; ++v)
        values.insert(values.end(), {v << 10, v << 5, v, v << 10 | (31 - v) << 5 | v});
    const int width = 11, height = int((values.size() + width - 1) / width);
    const Grid pixels = gridOf(
        width, height, [&](int x, int y) { return values[std::size_t(y * width + x) % values.size()]; });
    const std::uint32_t rgb555[3] = {0x7C00, 0x03E0, 0x001F}, rgb565[3] = {0xF800, 0x07E0, 0x001F};
    const std::uint32_t rgb444[3] = {0x0F00, 0x00F0, 0x000F}, oddly[3] = {0x0003, 0xFFF0, 0x0000};
    const auto expected = [&](const std::uint32_t m[3]) {
        return gridOf(width, height, [&](int x, int y) { return opaque(maskedColour(pixels[y][x], m)); });
    };
    const Bytes rows = packRows(pixels, 16, false);
    EXPECT_TRUE(looksLike(readFile(bmpFile(infoHeader({40, width, height, 16}), rows)), expected(rgb555)));
    // White is 255, not 248.
    EXPECT_EQ(readFile(bmpFile(infoHeader({40, 1, 1, 16}), {0xFF, 0x7F, 0, 0})).raster->at(0, 0),
              0xFFFFFFFFu);

    for (const std::uint32_t* m : {rgb555, rgb565, rgb444, oddly}) {
        SCOPED_TRACE(::testing::Message() << std::hex << m[0] << " " << m[1] << " " << m[2]);
        Bytes after40 = infoHeader({40, width, height, 16, 3});
        for (int c = 0; c < 3; ++c)
            putLe32(after40, m[c]);
        EXPECT_TRUE(looksLike(readFile(bmpFile(after40, rows)), expected(m)));
        for (std::uint32_t size : {52u, 108u, 124u}) {
            Info v{size, width, -height, 16, 3};
            std::copy(m, m + 3, v.masks);
            EXPECT_TRUE(looksLike(readFile(bmpFile(infoHeader(v), packRows(pixels, 16, true))), expected(m)));
        }
    }
}

TEST(BmpReader, AlphaGoesOnWhiteUnlessEveryAlphaIsZero) {
    const int width = 5, height = 3;
    const Grid words = gridOf(width, height, [](int x, int y) {
        const std::uint32_t alpha = std::uint32_t((x * 61 + y * 100) & 255);
        return alpha << 24 | std::uint32_t((x * 53 + 7) & 255) << 16 | std::uint32_t((y * 97) & 255) << 8 |
               std::uint32_t((x * y * 31 + 1) & 255);
    });
    const auto onWhite = [&](const Grid& g) {
        return gridOf(width, height, [&](int x, int y) {
            const std::uint32_t p = g[y][x], a = p >> 24;
            return opaque(expectedOnWhite((p >> 16) & 255, a) << 16 |
                          expectedOnWhite((p >> 8) & 255, a) << 8 | expectedOnWhite(p & 255, a));
        });
    };
    const auto colours = [&](const Grid& g) {
        return gridOf(width, height, [&](int x, int y) { return opaque(g[y][x] & 0xFFFFFF); });
    };
    const Grid noAlpha = gridOf(width, height, [&](int x, int y) { return words[y][x] & 0xFFFFFF; });
    Info v5{124, width, height, 32, 3, 0, 1, {0xFF0000, 0xFF00, 0xFF, 0xFF000000u}};
    EXPECT_TRUE(looksLike(readFile(bmpFile(infoHeader(v5), packRows(words, 32, false))), onWhite(words)));
    EXPECT_TRUE(looksLike(readFile(bmpFile(infoHeader(v5), packRows(noAlpha, 32, false))), colours(noAlpha)));
    // The same alpha mask in a header without bit fields.
    Info v4 = v5;
    v4.size = 108;
    v4.compression = 0;
    EXPECT_TRUE(looksLike(readFile(bmpFile(infoHeader(v4), packRows(words, 32, false))), onWhite(words)));
    // A 40-byte header without bit fields: the fourth byte is not alpha (as the plain reader has it).
    EXPECT_TRUE(looksLike(readFile(bmpFile(infoHeader({40, width, height, 32}), packRows(words, 32, false))),
                          colours(words)));
    // Alpha bit fields after a 40-byte header, with the channels in another order.
    Bytes alphaFields = infoHeader({40, width, height, 32, 6});
    for (std::uint32_t m : {0x000000FFu, 0x0000FF00u, 0x00FF0000u, 0xFF000000u})
        putLe32(alphaFields, m);
    const Grid swapped = gridOf(width, height, [&](int x, int y) {
        const std::uint32_t p = words[y][x];
        return (p & 0xFF00FF00u) | (p & 0xFF) << 16 | (p >> 16 & 0xFF);
    });
    EXPECT_TRUE(looksLike(readFile(bmpFile(alphaFields, packRows(swapped, 32, false))), onWhite(words)));

    // 1-bit alpha of 16-bit pixels: transparent pixels are white, the others keep their colour.
    const Grid argb1555 =
        gridOf(4, 2, [](int x, int y) { return std::uint32_t((x + y) & 1) << 15 | 0x1234u; });
    Info a16{56, 4, 2, 16, 3, 0, 1, {0x7C00, 0x03E0, 0x001F, 0x8000}};
    const std::uint32_t rgb555[3] = {0x7C00, 0x03E0, 0x001F};
    EXPECT_TRUE(looksLike(readFile(bmpFile(infoHeader(a16), packRows(argb1555, 16, false))),
                          gridOf(4, 2, [&](int x, int y) {
                              return (x + y) & 1 ? opaque(maskedColour(0x1234, rgb555)) : opaque(0xFFFFFF);
                          })));
}

TEST(BmpReader, WideMasksNarrowByTheSameRule) {
    // 10-10-10 with 2 alpha bits, all alpha 3 (opaque): each channel v * 255 / 1023.
    const Grid words = gridOf(6, 2, [](int x, int y) {
        return 3u << 30 | std::uint32_t(x * 170 + y) << 20 | std::uint32_t(1023 - x * 9) << 10 |
               std::uint32_t(x * y * 100);
    });
    Info v3{56, 6, 2, 32, 3, 0, 1, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000u}};
    const std::uint32_t m[3] = {0x3FF00000, 0xFFC00, 0x3FF};
    EXPECT_TRUE(looksLike(readFile(bmpFile(infoHeader(v3), packRows(words, 32, false))),
                          gridOf(6, 2, [&](int x, int y) { return opaque(maskedColour(words[y][x], m)); })));
    // A zero mask gives 0; overlapping masks each read their bits.
    Info odd{124, 6, 2, 32, 3, 0, 1, {0x0000FF00, 0x0000FF00, 0, 0}};
    EXPECT_TRUE(looksLike(readFile(bmpFile(infoHeader(odd), packRows(words, 32, false))),
                          gridOf(6, 2, [&](int x, int y) {
                              const std::uint32_t g = (words[y][x] >> 8) & 255;
                              return opaque(g << 16 | g << 8);
                          })));
}

TEST(BmpReader, PlainLayoutsOfEveryRowPadding) {
    for (int bits : {24, 32})
        for (int width : {1, 3, 4, 5, 15, 16, 17, 33, 100})
            for (int height : {2, -3}) {
                SCOPED_TRACE(::testing::Message() << bits << " bits " << width << "x" << height);
                const int rows = std::abs(height);
                const Grid words = gridOf(width, rows, [](int x, int y) {
                    return std::uint32_t(x * 31 + y * 1000 + 0x5A000000) * 2654435761u;
                });
                const Bytes file = bmpFile(infoHeader({40, width, height, std::uint32_t(bits)}),
                                           packRows(words, bits, height < 0, 0x99));
                const Decoded d = readFile(file);
                EXPECT_TRUE(looksLike(
                    d, gridOf(width, rows, [&](int x, int y) { return opaque(words[y][x] & 0xFFFFFF); })));
            }
}

// Run lengths --------------------------------------------------------------------------------

constexpr std::uint32_t kB = 0xFF000000u; // black: pixels no run reached

std::vector<std::uint32_t> rlePalette() {
    std::vector<std::uint32_t> p;
    for (std::uint32_t i = 0; i < 16; ++i)
        p.push_back(0x100000u * i + 0x0800u * i + 3 * i + 1);
    return p;
}
std::uint32_t pal(int i) {
    return opaque(rlePalette()[i]);
}

Bytes rleFile(int width, int height, int bits, const Bytes& data, int entries = 16) {
    Bytes headers = infoHeader({40, width, height, std::uint32_t(bits), bits == 8 ? 1u : 2u});
    const auto colours = rlePalette();
    append(headers,
           paletteEntries(std::vector<std::uint32_t>(colours.begin(), colours.begin() + entries), 4));
    return bmpFile(headers, data);
}

// Run-length commands one after another.
Bytes commands(std::initializer_list<Bytes> list) {
    Bytes out;
    for (const Bytes& c : list)
        append(out, c);
    return out;
}

// Rows given in file order (bottom first) to a grid top first.
Grid bottomUp(Grid fileRows) {
    return Grid(fileRows.rbegin(), fileRows.rend());
}

TEST(BmpReader, Rle8RunsDeltasAndEnds) {
    // Row 0: a run, an absolute run with its pad byte, end of line. A delta skips row 1 and two
    // pixels of row 2, a run there goes past the edge and a second one lies wholly beyond it.
    // Row 3: an absolute run, then the end of the bitmap.
    const Bytes stream = commands({{3, 1},
                                   {0, 3, 2, 3, 4, 0},
                                   {0, 0},
                                   {0, 2, 2, 1},
                                   {10, 5},
                                   {2, 6},
                                   {0, 0},
                                   {0, 4, 7, 8, 9, 10},
                                   {0, 1}});
    const Grid expected = bottomUp({{pal(1), pal(1), pal(1), pal(2), pal(3), pal(4)},
                                    {kB, kB, kB, kB, kB, kB},
                                    {kB, kB, pal(5), pal(5), pal(5), pal(5)},
                                    {pal(7), pal(8), pal(9), pal(10), kB, kB}});
    EXPECT_TRUE(looksLike(readFile(rleFile(6, 4, 8, stream)), expected));
    EXPECT_TRUE(looksLike(readFile(rleFile(6, 4, 8, stream), 0xFFFFFFFF), expected));

    // Top-down: the same stream fills rows from the top.
    Bytes topDown = rleFile(6, -4, 8, stream);
    EXPECT_TRUE(looksLike(readFile(topDown), Grid(expected.rbegin(), expected.rend())));

    // The data ends without an end of bitmap: whole when it reached the last pixel or row.
    Bytes noEnd(stream.begin(), stream.end() - 2);
    EXPECT_EQ(readFile(rleFile(6, 4, 8, noEnd)).status, BmpStatus::Truncated); // row 3 stops at x = 4
    Bytes lastRowFull = noEnd;
    append(lastRowFull, {2, 11});
    Grid full = expected;
    full[0][4] = full[0][5] = pal(11);
    EXPECT_TRUE(looksLike(readFile(rleFile(6, 4, 8, lastRowFull)), full));
    Bytes endOfLine = noEnd;
    append(endOfLine, {0, 0});
    EXPECT_TRUE(looksLike(readFile(rleFile(6, 4, 8, endOfLine)), expected));

    // Cut inside an absolute run, inside a delta, inside a run: refused.
    for (std::size_t cut : {std::size_t(5), std::size_t(13), std::size_t(15), std::size_t(23)})
        EXPECT_EQ(readFile(rleFile(6, 4, 8, Bytes(stream.begin(), stream.begin() + cut))).status,
                  BmpStatus::Truncated)
            << cut;

    // A delta past the last row ends the picture; one far right drops what follows on its row.
    EXPECT_TRUE(looksLike(readFile(rleFile(6, 4, 8, {2, 1, 0, 2, 0, 9, 3, 3})),
                          bottomUp({{pal(1), pal(1), kB, kB, kB, kB},
                                    {kB, kB, kB, kB, kB, kB},
                                    {kB, kB, kB, kB, kB, kB},
                                    {kB, kB, kB, kB, kB, kB}})));
    EXPECT_TRUE(
        looksLike(readFile(rleFile(6, 2, 8, {0, 2, 250, 0, 4, 3, 0, 4, 1, 2, 3, 4, 0, 0, 6, 2})),
                  bottomUp({{kB, kB, kB, kB, kB, kB}, {pal(2), pal(2), pal(2), pal(2), pal(2), pal(2)}})));
    // Indices past the palette are black.
    EXPECT_TRUE(looksLike(readFile(rleFile(3, 1, 8, {2, 200, 1, 4, 0, 1}, 8)), Grid{{kB, kB, pal(4)}}));
}

TEST(BmpReader, Rle4AlternatesNibbles) {
    // Row 0: a run of two alternating indices, an absolute run of three clipped at the edge.
    // Row 1: an absolute run of five (three bytes and a pad byte), a run past the edge.
    const Bytes stream = {5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0xAB, 0xCD, 0xE0, 0, 4, 0xF1, 0, 1};
    EXPECT_TRUE(looksLike(readFile(rleFile(7, 2, 4, stream)),
                          bottomUp({{pal(1), pal(2), pal(1), pal(2), pal(1), pal(3), pal(4)},
                                    {pal(10), pal(11), pal(12), pal(13), pal(14), pal(15), pal(1)}})));
    // The OS/2 2.x header numbers RLE4 the same way.
    Bytes headers = infoHeader({64, 7, 2, 4, 2});
    append(headers, paletteEntries(rlePalette(), 4));
    EXPECT_TRUE(looksLike(readFile(bmpFile(headers, stream)),
                          bottomUp({{pal(1), pal(2), pal(1), pal(2), pal(1), pal(3), pal(4)},
                                    {pal(10), pal(11), pal(12), pal(13), pal(14), pal(15), pal(1)}})));
}

// DIBs and icons ------------------------------------------------------------------------------

Bytes maskRows(const Grid& bits) {
    return packRows(bits, 1, false);
}

TEST(BmpReader, IconEntriesUseAlphaOrTheirMask) {
    const Grid colour =
        gridOf(3, 2, [](int x, int y) { return std::uint32_t(0x102030 * (x + 1) + 0x0A0B0C * y); });
    const Grid mask = {{1, 0, 1}, {0, 1, 1}};
    const auto withAlpha = [&](const std::vector<std::uint32_t>& alphas) {
        return gridOf(3, 2, [&](int x, int y) { return alphas[y * 3 + x] << 24 | colour[y][x]; });
    };
    {
        SCOPED_TRACE("32 bits with alpha: on white, the mask ignored");
        const Grid words = withAlpha({0, 128, 255, 1, 254, 77});
        Bytes dib = infoHeader({40, 3, 4, 32});
        append(dib, packRows(words, 32, false));
        append(dib, maskRows(mask));
        EXPECT_TRUE(looksLike(readDib(dib, DibKind::IconEntry), gridOf(3, 2, [&](int x, int y) {
                                  const std::uint32_t p = words[y][x], a = p >> 24;
                                  return opaque(expectedOnWhite(p >> 16 & 255, a) << 16 |
                                                expectedOnWhite(p >> 8 & 255, a) << 8 |
                                                expectedOnWhite(p & 255, a));
                              })));
    }
    const Grid masked =
        gridOf(3, 2, [&](int x, int y) { return mask[y][x] ? 0xFFFFFFFFu : opaque(colour[y][x]); });
    {
        SCOPED_TRACE("32 bits, every alpha 0: the mask");
        Bytes dib = infoHeader({40, 3, 4, 32});
        append(dib, packRows(colour, 32, false));
        append(dib, maskRows(mask));
        EXPECT_TRUE(looksLike(readDib(dib, DibKind::IconEntry), masked));
        // The mask rows cut off after the first (bottom) one: the top row is unmasked.
        const Decoded cut = readDib(dib, DibKind::IconEntry, std::int64_t(dib.size()) - 4);
        Grid expected = masked;
        expected[0] = {opaque(colour[0][0]), opaque(colour[0][1]), opaque(colour[0][2])};
        EXPECT_TRUE(looksLike(cut, expected));
        // Without any mask: the colours.
        const Decoded none = readDib(dib, DibKind::IconEntry, std::int64_t(dib.size()) - 8);
        EXPECT_TRUE(looksLike(none, gridOf(3, 2, [&](int x, int y) { return opaque(colour[y][x]); })));
        // As a packed DIB the same bytes would be four rows of colour, which they do not hold.
        EXPECT_EQ(readDib(dib, DibKind::Packed).status, BmpStatus::Truncated);
    }
    {
        SCOPED_TRACE("4 bits with a palette and a mask");
        const Grid indices = {{1, 2, 3}, {4, 5, 15}};
        const auto colours = someColours(16);
        Bytes dib = infoHeader({40, 3, 4, 4});
        append(dib, paletteEntries(colours, 4));
        append(dib, packRows(indices, 4, false));
        append(dib, maskRows(mask));
        EXPECT_TRUE(looksLike(readDib(dib, DibKind::IconEntry), gridOf(3, 2, [&](int x, int y) {
                                  return mask[y][x] ? 0xFFFFFFFFu : opaque(colours[indices[y][x]]);
                              })));
    }
    Bytes rle = infoHeader({40, 2, 4, 8, 1});
    append(rle, {2, 0, 0, 1});
    EXPECT_EQ(readDib(rle, DibKind::IconEntry).status, BmpStatus::Unsupported);
    EXPECT_EQ(readDib(infoHeader({40, 2, -4, 32}), DibKind::IconEntry).status, BmpStatus::Damaged);
    EXPECT_EQ(readDib(infoHeader({40, 2, 1, 32}), DibKind::IconEntry).status, BmpStatus::Damaged);
}

TEST(BmpReader, PackedDibsHoldTheirPixelsAfterThePalette) {
    const Grid indices = {{0, 1, 2}, {2, 1, 0}};
    Bytes dib = infoHeader({40, 3, 2, 8, 0, 3});
    append(dib, paletteEntries({0xFF0000, 0x00FF00, 0x0000FF}, 4));
    append(dib, packRows(indices, 8, false));
    const std::uint32_t c[3] = {opaque(0xFF0000), opaque(0x00FF00), opaque(0x0000FF)};
    EXPECT_TRUE(looksLike(readDib(dib, DibKind::Packed), Grid{{c[0], c[1], c[2]}, {c[2], c[1], c[0]}}));

    Bytes fields = infoHeader({40, 2, 1, 16, 3});
    for (std::uint32_t m : {0xF800u, 0x07E0u, 0x001Fu})
        putLe32(fields, m);
    append(fields, {0xFF, 0xFF, 0x1F, 0x00});
    EXPECT_TRUE(looksLike(readDib(fields, DibKind::Packed), Grid{{opaque(0xFFFFFF), opaque(0x0000FF)}}));
    // A stated palette larger than the DIB leaves its pixels outside.
    setLe32(dib, 32, 0x40000000);
    EXPECT_EQ(readDib(dib, DibKind::Packed).status, BmpStatus::Truncated);
}

// Refusals and limits -------------------------------------------------------------------------

Bytes validEightBit() {
    Bytes headers = infoHeader({40, 4, 3, 8, 0, 4});
    append(headers, paletteEntries({1, 2, 3, 4}, 4));
    return bmpFile(headers, packRows(gridOf(4, 3, [](int x, int) { return std::uint32_t(x); }), 8, false));
}

TEST(BmpReader, RefusesWhatItCannotRead) {
    struct Case {
        const char* what;
        std::function<void(Bytes&)> change;
        BmpStatus status;
    };
    const auto at32 = [](std::size_t at, std::uint32_t v) { return [=](Bytes& b) { setLe32(b, at, v); }; };
    const auto at16 = [](std::size_t at, std::uint32_t v) { return [=](Bytes& b) { setLe16(b, at, v); }; };
    const std::vector<Case> cases = {
        {"as built", [](Bytes&) {}, BmpStatus::Ok},
        {"not BM", [](Bytes& b) { b[0] = 'b'; }, BmpStatus::NotBmp},
        {"an OS/2 bitmap array", [](Bytes& b) { b[1] = 'A'; }, BmpStatus::NotBmp},
        {"header size 0", at32(14, 0), BmpStatus::NotBmp},
        {"header size 11", at32(14, 11), BmpStatus::NotBmp},
        {"header size 65", at32(14, 65), BmpStatus::NotBmp},
        {"header size 4 GiB", at32(14, 0xFFFFFFFF), BmpStatus::NotBmp},
        {"zero wide", at32(18, 0), BmpStatus::Damaged},
        {"negative width", at32(18, 0xFFFFFFFF), BmpStatus::Damaged},
        {"lowest width", at32(18, 0x80000000u), BmpStatus::Damaged},
        {"zero high", at32(22, 0), BmpStatus::Damaged},
        {"lowest height", at32(22, 0x80000000u), BmpStatus::Oversized},
        {"no planes", at16(26, 0), BmpStatus::Damaged},
        {"two planes", at16(26, 2), BmpStatus::Damaged},
        {"0 bits", at16(28, 0), BmpStatus::Damaged},
        {"3 bits", at16(28, 3), BmpStatus::Damaged},
        {"7 bits", at16(28, 7), BmpStatus::Damaged},
        {"15 bits", at16(28, 15), BmpStatus::Damaged},
        {"64 bits", at16(28, 64), BmpStatus::Damaged},
        {"65535 bits", at16(28, 65535), BmpStatus::Damaged},
        {"RLE4 at 8 bits", at32(30, 2), BmpStatus::Damaged},
        {"bit fields at 8 bits", at32(30, 3), BmpStatus::Damaged},
        {"JPEG inside", at32(30, 4), BmpStatus::Unsupported},
        {"PNG inside", at32(30, 5), BmpStatus::Unsupported},
        {"CMYK", at32(30, 11), BmpStatus::Unsupported},
        {"compression 7", at32(30, 7), BmpStatus::Damaged},
        {"compression 2^32 - 1", at32(30, 0xFFFFFFFF), BmpStatus::Damaged},
        {"pixels at 0", at32(10, 0), BmpStatus::Damaged},
        {"pixels inside the header", at32(10, 53), BmpStatus::Damaged},
        {"pixels past the end", at32(10, 0xFFFFFFF0u), BmpStatus::Truncated},
        {"pixels two bytes late", at32(10, 14 + 40 + 16 + 2), BmpStatus::Truncated},
        {"32767 wide", at32(18, 32767), BmpStatus::Truncated},
        {"32768 wide", at32(18, 32768), BmpStatus::Oversized},
        {"32768 high top-down", at32(22, std::uint32_t(-32768)), BmpStatus::Oversized},
        {"16385 x 16384", [](Bytes& b) { setLe32(b, 18, 16385), setLe32(b, 22, 16384); },
         BmpStatus::Oversized},
        {"16384 x 16384", [](Bytes& b) { setLe32(b, 18, 16384), setLe32(b, 22, 16384); },
         BmpStatus::Truncated},
        {"last pixel cut off", [](Bytes& b) { b.resize(b.size() - 1); }, BmpStatus::Truncated},
        {"palette cut off", [](Bytes& b) { b.resize(14 + 40 + 6); }, BmpStatus::Truncated},
        {"info header cut off", [](Bytes& b) { b.resize(14 + 39); }, BmpStatus::Truncated},
        {"file header cut off", [](Bytes& b) { b.resize(13); }, BmpStatus::Truncated},
        {"BM alone", [](Bytes& b) { b.resize(2); }, BmpStatus::Truncated},
        {"empty", [](Bytes& b) { b.clear(); }, BmpStatus::NotBmp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = validEightBit();
        c.change(file);
        file.shrink_to_fit();
        MemoryBytes source(file.data(), file.size());
        BmpHeader h;
        EXPECT_EQ(readBmpHeader(source, h), c.status);
    }
    const auto status = [](const Info& info, std::size_t extra = 64) {
        Bytes headers = infoHeader(info);
        const std::uint32_t m[3] = {info.masks[0], info.masks[1], info.masks[2]};
        if (info.size == 40 && info.compression == 3)
            for (std::uint32_t v : m)
                putLe32(headers, v);
        const Bytes file = bmpFile(headers, Bytes(extra, 0));
        MemoryBytes source(file.data(), file.size());
        BmpHeader h;
        return readBmpHeader(source, h);
    };
    EXPECT_EQ(status({40, 2, 2, 16, 3, 0, 1, {0x7C00, 0x03E0, 0x001F}}), BmpStatus::Ok);
    EXPECT_EQ(status({40, 2, 2, 16, 3, 0, 1, {0x7C00, 0x03E0, 0x0F0F}}), BmpStatus::Damaged);  // not one run
    EXPECT_EQ(status({40, 2, 2, 16, 3, 0, 1, {0x7C000, 0x03E0, 0x001F}}), BmpStatus::Damaged); // past 16 bits
    EXPECT_EQ(status({124, 2, 2, 32, 3, 0, 1, {0xFF, 0xFF00, 0xFF0000, 0x80000001u}}), BmpStatus::Damaged);
    EXPECT_EQ(status({40, 2, 2, 24, 3}), BmpStatus::Damaged);     // bit fields at 24 bits
    EXPECT_EQ(status({64, 2, 2, 1, 3}), BmpStatus::Unsupported);  // OS/2 Huffman
    EXPECT_EQ(status({64, 2, 2, 24, 4}), BmpStatus::Unsupported); // OS/2 RLE24
    EXPECT_EQ(status({12, 0, 2, 8}), BmpStatus::Damaged);
}

// Counts what is read, and fails the test if anything is read past `limit`.
class CountingSource final : public ByteSource {
public:
    explicit CountingSource(const Bytes& b) : m_bytes(b.data(), b.size()) {}
    std::int64_t size() override { return m_bytes.size(); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* buffer, std::int64_t count) override {
        const std::int64_t n = m_bytes.readAt(offset, buffer, count);
        read += n > 0 ? n : 0;
        return n;
    }
    std::int64_t read = 0;

private:
    MemoryBytes m_bytes;
};

TEST(BmpReader, RefusesBombsFromTheHeaderWithoutAllocating) {
    struct Bomb {
        const char* what;
        Info info;
    };
    const Bomb bombs[] = {
        {"24 bits, 16385 x 16384", {40, 16385, 16384, 24}},
        {"24 bits, 16384 x 16385, top-down", {40, 16384, -16385, 24}},
        {"RLE8, 32767 x 32767", {40, 32767, 32767, 8, 1}},
        {"RLE4, 40000 x 1", {40, 40000, 1, 4, 2}},
        {"OS/2 1.x, 65535 x 65535", {12, 65535, 65535, 8}},
        {"OS/2 2.x, 2^31 - 1 high", {64, 1, 0x7FFFFFFF, 1}},
        {"V5, 20000 x 20000", {124, 20000, 20000, 32, 3, 0, 1, {0xFF0000, 0xFF00, 0xFF, 0}}},
    };
    for (const Bomb& b : bombs) {
        SCOPED_TRACE(b.what);
        Bytes headers = infoHeader(b.info);
        const Bytes file = bmpFile(headers, Bytes(4000, 0));
        CountingSource source(file);
        int allocations = 0;
        const auto start = std::chrono::steady_clock::now();
        const BmpStatus status = readBmp(source, [&](int, int) {
            ++allocations;
            return RasterView{};
        });
        const auto spent = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(status, BmpStatus::Oversized);
        EXPECT_EQ(allocations, 0);
        EXPECT_LE(source.read, 200); // the headers, nothing of the palette or the pixels
        EXPECT_LT(spent, std::chrono::milliseconds(100));
    }
    // At the limit the header passes and the raster is asked for, once, at the picture's size.
    const Bytes atLimit = rleFile(16384, 16384, 8, {0, 1});
    CountingSource source(atLimit);
    std::vector<std::pair<int, int>> asked;
    EXPECT_EQ(readBmp(source,
                      [&](int w, int h) {
                          asked.emplace_back(w, h);
                          return RasterView{};
                      }),
              BmpStatus::NoRaster);
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{16384, 16384}}));
}

TEST(BmpReader, ReadBmpDecodesIntoTheRasterItAskedFor) {
    const Bytes file = validEightBit();
    MemoryBytes source(file.data(), file.size());
    TestRaster raster(4, 3, 0);
    EXPECT_EQ(readBmp(source, [&](int w, int h) { return w == 4 && h == 3 ? raster.view() : RasterView{}; }),
              BmpStatus::Ok);
    EXPECT_EQ(raster.at(3, 0), opaque(4));
    // A raster of another size is refused before anything is written.
    TestRaster wrong(5, 3, 7);
    BmpHeader h;
    ASSERT_EQ(readBmpHeader(source, h), BmpStatus::Ok);
    EXPECT_EQ(decodeBmp(source, h, wrong.view()), BmpStatus::NoRaster);
    EXPECT_EQ(wrong.at(0, 0), 7u);
}

// A source that fails, or claims too much, from byte `from` on.
class FailingSource final : public ByteSource {
public:
    FailingSource(const Bytes& b, std::int64_t from, bool overclaim)
        : m_bytes(b.data(), b.size()), m_from(from), m_overclaim(overclaim) {}
    std::int64_t size() override { return m_bytes.size(); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* buffer, std::int64_t count) override {
        if (offset + count <= m_from)
            return m_bytes.readAt(offset, buffer, count);
        return m_overclaim ? count + 1 : -1;
    }

private:
    MemoryBytes m_bytes;
    std::int64_t m_from;
    bool m_overclaim;
};

TEST(BmpReader, ReportsAFailingSource) {
    const Bytes plain = bmpFile(infoHeader({40, 700, 200, 24}), Bytes(std::size_t(2100) * 200, 0x40));
    const Bytes rle = rleFile(6, 4, 8, {3, 1, 0, 0, 3, 1, 0, 0, 3, 1, 0, 0, 3, 1, 0, 1});
    for (bool overclaim : {false, true})
        for (const Bytes* file : {&plain, &rle}) {
            // Failing in the pixels: the header reads, the pixels do not.
            FailingSource source(*file, std::int64_t(file->size()) - 3, overclaim);
            BmpHeader h;
            ASSERT_EQ(readBmpHeader(source, h), BmpStatus::Ok);
            TestRaster r(h.width, h.height, 0);
            EXPECT_EQ(decodeBmp(source, h, r.view()), BmpStatus::ReadError);
            FailingSource early(*file, 20, overclaim);
            EXPECT_EQ(readBmpHeader(early, h), BmpStatus::ReadError);
        }
}

// Damaged files -------------------------------------------------------------------------------

// Small files of every layout, each valid.
std::vector<Bytes> everyLayout() {
    std::vector<Bytes> files;
    const Grid idx = gridOf(5, 3, [](int x, int y) { return std::uint32_t(x * 3 + y); });
    for (int bits : {1, 2, 4, 8}) {
        const Grid g = gridOf(5, 3, [&](int x, int y) { return idx[y][x] % (1u << bits); });
        Bytes h = infoHeader({40, 5, bits == 4 ? -3 : 3, std::uint32_t(bits)});
        append(h, paletteEntries(someColours(1 << bits), 4));
        files.push_back(bmpFile(h, packRows(g, bits, bits == 4)));
    }
    Bytes core = infoHeader({12, 5, 3, 8});
    append(core, paletteEntries(someColours(20), 3));
    files.push_back(bmpFile(core, packRows(idx, 8, false)));
    Bytes os2 = infoHeader({16, 5, 3, 4});
    append(os2, paletteEntries(someColours(16), 4));
    files.push_back(
        bmpFile(os2, packRows(gridOf(5, 3, [](int x, int) { return std::uint32_t(x); }), 4, false)));
    files.push_back(rleFile(
        6, 4, 8, {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2, 1, 10, 5, 2, 6, 0, 0, 0, 4, 7, 8, 9, 10, 0, 1}));
    files.push_back(
        rleFile(7, 2, 4, {5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0xAB, 0xCD, 0xE0, 0, 4, 0xF1, 0, 1}));
    const Grid w = gridOf(
        5, 3, [](int x, int y) { return std::uint32_t(x) * 0x01020304u + std::uint32_t(y) * 0x50607080u; });
    files.push_back(bmpFile(infoHeader({40, 5, 3, 16}), packRows(w, 16, false)));
    Bytes f565 = infoHeader({40, 5, 3, 16, 3});
    for (std::uint32_t m : {0xF800u, 0x07E0u, 0x001Fu})
        putLe32(f565, m);
    files.push_back(bmpFile(f565, packRows(w, 16, false)));
    files.push_back(bmpFile(infoHeader({40, 5, 3, 24}), packRows(w, 24, false)));
    files.push_back(bmpFile(infoHeader({40, 5, -3, 32}), packRows(w, 32, true)));
    files.push_back(bmpFile(infoHeader({124, 5, 3, 32, 3, 0, 1, {0xFF0000, 0xFF00, 0xFF, 0xFF000000u}}),
                            packRows(w, 32, false)));
    files.push_back(bmpFile(infoHeader({56, 5, 3, 32, 3, 0, 1, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000u}}),
                            packRows(w, 32, false)));
    return files;
}

// Decodes twice, into rasters that held different garbage: both refused, or the same picture.
// `status` receives the result.
::testing::AssertionResult deterministic(const Bytes& file, BmpStatus& status) {
    const Decoded a = readFile(file, 0x00000000u), b = readFile(file, 0xFFFFFFFFu);
    status = a.status;
    if (a.status != b.status)
        return ::testing::AssertionFailure() << "statuses " << int(a.status) << " and " << int(b.status);
    if (a.status != BmpStatus::Ok)
        return ::testing::AssertionSuccess();
    if (!a.raster->paddingIntact() || !b.raster->paddingIntact())
        return ::testing::AssertionFailure() << "wrote outside the rows";
    const auto same = sameRaster(*a.raster, *b.raster);
    if (!same)
        return same;
    for (std::uint32_t p : a.raster->data)
        if (p >> 24 != 0xFF)
            return ::testing::AssertionFailure() << "a pixel not opaque: " << std::hex << p;
    return ::testing::AssertionSuccess();
}

TEST(BmpReader, CutOffFilesAreRefusedOrDecodeTheSameEveryTime) {
    for (const Bytes& whole : everyLayout()) {
        ASSERT_EQ(readFile(whole).status, BmpStatus::Ok);
        for (std::size_t n = 0; n < whole.size(); ++n) {
            Bytes cut(whole.begin(), whole.begin() + n);
            cut.shrink_to_fit();
            BmpStatus s;
            ASSERT_TRUE(deterministic(cut, s)) << "cut to " << n << " of " << whole.size();
            // Uncompressed pixels may lose only the last row's padding.
            if (n < whole.size() - 3) {
                EXPECT_TRUE(s != BmpStatus::Ok || le32(whole.data() + 30) == 1 ||
                            le32(whole.data() + 30) == 2)
                    << "cut to " << n;
            }
        }
    }
}

TEST(BmpReader, DamagedHeadersAreRefusedOrDecodeTheSameEveryTime) {
    const std::uint32_t extremes[] = {
        0,       1,     2,     3,          4,           5,          6,          8,
        12,      15,    16,    24,         32,          40,         52,         56,
        64,      108,   124,   255,        256,         0x7FFF,     0x8000,     0xFFFF,
        0x10000, 16384, 16385, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFF, 0xFFFFFFFE, 0x00FF00FF};
    int decoded = 0;
    for (const Bytes& whole : everyLayout()) {
        const std::size_t headerEnd = std::min<std::size_t>(whole.size(), 14 + le32(whole.data() + 14) + 16);
        for (std::size_t at = 0; at + 2 <= headerEnd; at += 2)
            for (std::uint32_t v : extremes)
                for (int width : {2, 4}) {
                    if (at + width > whole.size())
                        continue;
                    Bytes file = whole;
                    if (width == 2)
                        setLe16(file, at, v);
                    else
                        setLe32(file, at, v);
                    BmpStatus s;
                    ASSERT_TRUE(deterministic(file, s)) << "value " << v << " at " << at;
                    decoded += s == BmpStatus::Ok;
                }
    }
    EXPECT_GT(decoded, 1000);
}

TEST(BmpReader, RandomDamageIsRefusedOrDecodesTheSameEveryTime) {
    std::mt19937 random(77);
    const std::vector<Bytes> layouts = everyLayout();
    int decoded = 0;
    for (int round = 0; round < 6000; ++round) {
        Bytes file = layouts[round % layouts.size()];
        const int damages = 1 + int(random() % 6);
        for (int i = 0; i < damages; ++i) {
            const std::size_t at = random() % file.size();
            file[at] = random() % 3 == 0 ? std::uint8_t(random() % 4) : std::uint8_t(random());
        }
        if (random() % 3 == 0)
            file.resize(random() % (file.size() + 1));
        if (random() % 5 == 0)
            file.insert(file.end(), random() % 300, std::uint8_t(random()));
        file.shrink_to_fit();
        BmpStatus s;
        ASSERT_TRUE(deterministic(file, s)) << "round " << round;
        decoded += s == BmpStatus::Ok;
    }
    EXPECT_GT(decoded, 600);
}

TEST(BmpReader, DamagedIconEntriesAreRefusedOrDecodeTheSameEveryTime) {
    std::mt19937 random(5);
    Bytes icon = infoHeader({40, 9, 10, 32});
    append(icon, Bytes(9 * 5 * 4, 0x80));
    append(icon, Bytes(4 * 5, 0x5A));
    Bytes small = infoHeader({40, 6, 8, 4, 0, 16});
    append(small, paletteEntries(someColours(16), 4));
    append(small, Bytes(4 * 4 + 4 * 4, 0x3C));
    for (int round = 0; round < 4000; ++round) {
        Bytes dib = round % 2 ? icon : small;
        for (int i = 0; i < 1 + int(random() % 4); ++i)
            dib[random() % std::min<std::size_t>(dib.size(), 48)] = std::uint8_t(random());
        const std::int64_t bytes =
            random() % 3 == 0 ? std::int64_t(random() % (dib.size() + 1)) : std::int64_t(dib.size());
        for (DibKind kind : {DibKind::Packed, DibKind::IconEntry}) {
            const Decoded a = readDib(dib, kind, bytes, 0), b = readDib(dib, kind, bytes, 0xFFFFFFFFu);
            ASSERT_EQ(a.status, b.status) << "round " << round;
            if (a.status == BmpStatus::Ok) {
                ASSERT_TRUE(sameRaster(*a.raster, *b.raster)) << "round " << round;
            }
        }
    }
}

} // namespace
} // namespace tesmaro
