// BMP reading: real files from other tools, hand-made and hostile headers,
// every failure message, and that huge headers allocate nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "assets/bitmap.h"
#include "assets/test_files.h"
#include "tools/asset_writers.h"

namespace {
size_t largestPixelRequest = 0;
}

// The reader allocates its pixel buffer with nothrow new[]; recording the
// requests shows what a header made it reserve.
// The other array forms are replaced to match, so every new[] meets its delete[].
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    if (size > largestPixelRequest) largestPixelRequest = size;
    return std::malloc(size ? size : 1);
}
void* operator new[](size_t size) {
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

const std::string testdata = SKORVANE_TESTDATA;

struct Loaded {
    int ok = 0;
    std::string output;
    BitmapImage image;
};

Loaded load(const std::string& path) {
    Loaded result;
    testing::internal::CaptureStdout();
    result.ok = loadBitmap(path.c_str(), result.image);
    std::fflush(stdout);
    result.output = testing::internal::GetCapturedStdout();
    return result;
}

const unsigned char* pixelAt(const BitmapImage& image, uint32_t x, uint32_t rowFromBottom) {
    return image.pixels.get() + (size_t(rowFromBottom) * image.width + x) * 3;
}

void expectRgb(const BitmapImage& image, uint32_t x, uint32_t row, int r, int g, int b) {
    const unsigned char* p = pixelAt(image, x, row);
    EXPECT_EQ(int(p[0]), r) << "red at " << x << "," << row;
    EXPECT_EQ(int(p[1]), g) << "green at " << x << "," << row;
    EXPECT_EQ(int(p[2]), b) << "blue at " << x << "," << row;
}

// Pixel bytes as stored: blue, green, red.
std::string bgr(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values) bytes.push_back(char(v));
    return bytes;
}

TEST(BitmapTestdata, LargeInfoHeaderReadsFromItsPixelOffsetUpright) {
    Loaded l = load(testdata + "/magick-v5-64x64.bmp");
    ASSERT_EQ(l.ok, 1) << l.output;
    EXPECT_EQ(l.output, "");
    EXPECT_EQ(l.image.width, 64u);
    EXPECT_EQ(l.image.height, 64u);
    for (uint32_t x = 0; x < 64; x += 9) {
        const unsigned char* top = pixelAt(l.image, x, 63);
        const unsigned char* bottom = pixelAt(l.image, x, 0);
        EXPECT_GE(top[0], 250);  // red on top
        EXPECT_LE(top[2], 5);
        EXPECT_LE(bottom[0], 5);  // blue at the bottom
        EXPECT_GE(bottom[2], 250);
        EXPECT_EQ(top[1], 0);
    }
}

TEST(BitmapTestdata, PaddedRowsKeepTheirBlocksInPlace) {
    Loaded l = load(testdata + "/magick-bmp3-30x20.bmp");
    ASSERT_EQ(l.ok, 1) << l.output;
    ASSERT_EQ(l.image.width, 30u);
    ASSERT_EQ(l.image.height, 20u);
    for (uint32_t row = 0; row < 20; ++row) {
        for (uint32_t x = 0; x < 30; ++x) {
            bool topLeft = row >= 10 && x < 15, bottomRight = row < 10 && x >= 15;
            if (topLeft) expectRgb(l.image, x, row, 30, 20, 10);
            else if (bottomRight) expectRgb(l.image, x, row, 0, 255, 0);
            else expectRgb(l.image, x, row, 0, 0, 0);
        }
    }
}

TEST(BitmapLayout, ChannelsSwappedRowsBottomFirstSignatureAndTrailingBytesIgnored) {
    ScratchDir dir;
    BmpHeader h;
    h.signature[0] = 'X';
    h.signature[1] = 'Y';
    std::string rows = bgr({10, 20, 30, 1, 2, 3, 4, 5, 6, 7, 8, 9,            // bottom row
                            40, 50, 60, 11, 12, 13, 14, 15, 16, 17, 18, 19});  // top row
    Loaded l = load(dir.write("plain.bmp", bmpBytes(h, rows + "trailing bytes")));
    ASSERT_EQ(l.ok, 1) << l.output;
    EXPECT_EQ(l.image.width, 4u);
    EXPECT_EQ(l.image.height, 2u);
    expectRgb(l.image, 0, 0, 30, 20, 10);
    expectRgb(l.image, 3, 0, 9, 8, 7);
    expectRgb(l.image, 0, 1, 60, 50, 40);
    expectRgb(l.image, 3, 1, 19, 18, 17);
}

TEST(BitmapLayout, TopDownFileIsFlippedUpright) {
    ScratchDir dir;
    BmpHeader h;
    h.height = 0u - 2u;
    std::string rows = bgr({40, 50, 60, 0, 0, 0, 0, 0, 0, 0, 0, 0,    // top row first
                            10, 20, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // then the bottom
    Loaded l = load(dir.write("topdown.bmp", bmpBytes(h, rows)));
    ASSERT_EQ(l.ok, 1) << l.output;
    EXPECT_EQ(l.image.height, 2u);
    expectRgb(l.image, 0, 0, 30, 20, 10);
    expectRgb(l.image, 0, 1, 60, 50, 40);
}

TEST(BitmapLayout, PixelOffsetUsedFrom54UpAndIgnoredBelow) {
    ScratchDir dir;
    std::string rows = bgr({10, 20, 30, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2});
    for (uint32_t offset : {0u, 14u, 53u, 54u, 58u, 1078u}) {
        BmpHeader h;
        h.dataOffset = offset;
        std::string bytes = bmpBytes(h, rows);
        Loaded l = load(dir.write("offset.bmp", bytes));
        ASSERT_EQ(l.ok, 1) << "offset " << offset << ": " << l.output;
        expectRgb(l.image, 0, 0, 30, 20, 10);
        expectRgb(l.image, 0, 1, 2, 2, 2);
    }
}

TEST(BitmapLayout, OurWriterRoundTripsPaddedAndUnpaddedWidths) {
    ScratchDir dir;
    for (uint32_t width : {1u, 2u, 3u, 4u, 30u, 64u}) {
        assetwriters::RgbPicture picture;
        picture.width = width;
        picture.height = 3;
        for (uint32_t i = 0; i < width * 3 * 3; ++i) picture.rgb.push_back(static_cast<unsigned char>(i * 7 + 1));
        std::string path = dir.file("written.bmp");
        ASSERT_TRUE(assetwriters::writeBmp24(path.c_str(), picture));
        Loaded l = load(path);
        ASSERT_EQ(l.ok, 1) << l.output;
        ASSERT_EQ(l.image.width, width);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(l.image.pixels.get()), picture.rgb.size()),
                  std::string(picture.rgb.begin(), picture.rgb.end()))
            << "width " << width;
    }
}

struct FailureCase {
    const char* what;
    std::string bytes;
    std::string message;  // %s stands for the path
};

std::string withPath(std::string message, const std::string& path) {
    size_t at = message.find("%s");
    if (at != std::string::npos) message.replace(at, 2, path);
    return message;
}

BmpHeader header(uint32_t w, uint32_t h, uint16_t planes = 1, uint16_t bpp = 24) {
    BmpHeader b;
    b.width = w;
    b.height = h;
    b.planes = planes;
    b.bpp = bpp;
    return b;
}

TEST(BitmapFailures, EveryFailureNamesTheFileAndReturnsZero) {
    const std::string pixels8(24, '\x7f');
    BmpHeader farOffset = header(4, 2);
    farOffset.dataOffset = 100000;
    const FailureCase cases[] = {
        {"two planes", bmpBytes(header(4, 2, 2), pixels8), "Planes from %s is not 1: 2\n"},
        {"8-bit palette", bmpBytes(header(4, 2, 1, 8), pixels8), "Bpp from %s is not 24: 8\n"},
        {"32-bit", bmpBytes(header(4, 2, 1, 32), pixels8 + pixels8), "Bpp from %s is not 24: 32\n"},
        {"ends at byte 20", bmpBytes(header(4, 2), "").substr(0, 20), "Planes from %s is not 1: 0\n"},
        {"ends inside planes", bmpBytes(header(4, 2), "").substr(0, 27), "Planes from %s is not 1: 0\n"},
        {"ends inside bpp", bmpBytes(header(4, 2), "").substr(0, 29), "Bpp from %s is not 24: 0\n"},
        {"empty file", "", "Planes from %s is not 1: 0\n"},
        {"width 0", bmpBytes(header(0, 2), pixels8), "Error reading image data from %s.\n"},
        {"height 0", bmpBytes(header(4, 0), pixels8), "Error reading image data from %s.\n"},
        {"truncated pixels", bmpBytes(header(4, 2), pixels8.substr(0, 23)),
         "Error reading image data from %s.\n"},
        {"truncated padded rows", bmpBytes(header(3, 2), std::string(20, '\1')),
         "Error reading image data from %s.\n"},
        {"offset past the end", bmpBytes(farOffset, pixels8).substr(0, 78),
         "Error reading image data from %s.\n"},
        {"too wide", bmpBytes(header(16385, 1), pixels8),
         "Picture %s is too large: 16385 x 1 pixels (at most 16384 a side)\n"},
        {"too tall top-down", bmpBytes(header(1, 0u - 20000u), pixels8),
         "Picture %s is too large: 1 x 20000 pixels (at most 16384 a side)\n"},
        {"height field minus 2^31", bmpBytes(header(1, 0x80000000u), pixels8),
         "Picture %s is too large: 1 x 2147483648 pixels (at most 16384 a side)\n"},
        {"negative width", bmpBytes(header(0u - 4u, 2), pixels8),
         "Picture %s is too large: 4294967292 x 2 pixels (at most 16384 a side)\n"},
    };
    ScratchDir dir;
    for (const FailureCase& c : cases) {
        std::string path = dir.write("bad.bmp", c.bytes);
        Loaded l = load(path);
        EXPECT_EQ(l.ok, 0) << c.what;
        EXPECT_EQ(l.output, withPath(c.message, path)) << c.what;
    }
    Loaded missing = load(dir.file("no-such.bmp"));
    EXPECT_EQ(missing.ok, 0);
    EXPECT_EQ(missing.output, "File Not Found : " + dir.file("no-such.bmp") + "\n");
}

TEST(BitmapFailures, HugeHeadersAreRefusedBeforeAnythingIsAllocated) {
    ScratchDir dir;
    largestPixelRequest = 0;
    Loaded atLimit = load(dir.write("big.bmp", bmpBytes(header(16384, 16384), std::string(300, '\0'))));
    EXPECT_EQ(atLimit.ok, 0);
    EXPECT_EQ(atLimit.output, "Error reading image data from " + dir.file("big.bmp") + ".\n");
    Loaded beyond = load(dir.write("huge.bmp", bmpBytes(header(0xffffffffu, 0x7fffffffu), "")));
    EXPECT_EQ(beyond.ok, 0);
    EXPECT_NE(beyond.output.find("is too large: 4294967295 x 2147483647"), std::string::npos);
    EXPECT_LT(largestPixelRequest, size_t(1) << 20);
}

}  // namespace
