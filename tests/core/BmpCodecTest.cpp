// The BMP writer against files built byte by byte here: its exact bytes for every row padding,
// large pictures in pieces, a failing sink, and pictures it must not write.
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

} // namespace
} // namespace tesmaro
