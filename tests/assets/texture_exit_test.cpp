// Texture loading as a real process: the "trying to load " lines, each
// failure's message, exit status 1, and that later pictures are not tried.
#include <gtest/gtest.h>

#include <string>

#include "assets/test_files.h"

namespace {

const std::string probe = TEXTURE_PROBE;

std::string goodBmp() {
    BmpHeader h;
    return bmpBytes(h, std::string(24, '\x40'));
}

struct ExitCase {
    const char* what;
    std::string asteroid, fire, smoke;  // empty: file absent
    std::string expected;
    int status;
};

TEST(TextureLoading, FailuresEndTheProcessWithStatusOneAfterTheirMessage) {
    BmpHeader planes;
    planes.planes = 3;
    BmpHeader bpp8;
    bpp8.bpp = 8;
    BmpHeader bpp32;
    bpp32.bpp = 32;
    BmpHeader zero;
    zero.width = 0;
    BmpHeader huge;
    huge.width = 70000;
    const std::string good = goodBmp();
    const ExitCase cases[] = {
        {"all good", good, good, good,
         "trying to load asteroid.bmp\ntrying to load fire.bmp\ntrying to load smoke.bmp\n"
         "all three loaded\n",
         0},
        {"missing asteroid", "", good, good,
         "trying to load asteroid.bmp\nFile Not Found : asteroid.bmp\n", 1},
        {"bad planes in fire", good, bmpBytes(planes, ""), good,
         "trying to load asteroid.bmp\ntrying to load fire.bmp\nPlanes from fire.bmp is not 1: 3\n", 1},
        {"8-bit smoke", good, good, bmpBytes(bpp8, ""),
         "trying to load asteroid.bmp\ntrying to load fire.bmp\ntrying to load smoke.bmp\n"
         "Bpp from smoke.bmp is not 24: 8\n",
         1},
        {"32-bit asteroid", bmpBytes(bpp32, std::string(32, '\1')), good, good,
         "trying to load asteroid.bmp\nBpp from asteroid.bmp is not 24: 32\n", 1},
        {"zero width", bmpBytes(zero, ""), good, good,
         "trying to load asteroid.bmp\nError reading image data from asteroid.bmp.\n", 1},
        {"truncated fire", good, good.substr(0, 70), good,
         "trying to load asteroid.bmp\ntrying to load fire.bmp\n"
         "Error reading image data from fire.bmp.\n",
         1},
        {"huge asteroid", bmpBytes(huge, ""), good, good,
         "trying to load asteroid.bmp\n"
         "Picture asteroid.bmp is too large: 70000 x 2 pixels (at most 16384 a side)\n",
         1},
    };
    for (const ExitCase& c : cases) {
        ScratchDir dir;
        if (!c.asteroid.empty()) dir.write("asteroid.bmp", c.asteroid);
        if (!c.fire.empty()) dir.write("fire.bmp", c.fire);
        if (!c.smoke.empty()) dir.write("smoke.bmp", c.smoke);
        ProcessResult r = runProgram(probe, dir.path());
        EXPECT_EQ(r.output, c.expected) << c.what;
        EXPECT_EQ(r.exitStatus, c.status) << c.what;
    }
}

}  // namespace
