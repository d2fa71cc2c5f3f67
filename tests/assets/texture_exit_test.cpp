// Picture loading as a real process: the "trying to load " lines, every
// failure's message, exit status 1, and that later pictures are not tried.
#include <gtest/gtest.h>

#include <string>

#include "assets/test_files.h"

namespace {

const std::string absent = "(absent)";

struct Case {
    std::string asteroid, fire, smoke, expected;
};

void expectRun(const Case& c) {
    ScratchDir dir;
    if (c.asteroid != absent) dir.write("asteroid.bmp", c.asteroid);
    if (c.fire != absent) dir.write("fire.bmp", c.fire);
    if (c.smoke != absent) dir.write("smoke.bmp", c.smoke);
    const auto [output, status] = runProgram(TEXTURE_PROBE, dir.path());
    EXPECT_EQ(output, c.expected);
    EXPECT_EQ(status, c.expected.find("all three loaded") == std::string::npos ? 1 : 0)
        << c.expected;
}

const std::string good = bmpBytes(BmpHeader{}, std::string(24, '\x40'));
const std::string tryA = "trying to load asteroid.bmp\n", tryF = "trying to load fire.bmp\n",
                  tryS = "trying to load smoke.bmp\n";

TEST(TextureLoading, LoadsInOrderAndStopsAtTheFirstFailure) {
    const Case cases[] = {
        {good, good, good, tryA + tryF + tryS + "all three loaded\n"},
        {absent, good, good, tryA + "File Not Found : asteroid.bmp\n"},
        {good, bmpBytes(BmpHeader{4, 2, 3}, ""), good,
         tryA + tryF + "Planes from fire.bmp is not 1: 3\n"},
        {good, good, bmpBytes(BmpHeader{4, 2, 1, 8}, ""),
         tryA + tryF + tryS + "Bpp from smoke.bmp is not 24: 8\n"},
        {good, good.substr(0, 70), good, tryA + tryF + "Error reading image data from fire.bmp.\n"},
    };
    for (const Case& c : cases) expectRun(c);
}

TEST(TextureLoading, EveryBadHeaderOrBodyGetsItsOneLine) {
    const std::string pixels(24, '\x7f'), bare = bmpBytes(BmpHeader{4, 2}, "");
    const std::string planes = "Planes from asteroid.bmp is not 1: ";
    const std::string bpp = "Bpp from asteroid.bmp is not 24: ";
    const std::string data = "Error reading image data from asteroid.bmp.\n";
    const std::string large = "Picture asteroid.bmp is too large: ",
                      most = " pixels (at most 16384 a side)\n";
    const std::pair<std::string, std::string> cases[] = {
        {bmpBytes(BmpHeader{4, 2, 2}, pixels), planes + "2\n"},
        {bmpBytes(BmpHeader{4, 2, 1, 8}, pixels), bpp + "8\n"},
        {bmpBytes(BmpHeader{4, 2, 1, 32}, pixels + pixels), bpp + "32\n"},
        {bare.substr(0, 20), planes + "0\n"},  // ends before planes, inside planes, inside bpp
        {bare.substr(0, 27), planes + "0\n"},
        {bare.substr(0, 29), bpp + "0\n"},
        {"", planes + "0\n"},
        {bmpBytes(BmpHeader{0, 2}, pixels), data},
        {bmpBytes(BmpHeader{4, 0}, pixels), data},
        {bmpBytes(BmpHeader{4, 2}, pixels.substr(0, 23)), data},
        {bmpBytes(BmpHeader{3, 2}, std::string(20, '\1')), data},  // padded rows cut short
        {bmpBytes(BmpHeader{4, 2, 1, 24, 100000}, pixels).substr(0, 78), data},
        {bmpBytes(BmpHeader{16385, 1}, pixels), large + "16385 x 1" + most},
        {bmpBytes(BmpHeader{1, 0u - 20000u}, pixels), large + "1 x 20000" + most},  // top-down
        {bmpBytes(BmpHeader{1, 0x80000000u}, pixels), large + "1 x 2147483648" + most},
        {bmpBytes(BmpHeader{0u - 4u, 2}, pixels), large + "4294967292 x 2" + most},
        {bmpBytes(BmpHeader{70000, 2}, ""), large + "70000 x 2" + most},
    };
    for (const auto& [bytes, message] : cases) expectRun({bytes, good, good, tryA + message});
}

}  // namespace
