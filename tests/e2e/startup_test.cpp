// Start-up output, the help key and the quit key of the real game.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "checks.h"
#include "game_run.h"

namespace {

// The first three vertices and faces of the mesh file, as the summary prints them.
std::vector<std::string> expectedSummary(const std::string& meshPath) {
    std::ifstream in(meshPath);
    std::string line;
    std::vector<std::string> vertices, faces;
    char text[200];
    while (std::getline(in, line)) {
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) continue;
        const char* l = line.c_str() + first;
        float x, y, z;
        int a, b, c;
        if (vertices.size() < 3 && std::sscanf(l, "Vertex %*d %g %g %g", &x, &y, &z) == 3) {
            std::snprintf(text, sizeof text, "%f %f %f ", static_cast<double>(x),
                          static_cast<double>(y), static_cast<double>(z));
            vertices.push_back(text);
        }
        if (faces.size() < 3 && std::sscanf(l, "Face %*u %d %d %d", &a, &b, &c) == 3) {
            std::snprintf(text, sizeof text, "%d %d %d ", a, b, c);
            faces.push_back(text);
        }
    }
    const char* order[3] = {"first", "second", "third"};
    std::vector<std::string> summary;
    for (size_t i = 0; i < vertices.size() && i < faces.size(); ++i) {
        summary.push_back(std::string(order[i]) + " vertex: " + vertices[i]);
        summary.push_back(std::string(order[i]) + " face: " + faces[i]);
    }
    return summary;
}

int faceLinesWithAttributes(const std::string& meshPath) {
    std::ifstream in(meshPath);
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos && line.compare(first, 5, "Face ") == 0 &&
            line.find('{') != std::string::npos)
            ++n;
    }
    return n;
}

bool isColourEcho(const std::string& line) {
    float r, g, b;
    return line == "trying to parse color 1" || line == "trying to parse color 0" ||
           std::sscanf(line.c_str(), "set color to: %g %g %g", &r, &g, &b) == 3;
}

}  // namespace

// A normal start and quit: loader progress in order, nothing else, status 0.
TEST(Startup, LoadersReportInOrderAndQuitKeyEndsWithStatusZero) {
    GameRun game;
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    ExitResult end = game.quit();
    EXPECT_TRUE(end.exited && end.status == 0) << describe(end);

    std::vector<std::string> lines = splitLines(game.output());
    ASSERT_GE(lines.size(), 5u) << game.output();
    EXPECT_EQ(lines[0], "file cessna500.m");
    EXPECT_EQ(lines[1], "Reading coordinates from cessna500.m");
    size_t i = 2;
    int tries = 0;
    while (i < lines.size() && isColourEcho(lines[i])) {
        tries += lines[i].rfind("trying", 0) == 0 ? 1 : 0;
        ++i;
    }
    EXPECT_EQ(tries, faceLinesWithAttributes(game.path("cessna500.m")))
        << "one colour echo for each face line with an attribute block";
    std::vector<std::string> summary = expectedSummary(game.path("cessna500.m"));
    ASSERT_EQ(summary.size(), 6u) << "the generated mesh has at least three vertices and faces";
    for (const std::string& expected : summary) {
        ASSERT_LT(i, lines.size());
        EXPECT_EQ(lines[i++], expected);
    }
    std::vector<std::string> rest(lines.begin() + static_cast<long>(i), lines.end());
    EXPECT_EQ(rest,
              (std::vector<std::string>{"trying to load asteroid.bmp", "trying to load fire.bmp",
                                        "trying to load smoke.bmp"}))
        << "nothing but the three texture lines after the mesh, and no help at start-up";
    EXPECT_TRUE(noSanitizerReport(game.errors()));
}

// 'h' and 'H' each print the help text byte for byte; other keys print nothing.
TEST(Startup, HelpKeyPrintsHelpTextInEitherCase) {
    GameRun game;
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    pressKey("h");
    pressKey("H");
    pressKey("x");                 // no action, only a redisplay
    ExitResult end = game.quit();  // through 'q' unless already ended
    EXPECT_TRUE(end.exited && end.status == 0) << describe(end);

    std::string out = game.output();
    std::string loaders = "trying to load smoke.bmp\n";
    size_t after = out.find(loaders);
    ASSERT_NE(after, std::string::npos) << out;
    EXPECT_EQ(out.substr(after + loaders.size()), std::string(helpText) + helpText);
}

TEST(Startup, UpperCaseQuitKeyEndsWithStatusZero) {
    GameRun game;
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    pressKey("Q");
    ExitResult end = game.waitEnd(20);
    EXPECT_TRUE(end.exited && end.status == 0) << describe(end);
}

// Files written by other tools (a padded 24-bit BMP, one with a larger info
// header, a mesh from a mesh-processing tool) serve as the game's data.
TEST(Startup, DataFilesWrittenByOtherToolsServe) {
    const std::string testdata = SKORVANE_TESTDATA_DIR;
    if (!std::ifstream(testdata + "/cap.m")) GTEST_SKIP() << "no " << testdata;
    GameRun game;
    writeFile(game.path("cessna500.m"), readFile(testdata + "/cap.m"));
    writeFile(game.path("fire.bmp"), readFile(testdata + "/magick-bmp3-30x20.bmp"));
    writeFile(game.path("smoke.bmp"), readFile(testdata + "/magick-v5-64x64.bmp"));
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    sleepSeconds(0.3);
    Image image = game.shot();
    EXPECT_NEAR(livesBar(image).length, 125, 1);
    EXPECT_GT(countPixels(image, {150, 300, 200, 200}, isLit), 100)
        << "the mesh shows as the craft";
    keepIfFailed(image, "start");
    ExitResult end = game.quit();
    EXPECT_TRUE(end.exited && end.status == 0) << describe(end);
    std::string out = game.output();
    EXPECT_NE(out.find("first vertex: "), std::string::npos) << out;
    EXPECT_NE(
        out.find(
            "trying to load asteroid.bmp\ntrying to load fire.bmp\ntrying to load smoke.bmp\n"),
        std::string::npos)
        << out;
}
