// The BMP reader on headers made byte by byte, and on pictures ImageMagick
// wrote for this run (a larger info header, padded rows).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "assets/bitmap.h"

extern std::size_t newCalls;  // support/count_new.cpp

namespace {

using Pixel = std::vector<unsigned char>;

// A 54-byte header, filler up to the pixel offset, then the pixel bytes. The
// fields the reader skips, the "BM" signature among them, hold filler; a height
// of 0u - n makes a top-down picture.
std::string bmp(const std::string& pixels, uint32_t width = 4, uint32_t height = 2,
                uint32_t planes = 1, uint32_t bpp = 24, uint32_t offset = 54) {
    std::string bytes(std::max(54u, offset), '\x55');
    const uint32_t fields[][3] = {
        {10, offset, 4}, {18, width, 4}, {22, height, 4}, {26, planes, 2}, {28, bpp, 2}};
    for (const auto& [at, value, size] : fields)
        for (uint32_t i = 0; i < size; ++i) bytes[at + i] = char(value >> (8 * i));
    return bytes + pixels;
}

struct Read {
    int ok;
    std::string output;
    size_t allocations;
    BitmapImage image;
    Pixel at(uint32_t x, uint32_t fromTop) const {  // one pixel, counted from the top left
        const unsigned char* p =
            image.pixels.get() + 3 * ((image.height - 1 - fromTop) * image.width + x);
        return Pixel(p, p + 3);
    }
};

Read read(const std::string& path) {
    Read r;
    testing::internal::CaptureStdout();
    const size_t before = newCalls;
    r.ok = loadBitmap(path.c_str(), r.image);
    r.allocations = newCalls - before;
    r.output = testing::internal::GetCapturedStdout();
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
    const std::string badData = "Error reading image data from case.bmp.\n";
    const std::pair<std::string, std::string> cases[] = {
        {bmp(twoRows, 4, 2, 2), "Planes from case.bmp is not 1: 2\n"},
        {bmp(twoRows, 4, 2, 1, 8), "Bpp from case.bmp is not 24: 8\n"},
        {bmp(twoRows, 4, 2, 1, 32), "Bpp from case.bmp is not 24: 32\n"},
        {bmp("").substr(0, 27), "Planes from case.bmp is not 1: 0\n"},  // cut in the header
        {bmp(twoRows, 0), badData},
        {bmp(twoRows.substr(0, 23)), badData},
        {bmp("", 20000, 1),
         "Picture case.bmp is too large: 20000 x 1 pixels (at most 16384 a side)\n"},
    };
    for (const auto& [bytes, output] : cases) {
        const Read r = readBytes(bytes);
        EXPECT_TRUE(r.ok == 0 && r.output == output) << r.output;
        EXPECT_EQ(r.allocations, 0u) << output << "refused before allocating";
    }
}

// The last two files were written for this run by ImageMagick, in the fixture
// test `make_pictures`: a 124-byte info header with the pixels at byte 138, and
// 5-pixel rows padded from 15 to 16 bytes (padding counted in pixels would be 3).
TEST(Bitmap, PixelsReadUprightInRedGreenBlue) {
    const std::string bottomUp = bmp(twoRows), topDown = bmp(twoRows, 4, 0u - 2u);
    const std::tuple<std::string, uint32_t, uint32_t, Pixel> cases[] = {
        {bottomUp, 0, 0, {18, 17, 16}},
        {bottomUp, 0, 1, {30, 20, 10}},
        {topDown, 0, 0, {30, 20, 10}},
        {bmp(twoRows, 4, 2, 1, 24, 20), 0, 1, {30, 20, 10}},  // an offset below 54 counts as 54
        {"magick-v5-64x64.bmp", 0, 0, {255, 0, 0}},
        {"magick-v5-64x64.bmp", 63, 63, {0, 0, 255}},
        {"magick-bmp3-5x4.bmp", 1, 1, {30, 20, 10}},
        {"magick-bmp3-5x4.bmp", 2, 2, {0, 255, 0}},
        {"magick-bmp3-5x4.bmp", 4, 3, {0, 255, 0}},
        {"magick-bmp3-5x4.bmp", 4, 0, {0, 0, 0}},
    };
    for (const auto& [file, x, fromTop, rgb] : cases) {
        const Read r = file.rfind("magick", 0) == 0 ? read(file) : readBytes(file);
        ASSERT_TRUE(r.ok && r.output.empty()) << r.output;
        EXPECT_EQ(r.at(x, fromTop), rgb) << file.substr(0, 20) << " " << x << " " << fromTop;
    }
}

}  // namespace
