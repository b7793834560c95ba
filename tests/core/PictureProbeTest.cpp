// The header probes against headers built here: each format found by its content with the size
// its header states, the largest raster a decoder would set up (GIF images beyond the screen,
// ICO entries whose own header disagrees with the directory), the bombs of the damaged-file
// collection refused, other content refused whatever it claims, and every cut-off or randomly
// damaged header read inside its bytes and in a bounded number of steps.
#include "core/PictureProbe.h"
#include "core/PictureLimits.h"

#include "BmpFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

namespace tesmaro {
namespace {

using namespace tesmaro::testing;

void putBe16(Bytes& b, std::uint32_t v) {
    b.push_back(std::uint8_t(v >> 8));
    b.push_back(std::uint8_t(v));
}
void putBe32(Bytes& b, std::uint32_t v) {
    putBe16(b, v >> 16);
    putBe16(b, v & 0xFFFF);
}

Bytes pngHeader(std::uint32_t width, std::uint32_t height, int depth = 8) {
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putBe32(b, 13);
    append(b, {'I', 'H', 'D', 'R'});
    putBe32(b, width);
    putBe32(b, height);
    append(b, {std::uint8_t(depth), 2, 0, 0, 0, 0x12, 0x34, 0x56, 0x78}); // and a CRC
    append(b, {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
    return b;
}

Bytes jpegSegment(int marker, const Bytes& body) {
    Bytes b = {0xFF, std::uint8_t(marker)};
    putBe16(b, std::uint32_t(body.size() + 2));
    append(b, body);
    return b;
}

Bytes frameHeader(int marker, std::uint32_t width, std::uint32_t height, int components = 3) {
    Bytes body = {8};
    putBe16(body, height);
    putBe16(body, width);
    body.push_back(std::uint8_t(components));
    for (int c = 0; c < components; ++c)
        append(body, {std::uint8_t(c + 1), 0x11, 0});
    return jpegSegment(marker, body);
}

Bytes jpeg(int frameMarker, std::uint32_t width, std::uint32_t height) {
    Bytes b = {0xFF, 0xD8};
    append(b, jpegSegment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}));
    append(b, jpegSegment(0xE1, Bytes(3000, 0xFF))); // a large segment of marker-like bytes
    append(b, jpegSegment(0xDB, Bytes(65, 1)));
    append(b, frameHeader(frameMarker, width, height));
    append(b, jpegSegment(0xC4, Bytes(20, 0)));
    append(b, jpegSegment(0xDA, {3, 1, 0, 2, 0x11, 3, 0x11, 0, 63, 0})); // every component interleaved
    append(b, {0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD9});
    return b;
}

struct GifImage {
    std::uint32_t left, top, width, height;
};

Bytes gif(std::uint32_t screenWidth, std::uint32_t screenHeight, const std::vector<GifImage>& images) {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    putLe16(b, screenWidth);
    putLe16(b, screenHeight);
    append(b, {0x81, 0, 0}); // a global colour table of 4 entries
    append(b, Bytes(12, 0x40));
    append(b, {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0});
    for (const GifImage& i : images) {
        append(b, {0x21, 0xF9, 4, 0, 10, 0, 0, 0});
        b.push_back(0x2C);
        putLe16(b, i.left);
        putLe16(b, i.top);
        putLe16(b, i.width);
        putLe16(b, i.height);
        b.push_back(0x80); // a local colour table of 2 entries
        append(b, Bytes(6, 0x99));
        append(b, {2, 255});
        append(b, Bytes(255, 0x55));
        append(b, {3, 1, 2, 3, 0});
    }
    b.push_back(0x3B);
    return b;
}

struct IcoEntry {
    int listedWidth, listedHeight;
    Bytes image;
};

Bytes ico(const std::vector<IcoEntry>& entries, int type = 1) {
    Bytes b;
    putLe16(b, 0);
    putLe16(b, std::uint32_t(type));
    putLe16(b, std::uint32_t(entries.size()));
    std::uint32_t offset = 6 + 16 * std::uint32_t(entries.size());
    for (const IcoEntry& e : entries) {
        append(b, {std::uint8_t(e.listedWidth), std::uint8_t(e.listedHeight), 0, 0, 1, 0, 32, 0});
        putLe32(b, std::uint32_t(e.image.size()));
        putLe32(b, offset);
        offset += std::uint32_t(e.image.size());
    }
    for (const IcoEntry& e : entries)
        append(b, e.image);
    return b;
}

Bytes iconDib(std::int32_t width, std::int32_t height) {
    Bytes b = infoHeader({40, width, height, 32});
    append(b, Bytes(64, 0));
    return b;
}

PictureHeader probe(const Bytes& file) {
    MemoryBytes source(file.data(), file.size());
    return probePicture(source);
}

void expectSize(const PictureHeader& h, PictureFormat format, std::int64_t width, std::int64_t height) {
    EXPECT_EQ(h.format, format);
    EXPECT_TRUE(h.sizeKnown);
    EXPECT_EQ(h.width, width);
    EXPECT_EQ(h.height, height);
}

TEST(PictureProbe, ReadsTheSizeOfEachFormat) {
    PictureHeader h = probe(bmpFile(infoHeader({40, 640, -480, 24}), Bytes(100, 0)));
    expectSize(h, PictureFormat::Bmp, 640, 480);
    EXPECT_EQ(checkPicture(h), PictureCheck::Accepted);
    expectSize(probe(bmpFile(infoHeader({12, 300, 200, 8}), {})), PictureFormat::Bmp, 300, 200);
    expectSize(probe(bmpFile(infoHeader({124, 5, 7, 32}), {})), PictureFormat::Bmp, 5, 7);

    h = probe(pngHeader(1920, 1080, 16));
    expectSize(h, PictureFormat::Png, 1920, 1080);
    EXPECT_EQ(h.bitsPerChannel, 16);
    EXPECT_EQ(h.largestPixels, 1920 * 1080);

    h = probe(jpeg(0xC0, 1024, 768));
    expectSize(h, PictureFormat::Jpeg, 1024, 768);
    EXPECT_FALSE(h.progressive);
    EXPECT_EQ(h.components, 3);
    h = probe(jpeg(0xC2, 4000, 3000));
    expectSize(h, PictureFormat::Jpeg, 4000, 3000);
    EXPECT_TRUE(h.progressive);
    // Fill bytes before a marker, and stray bytes between segments (FF 00 among them), and a
    // comment and an APP1 whose length is below 2, as libjpeg skips them with a warning.
    Bytes odd = {0xFF, 0xD8, 0xFF, 0xFF, 0xFF};
    odd.push_back(0xE0);
    putBe16(odd, 4);
    append(odd, {0, 0, 0x13, 0x37, 0xFF, 0x00, 0xFF, 0xFE, 0, 0, 0x44, 0xFF, 0xE1, 0, 1});
    append(odd, frameHeader(0xC1, 33, 44, 1));
    h = probe(odd);
    expectSize(h, PictureFormat::Jpeg, 33, 44);
    EXPECT_EQ(h.components, 1);

    h = probe(gif(320, 200, {{0, 0, 320, 200}, {10, 10, 20, 20}}));
    expectSize(h, PictureFormat::Gif, 320, 200);
    EXPECT_EQ(h.images, 1);
    EXPECT_EQ(h.largestPixels, 320 * 200);

    h = probe(ico({{16, 16, iconDib(16, 32)}, {0, 0, pngHeader(256, 256)}}));
    expectSize(h, PictureFormat::Ico, 16, 16);
    EXPECT_EQ(h.images, 2);
    EXPECT_EQ(h.largestPixels, 256 * 256);
    EXPECT_EQ(checkPicture(h), PictureCheck::Accepted);
    expectSize(probe(ico({{32, 32, pngHeader(32, 32)}}, 2)), PictureFormat::Ico, 32, 32); // a cursor
    EXPECT_STREQ(pictureFormatName(PictureFormat::Jpeg), "jpeg");
}

TEST(PictureProbe, ALargerImageOrEntryCountsOverTheStatedSize) {
    // A GIF's first image reaching beyond its logical screen: the screen grows to hold it. Later
    // images are never decoded, however far out they lie.
    PictureHeader h = probe(gif(100, 100, {{60000, 5, 5000, 40}}));
    expectSize(h, PictureFormat::Gif, 100, 100);
    EXPECT_EQ(h.largestSide, 65000);
    EXPECT_EQ(h.largestPixels, 65000 * 100);
    EXPECT_EQ(checkPicture(h), PictureCheck::TooLarge);
    h = probe(gif(100, 100, {{0, 0, 10, 10}, {60000, 5, 5000, 40}, {0, 0, 65535, 65535}}));
    EXPECT_EQ(h.largestPixels, 100 * 100);
    EXPECT_EQ(checkPicture(h), PictureCheck::Accepted);
    h = probe(gif(0, 0, {{2, 3, 10, 20}}));
    expectSize(h, PictureFormat::Gif, 12, 23); // no screen: the first image's extent
    EXPECT_EQ(checkPicture(h), PictureCheck::Accepted);

    // An icon entry listed as 16 x 16 whose PNG or DIB says otherwise.
    h = probe(ico({{16, 16, pngHeader(20000, 20000)}}));
    expectSize(h, PictureFormat::Ico, 20000, 20000);
    EXPECT_EQ(checkPicture(h), PictureCheck::TooLarge);
    h = probe(ico({{16, 16, iconDib(16, 32)}, {16, 16, iconDib(30000, 2 * 30000)}}));
    expectSize(h, PictureFormat::Ico, 16, 16);
    EXPECT_EQ(h.largestPixels, std::int64_t(30000) * 30000);
    EXPECT_EQ(checkPicture(h), PictureCheck::TooLarge);
}

TEST(PictureProbe, RefusesBombsFast) {
    struct Bomb {
        const char* what;
        Bytes file;
    };
    const Bomb bombs[] = {
        {"JPEG 32767 x 32767 in a few KiB", jpeg(0xC0, 32767, 32767)},
        {"progressive JPEG 65535 x 65535", jpeg(0xC2, 65535, 65535)},
        {"JPEG 16385 x 16384", jpeg(0xC0, 16385, 16384)},
        {"PNG 100000 x 1", pngHeader(100000, 1)},
        {"PNG 20000 x 20000", pngHeader(20000, 20000)},
        {"PNG 2^31 - 1 high", pngHeader(1, 0x7FFFFFFF)},
        {"GIF screen 65535 x 65535", gif(65535, 65535, {{0, 0, 1, 1}})},
        {"GIF image 65535 x 65535 on a small screen", gif(16, 16, {{0, 0, 65535, 65535}})},
        {"BMP 16384 x 16385", bmpFile(infoHeader({40, 16384, 16385, 24}), {})},
        {"BMP 40000 x 1", bmpFile(infoHeader({40, 40000, 1, 8, 1}), {})},
        {"ICO with a DIB of 32767 x 32767", ico({{0, 0, iconDib(32767, 65534)}})},
    };
    for (const Bomb& b : bombs) {
        SCOPED_TRACE(b.what);
        const auto start = std::chrono::steady_clock::now();
        const PictureHeader h = probe(b.file);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
        EXPECT_TRUE(h.sizeKnown);
        EXPECT_EQ(checkPicture(h), PictureCheck::TooLarge);
    }
    // Just inside the limits.
    EXPECT_EQ(checkPicture(probe(jpeg(0xC0, 16384, 16384))), PictureCheck::Accepted);
    EXPECT_EQ(checkPicture(probe(pngHeader(32767, 8192))), PictureCheck::Accepted);
    EXPECT_EQ(checkPicture(probe(pngHeader(32768, 1))), PictureCheck::TooLarge);
}

// A JPEG whose frame has the given sampling factors (one byte per component, 0xHV) and whose
// first scan holds the first scanComponents of them.
Bytes sampledJpeg(int frameMarker, std::uint32_t width, std::uint32_t height, const Bytes& sampling,
                  int scanComponents) {
    Bytes frame = {8};
    putBe16(frame, height);
    putBe16(frame, width);
    frame.push_back(std::uint8_t(sampling.size()));
    for (std::size_t c = 0; c < sampling.size(); ++c)
        append(frame, {std::uint8_t(c + 1), sampling[c], 0});
    Bytes scan = {std::uint8_t(scanComponents)};
    for (int c = 0; c < scanComponents; ++c)
        append(scan, {std::uint8_t(c + 1), 0});
    append(scan, {0, 63, 0});
    Bytes b = {0xFF, 0xD8};
    append(b, jpegSegment(0xDB, Bytes(65, 1)));
    append(b, jpegSegment(frameMarker, frame));
    append(b, jpegSegment(0xC4, Bytes(20, 0)));
    append(b, jpegSegment(0xDA, scan));
    append(b, {0x12, 0x34, 0xFF, 0xD9});
    return b;
}

// The decoders' own buffers count too: Qt keeps 16-bit PNG channels at 8 bytes a pixel, and a
// JPEG decoder keeps every coefficient of a progressive or non-interleaved picture (2 bytes a
// sample in whole blocks): no buffer may pass the bytes of the largest 32-bit raster.
TEST(PictureProbe, DecoderBuffersBeyondTheRasterBoundAreRefused) {
    struct Case {
        const char* what;
        Bytes file;
        std::int64_t buffer;
        PictureCheck check;
    };
    const std::int64_t kBlocks16k = 2048 * 2048; // 8 x 8 blocks of a 16384 x 16384 component
    const Case cases[] = {
        {"8-bit PNG 16384 x 16384", pngHeader(16384, 16384, 8), kMaxPictureBytes, PictureCheck::Accepted},
        {"16-bit PNG 16384 x 8192", pngHeader(16384, 8192, 16), kMaxPictureBytes, PictureCheck::Accepted},
        {"16-bit PNG 16384 x 8193", pngHeader(16384, 8193, 16), 8 * 16384 * 8193, PictureCheck::TooLarge},
        {"16-bit PNG in an icon", ico({{0, 0, pngHeader(11586, 11586, 16)}}), 8LL * 11586 * 11586,
         PictureCheck::TooLarge},
        {"baseline interleaved 4:4:4", sampledJpeg(0xC0, 16384, 16384, {0x11, 0x11, 0x11}, 3),
         kMaxPictureBytes, PictureCheck::Accepted},
        {"baseline, first scan one component", sampledJpeg(0xC0, 16384, 16384, {0x11, 0x11, 0x11}, 1),
         3 * kBlocks16k * 128, PictureCheck::TooLarge},
        {"progressive 4:4:4", sampledJpeg(0xC2, 16384, 16384, {0x11, 0x11, 0x11}, 1), 3 * kBlocks16k * 128,
         PictureCheck::TooLarge},
        // 4:2:0: the colour components at half the resolution each way.
        {"progressive 4:2:0", sampledJpeg(0xC2, 16384, 16384, {0x22, 0x11, 0x11}, 1), kMaxPictureBytes,
         PictureCheck::Accepted},
        {"progressive grey", sampledJpeg(0xC2, 16384, 16384, {0x11}, 1), kMaxPictureBytes,
         PictureCheck::Accepted},
        // 9 x 9 pixels at 4:2:0: 2 x 2 blocks of luma, one block of each colour component.
        {"progressive 9 x 9 at 4:2:0", sampledJpeg(0xC2, 9, 9, {0x22, 0x11, 0x11}, 1), (4 + 1 + 1) * 128,
         PictureCheck::Accepted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PictureHeader h = probe(c.file);
        EXPECT_TRUE(h.sizeKnown);
        EXPECT_EQ(h.largestBuffer, std::max(c.buffer, 4 * h.largestPixels));
        EXPECT_EQ(checkPicture(h), c.check);
    }
    // A frame header without a scan after it counts as multi-scan (no decoder takes it anyway).
    Bytes noScan = sampledJpeg(0xC0, 16384, 16384, {0x11, 0x11, 0x11}, 3);
    noScan.resize(noScan.size() - 4 - 14);
    EXPECT_TRUE(probe(noScan).multiScan);
    EXPECT_EQ(checkPicture(probe(noScan)), PictureCheck::TooLarge);
}

TEST(PictureProbe, OtherContentIsNotAPictureWhateverItClaims) {
    const std::string xbm = "#define x_width 32767\n#define x_height 32767\nstatic char x_bits[] = {0x00};\n";
    const std::vector<Bytes> others = {
        {},
        Bytes(xbm.begin(), xbm.end()),
        {'I', 'I', 42, 0, 8, 0, 0, 0},                             // TIFF
        {'P', '6', '\n', '9', '9', '9', '9', '9', ' ', '9', '\n'}, // PPM
        {'B', 'A', 40, 0, 0, 0},                                   // an OS/2 bitmap array
        {'G', 'I', 'F', '8', '7'},                                 // cut inside the signature
        {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A},                   // likewise
        {0xFF, 0xD8},                                              // likewise
        {0, 0, 1, 0, 0, 0},                                        // an icon directory without entries
        {0, 0, 3, 0, 1, 0},                                        // nor type 1 or 2
        {'<', 's', 'v', 'g', '>'},
        {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'},
    };
    for (const Bytes& b : others) {
        const PictureHeader h = probe(b);
        EXPECT_EQ(h.format, PictureFormat::Unknown) << std::string(b.begin(), b.end());
        EXPECT_EQ(checkPicture(h), PictureCheck::NotAPicture);
    }
}

TEST(PictureProbe, HeadersWithoutASizeAreDamaged) {
    const std::vector<Bytes> damaged = {
        {'B', 'M', 0, 0},
        bmpFile(infoHeader({40, 0, 5, 24}), {}),
        bmpFile(infoHeader({200, 5, 5, 24}), {}),
        pngHeader(0, 5),
        pngHeader(5, 0x80000000u),
        [] {
            Bytes b = pngHeader(5, 5);
            b[12] = 'X'; // the first chunk is not IHDR
            return b;
        }(),
        [] {
            Bytes b = pngHeader(5, 5);
            b[33] = 0x7F; // IEND claims more than the file holds
            return b;
        }(),
        [] {
            Bytes b = pngHeader(5, 5);
            b.resize(b.size() - 12); // no IEND
            return b;
        }(),
        jpeg(0xC0, 10, 0), // a height given later by a DNL marker
        {0xFF, 0xD8, 0xFF, 0xDA, 0, 2, 0xFF, 0xC0, 0, 11, 8, 0, 1, 0, 1, 1}, // a scan before the frame
        {0xFF, 0xD8, 0xFF, 0xDB, 0, 1, 0xFF, 0xC0, 0, 11, 8, 0, 1, 0, 1, 1}, // a table's length below 2
        gif(10, 10, {}),                                                     // no image at all
        ico({{16, 16, Bytes(3, 0)}}),                                        // the first image unreadable
        ico({{16, 16, pngHeader(0xFFFFFFFFu, 0x80000000u)}}), // nor a PNG of sides beyond the format's
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const PictureHeader h = probe(damaged[i]);
        EXPECT_NE(h.format, PictureFormat::Unknown) << i;
        EXPECT_EQ(checkPicture(h), PictureCheck::Damaged) << i;
    }
    // An ICO whose directory promises more entries than the file holds.
    Bytes cut = ico({{16, 16, pngHeader(16, 16)}});
    setLe16(cut, 4, 500);
    EXPECT_EQ(checkPicture(probe(cut)), PictureCheck::Damaged);
}

// Every prefix of a file, and random damage to it: the probe stays inside the bytes (checked by
// the sanitizers), and a size it reports for a prefix is never larger than the whole file's.
TEST(PictureProbe, CutOffAndDamagedHeadersStayInsideTheirBytes) {
    const std::vector<Bytes> files = {
        bmpFile(infoHeader({40, 64, 48, 24}), Bytes(64 * 48 * 3, 1)),
        bmpFile(infoHeader({12, 6, 6, 8}), Bytes(800, 2)),
        pngHeader(300, 200),
        jpeg(0xC0, 900, 700),
        jpeg(0xC2, 90, 70),
        gif(50, 40, {{0, 0, 50, 40}, {10, 10, 100, 20}, {1, 2, 3, 4}}),
        ico({{16, 16, iconDib(16, 32)}, {48, 48, pngHeader(48, 48)}, {0, 0, iconDib(256, 512)}}),
    };
    for (const Bytes& whole : files) {
        const PictureHeader full = probe(whole);
        ASSERT_EQ(checkPicture(full), PictureCheck::Accepted);
        for (std::size_t n = 0; n <= whole.size(); ++n) {
            Bytes cut(whole.begin(), whole.begin() + n);
            cut.shrink_to_fit();
            const PictureHeader h = probe(cut);
            ASSERT_LE(h.largestPixels, full.largestPixels) << n;
            ASSERT_LE(h.largestSide, full.largestSide) << n;
            if (h.sizeKnown && full.format != PictureFormat::Gif && full.format != PictureFormat::Ico) {
                ASSERT_EQ(h.width, full.width) << n;
                ASSERT_EQ(h.height, full.height) << n;
            }
        }
    }
    std::mt19937 random(99);
    for (int round = 0; round < 20000; ++round) {
        Bytes file = files[round % files.size()];
        for (int i = 0; i < 1 + int(random() % 8); ++i)
            file[random() % std::min<std::size_t>(file.size(), 400)] =
                random() % 2 ? std::uint8_t(random()) : std::uint8_t(0xFF);
        if (random() % 3 == 0)
            file.resize(random() % (file.size() + 1));
        file.shrink_to_fit();
        const PictureHeader h = probe(file);
        if (checkPicture(h) == PictureCheck::Accepted) {
            ASSERT_TRUE(pictureSizeAllowed(h.width, h.height)) << round;
        }
    }
}

TEST(PictureProbe, WalksLongFilesInBoundedSteps) {
    // A megabyte of fill bytes, of empty segments, of GIF extension blocks: each ends by itself.
    Bytes fill = {0xFF, 0xD8};
    fill.insert(fill.end(), 1 << 20, 0xFF);
    EXPECT_EQ(checkPicture(probe(fill)), PictureCheck::Damaged);
    Bytes segments = {0xFF, 0xD8};
    for (int i = 0; i < 250000; ++i)
        append(segments, {0xFF, 0xFE, 0, 2});
    append(segments, frameHeader(0xC0, 7, 9));
    expectSize(probe(segments), PictureFormat::Jpeg, 7, 9);
    Bytes blocks = gif(8, 8, {});
    blocks.pop_back();
    for (int i = 0; i < 100000; ++i)
        append(blocks, {0x21, 0xFE, 3, 'a', 'b', 'c', 0});
    blocks.push_back(0x2C);
    append(blocks, {0, 0, 0, 0, 8, 0, 8, 0, 0, 2, 0, 0x3B});
    const PictureHeader h = probe(blocks);
    expectSize(h, PictureFormat::Gif, 8, 8);
    EXPECT_EQ(h.images, 1);
}

// A source that hands out at most a few bytes per call and fails past a point.
class StingySource final : public ByteSource {
public:
    StingySource(const Bytes& b, std::int64_t failFrom) : m_bytes(b.data(), b.size()), m_failFrom(failFrom) {}
    std::int64_t size() override { return m_bytes.size(); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* buffer, std::int64_t count) override {
        if (offset + count > m_failFrom)
            return -1;
        return m_bytes.readAt(offset, buffer, std::min<std::int64_t>(count, 3));
    }

private:
    MemoryBytes m_bytes;
    std::int64_t m_failFrom;
};

TEST(PictureProbe, ShortReadsGiveTheSameAnswerAndFailuresNoSize) {
    const std::vector<Bytes> files = {jpeg(0xC2, 640, 480), gif(30, 20, {{25, 0, 10, 30}}),
                                      ico({{16, 16, iconDib(16, 32)}, {0, 0, pngHeader(512, 64)}}),
                                      pngHeader(7, 8), bmpFile(infoHeader({40, 9, 10, 24}), {})};
    for (const Bytes& f : files) {
        const PictureHeader whole = probe(f);
        StingySource stingy(f, std::int64_t(f.size()));
        const PictureHeader h = probePicture(stingy);
        EXPECT_EQ(h.format, whole.format);
        EXPECT_EQ(h.width, whole.width);
        EXPECT_EQ(h.height, whole.height);
        EXPECT_EQ(h.largestPixels, whole.largestPixels);
        EXPECT_EQ(h.images, whole.images);
        StingySource failing(f, 20);
        EXPECT_NE(checkPicture(probePicture(failing)), PictureCheck::Accepted);
    }
}

} // namespace
} // namespace tesmaro
