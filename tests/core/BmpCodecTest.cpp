// The BMP codec against files built byte by byte here: the writer's exact bytes for every row
// padding, the reader on every layout it takes (24/32 bits, either row order, gaps before the
// pixels, a last row without padding, short reads), the files it leaves to the general decoder,
// and randomly damaged headers, which must never make it read or write outside its buffers
// (this test also runs under AddressSanitizer).
#include "core/BmpCodec.h"

#include "TestRaster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace tesmaro {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TestRaster;

void putLe16(Bytes& b, std::uint32_t v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
void putLe32(Bytes& b, std::uint32_t v) {
    putLe16(b, v & 0xFFFF);
    putLe16(b, v >> 16);
}
void setLe32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

// A colour for every position, with an alpha byte that is neither 0 nor 0xFF.
std::uint32_t colourAt(int x, int y) {
    return 0x5A000000u | std::uint32_t((x * 37 + y * 11) & 255) << 16 |
           std::uint32_t((x * 5 + y * 71 + 9) & 255) << 8 | std::uint32_t((x ^ (y * 29)) & 255);
}

struct FileLayout {
    int width = 5;
    int height = 3; // negative: top-down
    int bits = 24;
    std::uint32_t infoBytes = 40;
    int gap = 0;                 // bytes between the headers and the pixels
    bool lastRowPadded = true;   // some writers leave the last row's padding out
    std::uint8_t padByte = 0xCD; // what fills the row padding
};

// A BMP file of colourAt(x, y); the fourth byte of 32-bit pixels holds a varying value.
Bytes buildFile(const FileLayout& s) {
    const int rows = std::abs(s.height);
    const int rowBytes = (s.width * s.bits / 8 + 3) / 4 * 4;
    const std::uint32_t offset = 14 + s.infoBytes + s.gap;
    Bytes f;
    f.push_back('B');
    f.push_back('M');
    putLe32(f, offset + rowBytes * rows);
    putLe32(f, 0);
    putLe32(f, offset);
    putLe32(f, s.infoBytes);
    putLe32(f, static_cast<std::uint32_t>(s.width));
    putLe32(f, static_cast<std::uint32_t>(s.height));
    putLe16(f, 1);
    putLe16(f, s.bits);
    putLe32(f, 0);
    putLe32(f, rowBytes * rows);
    putLe32(f, 2835);
    putLe32(f, 2835);
    putLe32(f, 0);
    putLe32(f, 0);
    while (f.size() < offset)
        f.push_back(0xEE);
    for (int i = 0; i < rows; ++i) {
        const int y = s.height < 0 ? i : rows - 1 - i;
        std::size_t start = f.size();
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t c = colourAt(x, y);
            f.push_back(std::uint8_t(c));
            f.push_back(std::uint8_t(c >> 8));
            f.push_back(std::uint8_t(c >> 16));
            if (s.bits == 32)
                f.push_back(std::uint8_t(x * 17 + y));
        }
        if (i + 1 < rows || s.lastRowPadded)
            while (f.size() - start < static_cast<std::size_t>(rowBytes))
                f.push_back(s.padByte);
    }
    return f;
}

// Reads `file` from `from` on, never past its end.
BmpByteSource sourceOf(const Bytes& file, std::size_t from, std::int64_t mostPerCall = 1 << 30) {
    auto pos = std::make_shared<std::size_t>(from);
    return [&file, pos, mostPerCall](std::uint8_t* buffer, std::int64_t bytes) -> std::int64_t {
        const std::int64_t left = *pos < file.size() ? std::int64_t(file.size() - *pos) : 0;
        const std::int64_t n = std::min({bytes, left, mostPerCall});
        std::memcpy(buffer, file.data() + *pos, static_cast<std::size_t>(n));
        *pos += static_cast<std::size_t>(n);
        return n;
    };
}

// What a plain file holds at (x, y), read straight from its bytes.
std::uint32_t filePixel(const Bytes& file, const BmpLayout& l, int x, int y) {
    const int fileRow = l.topDown ? y : l.height - 1 - y;
    const std::size_t at =
        static_cast<std::size_t>(l.pixelOffset + fileRow * l.rowBytes + x * (l.bitsPerPixel / 8));
    return 0xFF000000u | std::uint32_t(file.at(at + 2)) << 16 | std::uint32_t(file.at(at + 1)) << 8 |
           file.at(at);
}

::testing::AssertionResult decodedAsFile(const Bytes& file, const BmpLayout& l, const TestRaster& r) {
    for (int y = 0; y < l.height; ++y)
        for (int x = 0; x < l.width; ++x) {
            const std::uint32_t e = filePixel(file, l, x, y), a = r.at(x, y);
            if (e != a)
                return ::testing::AssertionFailure() << "expected " << std::hex << e << " at (" << std::dec
                                                     << x << ", " << y << "), got " << std::hex << a;
        }
    if (!r.paddingIntact())
        return ::testing::AssertionFailure() << "wrote outside the rows";
    return ::testing::AssertionSuccess();
}

TEST(BmpCodec, WritesTheExactFileForEveryRowPadding) {
    for (int width = 1; width <= 21; ++width)
        for (int height : {1, 2, 5}) {
            SCOPED_TRACE(::testing::Message() << width << "x" << height);
            TestRaster picture(width, height, 0, width + 3);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    picture.at(x, y) = colourAt(x, y);
            Bytes written;
            int pieces = 0;
            ASSERT_TRUE(encodeBmp24(picture.constView(), [&](const std::uint8_t* b, std::size_t n) {
                written.insert(written.end(), b, b + n);
                ++pieces;
                return true;
            }));
            EXPECT_EQ(pieces, 1);
            FileLayout layout;
            layout.width = width;
            layout.height = height;
            layout.padByte = 0;
            Bytes expected = buildFile(layout);
            setLe32(expected, 38, 3780); // 96 dots per inch
            setLe32(expected, 42, 3780);
            ASSERT_EQ(written.size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i)
                ASSERT_EQ(int(written[i]), int(expected[i])) << "byte " << i;
        }
}

TEST(BmpCodec, WritesLargePicturesInPiecesAndStopsAtAFailedOne) {
    TestRaster picture(1001, 300, 0);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 1001; ++x)
            picture.at(x, y) = colourAt(x, y);
    Bytes written;
    int pieces = 0;
    ASSERT_TRUE(encodeBmp24(picture.constView(), [&](const std::uint8_t* b, std::size_t n) {
        written.insert(written.end(), b, b + n);
        ++pieces;
        return true;
    }));
    EXPECT_GT(pieces, 1);
    const Bytes expected = [] {
        FileLayout layout;
        layout.width = 1001;
        layout.height = 300;
        layout.padByte = 0;
        Bytes e = buildFile(layout);
        setLe32(e, 38, 3780);
        setLe32(e, 42, 3780);
        return e;
    }();
    EXPECT_TRUE(written == expected);

    int calls = 0;
    EXPECT_FALSE(
        encodeBmp24(picture.constView(), [&](const std::uint8_t*, std::size_t) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

TEST(BmpCodec, WritesNoEmptyOrOversizedPicture) {
    std::uint32_t pixel = 0;
    int calls = 0;
    const auto sink = [&](const std::uint8_t*, std::size_t) { return ++calls > 0; };
    EXPECT_FALSE(encodeBmp24(ConstRasterView(), sink));
    EXPECT_FALSE(encodeBmp24(ConstRasterView(&pixel, 0, 1, 1), sink));
    EXPECT_FALSE(encodeBmp24(ConstRasterView(&pixel, 32768, 1, 32768), sink));
    EXPECT_FALSE(encodeBmp24(ConstRasterView(&pixel, 1, 32768, 1), sink));
    EXPECT_EQ(calls, 0);
}

TEST(BmpCodec, ReadsEveryPlainLayout) {
    std::vector<FileLayout> specs;
    for (int bits : {24, 32})
        for (int width : {1, 2, 3, 4, 5, 6, 7, 8, 15, 16, 17, 18, 19, 33, 50})
            for (int height : {1, 4, -1, -4})
                for (int gap : {0, 6})
                    for (bool padded : {true, false})
                        specs.push_back({width, height, bits, 40, gap, padded});
    for (std::uint32_t info : {108u, 124u})
        for (int height : {3, -3})
            specs.push_back({13, height, 24, info, 0, true});
    for (const FileLayout& s : specs) {
        SCOPED_TRACE(::testing::Message()
                     << s.width << "x" << s.height << " " << s.bits << " bits, header " << s.infoBytes
                     << ", gap " << s.gap << ", last row padded " << s.lastRowPadded);
        const Bytes file = buildFile(s);
        BmpLayout l;
        ASSERT_EQ(inspectBmp(file.data(), file.size(), std::int64_t(file.size()), 32767, l), BmpKind::Plain);
        EXPECT_EQ(l.width, s.width);
        EXPECT_EQ(l.height, std::abs(s.height));
        EXPECT_EQ(l.topDown, s.height < 0);
        EXPECT_EQ(l.pixelOffset, 14 + std::int64_t(s.infoBytes) + s.gap);
        // Rows whose start is not 16-byte aligned, with guard pixels after each.
        TestRaster out(l.width, l.height, 0, l.width + 1);
        ASSERT_TRUE(decodeBmpPixels(l, sourceOf(file, static_cast<std::size_t>(l.pixelOffset)), out.view()));
        EXPECT_TRUE(decodedAsFile(file, l, out));
        // and the file holds what it was built from
        EXPECT_EQ(out.at(l.width - 1, l.height - 1), 0xFF000000u | colourAt(l.width - 1, l.height - 1));
    }
}

TEST(BmpCodec, ReadsThroughManyPiecesAndShortReads) {
    const Bytes file = buildFile({701, -400, 24, 40, 2, true});
    BmpLayout l;
    ASSERT_EQ(inspectBmp(file.data(), file.size(), std::int64_t(file.size()), 32767, l), BmpKind::Plain);
    TestRaster out(l.width, l.height, 0);
    ASSERT_TRUE(decodeBmpPixels(l, sourceOf(file, static_cast<std::size_t>(l.pixelOffset), 999), out.view()));
    EXPECT_TRUE(decodedAsFile(file, l, out));
}

TEST(BmpCodec, StopsWhenReadsFailOrEndEarly) {
    const Bytes file = buildFile({9, 5, 24, 40, 0, true});
    BmpLayout l;
    ASSERT_EQ(inspectBmp(file.data(), file.size(), std::int64_t(file.size()), 32767, l), BmpKind::Plain);
    TestRaster out(l.width, l.height, 0);
    const Bytes shorter(file.begin(), file.end() - 10); // the file shrank after it was inspected
    EXPECT_FALSE(decodeBmpPixels(l, sourceOf(shorter, static_cast<std::size_t>(l.pixelOffset)), out.view()));
    EXPECT_FALSE(decodeBmpPixels(
        l, [](std::uint8_t*, std::int64_t) -> std::int64_t { return -1; }, out.view()));
    // A source that claims more than it was asked for is not believed.
    EXPECT_FALSE(decodeBmpPixels(
        l, [](std::uint8_t*, std::int64_t n) -> std::int64_t { return n + 1; }, out.view()));
    // A raster of another size is refused.
    TestRaster wrong(l.width + 1, l.height, 0);
    EXPECT_FALSE(decodeBmpPixels(l, sourceOf(file, static_cast<std::size_t>(l.pixelOffset)), wrong.view()));
    EXPECT_TRUE(out.paddingIntact());
}

TEST(BmpCodec, TellsWhichFilesItTakes) {
    const Bytes valid = buildFile({6, 4, 24, 40, 0, true});
    struct Case {
        const char* what;
        std::function<void(Bytes&)> change;
        BmpKind kind;
    };
    const auto le32At = [](std::size_t at, std::uint32_t v) { return [=](Bytes& b) { setLe32(b, at, v); }; };
    const auto le16At = [](std::size_t at, std::uint32_t v) {
        return [=](Bytes& b) {
            b[at] = std::uint8_t(v);
            b[at + 1] = std::uint8_t(v >> 8);
        };
    };
    const std::vector<Case> cases = {
        {"as built", [](Bytes&) {}, BmpKind::Plain},
        {"not BM", [](Bytes& b) { b[1] = 'A'; }, BmpKind::Other},
        {"core header", le32At(14, 12), BmpKind::Other},
        {"56-byte header", le32At(14, 56), BmpKind::Other},
        {"8 bits", le16At(28, 8), BmpKind::Other},
        {"16 bits", le16At(28, 16), BmpKind::Other},
        {"run lengths", le32At(30, 1), BmpKind::Other},
        {"bit fields", le32At(30, 3), BmpKind::Other},
        {"two planes", le16At(26, 2), BmpKind::Other},
        {"zero wide", le32At(18, 0), BmpKind::Other},
        {"negative width", le32At(18, 0xFFFFFFFA), BmpKind::Other},
        {"zero high", le32At(22, 0), BmpKind::Other},
        {"lowest height", le32At(22, 0x80000000u), BmpKind::Other},
        {"pixels inside the header", le32At(10, 40), BmpKind::Other},
        {"32767 wide", le32At(18, 32767), BmpKind::Truncated},
        {"32768 wide", le32At(18, 32768), BmpKind::Oversized},
        {"32768 high", le32At(22, 32768), BmpKind::Oversized},
        {"32768 high, top-down", le32At(22, std::uint32_t(-32768)), BmpKind::Oversized},
        {"five high", le32At(22, 5), BmpKind::Truncated},
        {"pixels start three bytes late", le32At(10, 57), BmpKind::Truncated},
        {"pixels start one byte late", le32At(10, 55), BmpKind::Plain}, // only the last padding is lost
        {"pixels start past the end", le32At(10, 0xFFFFFFFFu), BmpKind::Truncated},
        {"last pixel cut off", [](Bytes& b) { b.resize(b.size() - 2 - 1); }, BmpKind::Truncated},
        {"last row's padding cut off", [](Bytes& b) { b.resize(b.size() - 2); }, BmpKind::Plain},
        {"header cut off", [](Bytes& b) { b.resize(53); }, BmpKind::Other},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = valid;
        c.change(file);
        BmpLayout l;
        EXPECT_EQ(inspectBmp(file.data(), file.size(), std::int64_t(file.size()), 32767, l), c.kind);
    }
    // 32 bits with the larger headers may carry alpha in their masks: left to the general decoder.
    for (std::uint32_t info : {108u, 124u}) {
        const Bytes file = buildFile({6, 4, 32, info, 0, true});
        BmpLayout l;
        EXPECT_EQ(inspectBmp(file.data(), file.size(), std::int64_t(file.size()), 32767, l), BmpKind::Other)
            << info;
    }
}

// Random damage to the headers and the length of small valid files: whatever is taken as plain
// decodes inside its buffers to exactly what the bytes say.
TEST(BmpCodec, DamagedHeadersNeverLeadOutsideTheBuffers) {
    std::mt19937 random(20240611);
    const std::vector<Bytes> originals = {buildFile({7, 5, 24, 40, 0, true}),
                                          buildFile({5, -6, 32, 40, 3, true}),
                                          buildFile({9, 2, 24, 124, 0, false})};
    // Values that make sense in header fields, so that damaged files are often still taken.
    const std::uint32_t plausible[] = {0,  1,  2,  3,  4,  5,  7,   8,   12,         16,
                                       24, 32, 40, 54, 55, 60, 108, 124, 0xFFFFFFFF, 0xFFFFFFFB};
    int taken = 0;
    for (int round = 0; round < 30000; ++round) {
        Bytes file = originals[round % originals.size()];
        const int damages = 1 + int(random() % 4);
        for (int i = 0; i < damages; ++i) {
            const std::size_t at = random() % kBmpHeadBytes;
            if (random() % 2 && at + 4 <= file.size())
                setLe32(file, at, plausible[random() % std::size(plausible)]);
            else
                file[at] = std::uint8_t(random());
        }
        if (random() % 4 == 0)
            file.resize(random() % (file.size() + 1));
        file.shrink_to_fit(); // the sanitizer then sees the exact end
        BmpLayout l;
        const BmpKind kind = inspectBmp(file.data(), file.size(), std::int64_t(file.size()), 32767, l);
        if (kind != BmpKind::Plain)
            continue;
        ++taken;
        ASSERT_LE(l.pixelOffset + l.pixelBytes, std::int64_t(file.size()));
        TestRaster out(l.width, l.height, 0);
        ASSERT_TRUE(decodeBmpPixels(l, sourceOf(file, static_cast<std::size_t>(l.pixelOffset)), out.view()));
        ASSERT_TRUE(decodedAsFile(file, l, out)) << "round " << round;
    }
    EXPECT_GT(taken, 3000);
}

} // namespace
} // namespace tesmaro
