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
// requests shows what a header made it reserve. The other array forms are
// replaced to match, so every new[] meets its delete[].
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

    // Red, green, blue of a pixel counted from the bottom left, as one number.
    uint32_t rgb(uint32_t x, uint32_t row) const {
        const unsigned char* p = image.pixels.get() + (size_t(row) * image.width + x) * 3;
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
};

Loaded load(const std::string& path) {
    Loaded result;
    testing::internal::CaptureStdout();
    result.ok = loadBitmap(path.c_str(), result.image);
    std::fflush(stdout);
    result.output = testing::internal::GetCapturedStdout();
    return result;
}

TEST(BitmapTestdata, OffsetPixelsAndPaddedRowsReadUpright) {
    Loaded v5 = load(testdata + "/magick-v5-64x64.bmp");  // pixels at byte 138
    ASSERT_EQ(v5.ok, 1) << v5.output;
    EXPECT_EQ(v5.output, "");
    EXPECT_TRUE(v5.image.width == 64u && v5.image.height == 64u);
    for (uint32_t x = 0; x < 64; x += 9) {
        const uint32_t top = v5.rgb(x, 63), bottom = v5.rgb(x, 0);
        EXPECT_TRUE(top >> 16 >= 250 && (top & 0xffff) <= 5) << "red on top: " << std::hex << top;
        EXPECT_TRUE(bottom >> 8 <= 5 && (bottom & 0xff) >= 250)
            << "blue at the bottom: " << std::hex << bottom;
    }
    Loaded padded = load(testdata + "/magick-bmp3-30x20.bmp");
    ASSERT_EQ(padded.ok, 1) << padded.output;
    ASSERT_TRUE(padded.image.width == 30u && padded.image.height == 20u);
    for (uint32_t row = 0; row < 20; ++row)
        for (uint32_t x = 0; x < 30; ++x) {
            const uint32_t want = row >= 10 && x < 15   ? 0x1e140a
                                  : row < 10 && x >= 15 ? 0x00ff00
                                                        : 0;
            ASSERT_EQ(padded.rgb(x, row), want) << x << "," << row;
        }
}

TEST(BitmapLayout, ChannelsRowsSignatureOffsetAndTopDown) {
    ScratchDir dir;
    // Stored blue, green, red; bottom row first, then trailing bytes to ignore.
    const std::string rows(
        "\x0a\x14\x1e\1\2\3\4\5\6\7\x08\x09"
        "\x28\x32\x3c\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13",
        24);
    const BmpHeader noSignature{4, 2, 1, 24, 54, {'X', 'Y'}};
    Loaded l = load(dir.write("plain.bmp", bmpBytes(noSignature, rows + "trailing bytes")));
    ASSERT_EQ(l.ok, 1) << l.output;
    EXPECT_TRUE(l.image.width == 4u && l.image.height == 2u);
    EXPECT_EQ(l.rgb(0, 0), 0x1e140au);
    EXPECT_EQ(l.rgb(3, 0), 0x090807u);
    EXPECT_EQ(l.rgb(0, 1), 0x3c3228u);
    EXPECT_EQ(l.rgb(3, 1), 0x131211u);
    // The pixel offset counts from 54 up and is ignored below.
    for (uint32_t offset : {0u, 14u, 53u, 54u, 58u, 1078u}) {
        l = load(dir.write("offset.bmp", bmpBytes(BmpHeader{4, 2, 1, 24, offset}, rows)));
        ASSERT_EQ(l.ok, 1) << "offset " << offset << ": " << l.output;
        EXPECT_TRUE(l.rgb(0, 0) == 0x1e140au && l.rgb(0, 1) == 0x3c3228u) << "offset " << offset;
    }
    // A negative height stores the top row first.
    l = load(dir.write("topdown.bmp", bmpBytes(BmpHeader{4, 0u - 2u}, rows)));
    ASSERT_EQ(l.ok, 1) << l.output;
    EXPECT_EQ(l.image.height, 2u);
    EXPECT_TRUE(l.rgb(0, 0) == 0x3c3228u && l.rgb(0, 1) == 0x1e140au);
}

TEST(BitmapLayout, OurWriterRoundTripsPaddedAndUnpaddedWidths) {
    ScratchDir dir;
    for (uint32_t width : {1u, 2u, 3u, 4u, 30u, 64u}) {
        assetwriters::RgbPicture picture;
        picture.width = width;
        picture.height = 3;
        for (uint32_t i = 0; i < width * 3 * 3; ++i)
            picture.rgb.push_back(static_cast<unsigned char>(i * 7 + 1));
        const std::string path = dir.file("written.bmp");
        ASSERT_TRUE(assetwriters::writeBmp24(path.c_str(), picture));
        Loaded l = load(path);
        ASSERT_TRUE(l.ok == 1 && l.image.width == width) << l.output;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(l.image.pixels.get()), picture.rgb.size()),
                  std::string(picture.rgb.begin(), picture.rgb.end())) << "width " << width;
    }
}

TEST(BitmapFailures, HugeHeadersAreRefusedBeforeAnythingIsAllocated) {
    ScratchDir dir;
    largestPixelRequest = 0;
    Loaded atLimit =
        load(dir.write("big.bmp", bmpBytes(BmpHeader{16384, 16384}, std::string(300, '\0'))));
    EXPECT_EQ(atLimit.ok, 0);
    EXPECT_EQ(atLimit.output, "Error reading image data from " + dir.file("big.bmp") + ".\n");
    Loaded beyond = load(dir.write("huge.bmp", bmpBytes(BmpHeader{0xffffffffu, 0x7fffffffu}, "")));
    EXPECT_EQ(beyond.ok, 0);
    EXPECT_NE(beyond.output.find("is too large: 4294967295 x 2147483647"), std::string::npos);
    EXPECT_LT(largestPixelRequest, size_t(1) << 20);
}

}  // namespace
