// The BMP reader on headers made byte by byte, and on pictures ImageMagick
// wrote for this run (a larger info header, padded rows).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "assets/bitmap.h"
#include "support/count_new.h"

namespace {

struct Header {
    uint32_t width = 4, height = 2;  // 0u - n stores a top-down picture
    uint16_t planes = 1, bpp = 24;
    uint32_t pixelOffset = 54;
};

// A 54-byte header, filler up to the pixel offset, then the pixel bytes. The
// fields the reader skips, the "BM" signature among them, hold filler.
std::string bmp(const Header& h, const std::string& pixels) {
    std::string bytes(std::max(54u, h.pixelOffset), '\x55');
    const uint32_t fields[][3] = {
        {10, h.pixelOffset, 4}, {18, h.width, 4}, {22, h.height, 4}, {26, h.planes, 2}, {28, h.bpp, 2}};
    for (const auto& f : fields)
        for (uint32_t i = 0; i < f[2]; ++i) bytes[f[0] + i] = char(f[1] >> (8 * i));
    return bytes + pixels;
}

struct Read {
    int ok;
    std::string output;
    std::vector<unsigned char> rgb;
    size_t allocations;
};

Read read(const std::string& path) {
    BitmapImage image;
    testing::internal::CaptureStdout();
    const size_t before = newCalls;
    const int ok = loadBitmap(path.c_str(), image);
    const size_t allocations = newCalls - before;
    Read r{ok, testing::internal::GetCapturedStdout(), {}, allocations};
    if (ok) r.rgb.assign(image.pixels.get(), image.pixels.get() + 3 * image.width * image.height);
    return r;
}

Read readBytes(const std::string& bytes) {
    std::ofstream("case.bmp", std::ios::binary) << bytes;
    return read("case.bmp");
}

// Four pixels a row, so no padding: blue 10, green 20, red 30 first.
const std::string twoRows = std::string("\x0a\x14\x1e", 3) + std::string(9, '\x01') +
                            std::string("\x10\x11\x12", 3) + std::string(9, '\x02');

TEST(Bitmap, EveryBadFileGetsItsOneLineAndNoPicture) {
    const struct { const char* name; std::string bytes, output; } cases[] = {
        {"planes", bmp({4, 2, 2, 24, 54}, twoRows), "Planes from case.bmp is not 1: 2\n"},
        {"palette", bmp({4, 2, 1, 8, 54}, twoRows), "Bpp from case.bmp is not 24: 8\n"},
        {"32 bits", bmp({4, 2, 1, 32, 54}, twoRows), "Bpp from case.bmp is not 24: 32\n"},
        {"cut in the header", bmp({}, "").substr(0, 27), "Planes from case.bmp is not 1: 0\n"},
        {"no width", bmp({0, 2, 1, 24, 54}, twoRows), "Error reading image data from case.bmp.\n"},
        {"short pixels", bmp({}, twoRows.substr(0, 23)), "Error reading image data from case.bmp.\n"},
        {"too large", bmp({20000, 1, 1, 24, 54}, ""),
         "Picture case.bmp is too large: 20000 x 1 pixels (at most 16384 a side)\n"},
    };
    for (const auto& c : cases) {
        const Read r = readBytes(c.bytes);
        EXPECT_TRUE(r.ok == 0 && r.output == c.output) << c.name << ": " << r.output;
        EXPECT_EQ(r.allocations, 0u) << c.name << ": refused before allocating";
    }
    EXPECT_EQ(read("no-such.bmp").output, "File Not Found : no-such.bmp\n");
}

TEST(Bitmap, PixelsComeBottomRowFirstInRedGreenBlue) {
    using Pixel = std::vector<unsigned char>;
    const Pixel first{30, 20, 10}, second{18, 17, 16};  // the first pixel of each stored row
    const struct { const char* name; std::string bytes; size_t rowBytes; Pixel bottom, top; } cases[] = {
        {"plain", bmp({}, twoRows), 12, first, second},
        {"top-down", bmp({4, 0u - 2u, 1, 24, 54}, twoRows), 12, second, first},
        {"pixels at 70", bmp({4, 2, 1, 24, 70}, twoRows), 12, first, second},
        {"offset below 54", bmp({4, 2, 1, 24, 20}, twoRows), 12, first, second},
        {"padded rows", bmp({1, 2, 1, 24, 54}, twoRows.substr(0, 4) + twoRows.substr(12, 3)), 3,
         first, second},
    };
    for (const auto& c : cases) {
        const Read r = readBytes(c.bytes);
        ASSERT_TRUE(r.ok == 1 && r.output.empty() && r.rgb.size() == 2 * c.rowBytes) << c.name;
        EXPECT_EQ(Pixel(r.rgb.begin(), r.rgb.begin() + 3), c.bottom) << c.name;
        EXPECT_EQ(Pixel(r.rgb.begin() + long(c.rowBytes), r.rgb.begin() + long(c.rowBytes) + 3), c.top)
            << c.name;
    }
}

// Written for this run by ImageMagick, in the fixture test `make_pictures`.
TEST(Bitmap, PicturesFromAnotherWriterReadUpright) {
    const struct { const char* file; size_t width, height, x, fromTop; std::vector<unsigned char> rgb; } cases[] = {
        {"magick-v5-64x64.bmp", 64, 64, 0, 0, {255, 0, 0}},  // a 124-byte info header, pixels at 138
        {"magick-v5-64x64.bmp", 64, 64, 0, 63, {0, 0, 255}},
        {"magick-bmp3-30x20.bmp", 30, 20, 0, 0, {30, 20, 10}},  // rows padded from 90 to 92 bytes
        {"magick-bmp3-30x20.bmp", 30, 20, 14, 9, {30, 20, 10}},
        {"magick-bmp3-30x20.bmp", 30, 20, 15, 10, {0, 255, 0}},
        {"magick-bmp3-30x20.bmp", 30, 20, 29, 0, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        const Read r = read(c.file);
        ASSERT_TRUE(r.ok && r.rgb.size() == 3 * c.width * c.height) << c.file << r.output;
        const auto at = r.rgb.begin() + long(3 * ((c.height - 1 - c.fromTop) * c.width + c.x));
        EXPECT_EQ(std::vector<unsigned char>(at, at + 3), c.rgb) << c.file << " " << c.x << " " << c.fromTop;
    }
}

}  // namespace
