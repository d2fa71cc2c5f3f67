// Broken or missing data files: each texture failure ends start-up with its
// message and status 1; a missing mesh leaves the game running without a craft.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "checks.h"
#include "game_run.h"

namespace {

void put16(std::string& s, uint16_t v) {
    for (int i = 0; i < 2; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}
void put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// A BMP with a 40-byte info header and `pixelBytes` bytes of pixel data.
std::string bmp(uint32_t width, uint32_t height, uint16_t planes, uint16_t bpp, size_t pixelBytes) {
    std::string s = "BM";
    put32(s, static_cast<uint32_t>(54 + pixelBytes));
    put32(s, 0);
    put32(s, 54);
    put32(s, 40);
    put32(s, width);
    put32(s, height);
    put16(s, planes);
    put16(s, bpp);
    for (int i = 0; i < 6; ++i) put32(s, 0);
    for (size_t i = 0; i < pixelBytes; ++i) s.push_back(static_cast<char>(i * 7));
    return s;
}

struct BrokenCase {
    const char* name;     // test name suffix
    const char* file;     // which picture is broken
    std::string content;  // its bytes; empty: the file is missing
    // What follows its "trying to load " line: one of these whole lines, or, for
    // those without a line break, one line that begins with it.
    std::vector<std::string> messages;
};

void PrintTo(const BrokenCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<BrokenCase> brokenCases() {
    return {
        {"AsteroidMissing", "asteroid.bmp", "", {"File Not Found : asteroid.bmp\n"}},
        {"FireMissing", "fire.bmp", "", {"File Not Found : fire.bmp\n"}},
        {"PlanesTwo",
         "asteroid.bmp",
         bmp(16, 16, 2, 24, 768),
         {"Planes from asteroid.bmp is not 1: 2\n"}},
        {"EightBitPalette",
         "fire.bmp",
         bmp(16, 16, 1, 8, 256 + 1024),
         {"Bpp from fire.bmp is not 24: 8\n"}},
        {"ThirtyTwoBit",
         "smoke.bmp",
         bmp(16, 16, 1, 32, 1024),
         {"Bpp from smoke.bmp is not 24: 32\n"}},
        {"TruncatedPixels",
         "fire.bmp",
         bmp(16, 16, 1, 24, 700),
         {"Error reading image data from fire.bmp.\n"}},
        {"ZeroWidth",
         "smoke.bmp",
         bmp(0, 16, 1, 24, 0),
         {"Error reading image data from smoke.bmp.\n"}},
        {"ZeroHeight",
         "asteroid.bmp",
         bmp(16, 0, 1, 24, 48),
         {"Error reading image data from asteroid.bmp.\n"}},
        // 3 GiB of pixels announced, none present: refused before allocating, in one
        // line naming the file and the size.
        {"HugeSize",
         "asteroid.bmp",
         bmp(32768, 32768, 1, 24, 16),
         {"Picture asteroid.bmp is too large: 32768 x 32768 pixels"}},
        {"WiderThan32Bits",
         "fire.bmp",
         bmp(0x80000000u, 2, 1, 24, 16),
         {"Picture fire.bmp is too large: 2147483648 x 2 pixels"}},
        // Ends inside the header: the plane or bits-per-pixel test fails.
        {"EndsInHeader",
         "smoke.bmp",
         bmp(16, 16, 1, 24, 0).substr(0, 24),
         {"Planes from smoke.bmp is not 1: ", "Bpp from smoke.bmp is not 24: "}},
    };
}

std::string triesUpTo(const char* file) {
    std::string tries;
    for (const char* name : {"asteroid.bmp", "fire.bmp", "smoke.bmp"}) {
        tries += std::string("trying to load ") + name + "\n";
        if (std::string(name) == file) break;
    }
    return tries;
}

class BrokenFiles : public ::testing::TestWithParam<BrokenCase> {};

}  // namespace

TEST_P(BrokenFiles, StartUpEndsWithItsMessageAndStatusOne) {
    const BrokenCase& c = GetParam();
    GameRun game;
    if (c.content.empty())
        std::filesystem::remove(game.path(c.file));
    else
        writeFile(game.path(c.file), c.content);
    ASSERT_TRUE(game.start());
    ExitResult end = game.waitEnd(slowStart);
    EXPECT_TRUE(end.exited && end.status == 1) << describe(end) << "\n" << game.errors();

    std::string out = game.output();
    std::string mesh = meshPart(out);
    EXPECT_EQ(mesh.rfind("file cessna500.m\nReading coordinates from cessna500.m\n", 0), 0u) << out;
    std::string expectedTries = triesUpTo(c.file);
    std::string textures = out.substr(mesh.size());
    ASSERT_EQ(textures.substr(0, expectedTries.size()), expectedTries) << out;
    std::string message = textures.substr(expectedTries.size());
    bool matched = false;
    for (const std::string& m : c.messages)
        matched = matched || (m.back() == '\n' ? message == m
                                               : message.rfind(m, 0) == 0 &&
                                                     message.find('\n') == message.size() - 1);
    EXPECT_TRUE(matched) << "after the tries came: [" << message << "]";
    EXPECT_TRUE(noSanitizerReport(game.errors()));
}

INSTANTIATE_TEST_SUITE_P(Textures, BrokenFiles, ::testing::ValuesIn(brokenCases()),
                         [](const ::testing::TestParamInfo<BrokenCase>& param) {
                             return std::string(param.param.name);
                         });

// Without the mesh file the game reports it, loads the pictures and plays
// on without a craft: the lower middle of the window holds no craft.
TEST(MissingMesh, GameRunsWithoutCraft) {
    // Craft pixels: the lower middle, where the craft sits in front of the eye.
    auto craftPixels = [](const Image& image) {
        return countPixels(image, {150, 300, 200, 200}, isLit);
    };
    int withCraft = 0;
    {
        GameRun normal;
        ASSERT_TRUE(normal.start());
        ASSERT_TRUE(normal.waitUntilShown()) << normal.output();
        sleepSeconds(0.5);
        withCraft = craftPixels(normal.shot());
        normal.quit();
    }
    GameRun game;
    std::filesystem::remove(game.path("cessna500.m"));
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output();
    sleepSeconds(0.5);
    Image image = game.shot();
    int withoutCraft = craftPixels(image);
    EXPECT_EQ(livesBar(image).length, 125);
    ExitResult end = game.quit();
    EXPECT_TRUE(end.exited && end.status == 0) << describe(end);
    EXPECT_EQ(
        game.output(),
        "file cessna500.m\nReading coordinates from cessna500.m\nCould not open file cessna500.m\n"
        "trying to load asteroid.bmp\ntrying to load fire.bmp\ntrying to load smoke.bmp\n");
    EXPECT_GT(withCraft, 500) << "the craft shows in a normal game";
    EXPECT_LT(withoutCraft * 10, withCraft) << "no craft without its mesh";
}
