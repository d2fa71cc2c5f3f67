// The installed game: `cmake --install` into a prefix, the tree moved elsewhere,
// and the launcher started from an unrelated directory shows the game.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "checks.h"
#include "game_run.h"

namespace fs = std::filesystem;

namespace {

std::string desktopValue(const std::string& entry, const std::string& key) {
    std::istringstream in(entry);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return "";
}

bool executable(const fs::path& p) {
    struct stat st {};
    return stat(p.c_str(), &st) == 0 && (st.st_mode & S_IXUSR) != 0;
}

}  // namespace

TEST(Install, MovedInstallStartsFromAnyDirectoryAndShowsOverlay) {
    GameRun game;
    fs::path first = fs::path(game.dir) / "prefix";
    int status = -1;
    std::string log = runCommand(
        {SKORVANE_CMAKE_COMMAND, "--install", SKORVANE_BUILD_DIR, "--prefix", first.string()},
        &status, 120);
    ASSERT_EQ(status, 0) << log;

    EXPECT_TRUE(executable(first / "bin/skorvane"));
    EXPECT_TRUE(executable(first / "libexec/skorvane/skorvane"));
    for (const char* name : dataFiles)
        EXPECT_EQ(readFile((first / "share/skorvane" / name).string()), readFile(game.path(name)))
            << name;
    std::string desktop = readFile((first / "share/applications/skorvane.desktop").string());
    EXPECT_EQ(desktopValue(desktop, "Type"), "Application");
    EXPECT_EQ(desktopValue(desktop, "Exec"), "skorvane") << "the launcher's name in bin/";
    EXPECT_EQ(desktopValue(desktop, "Icon"), "skorvane");
    std::string icon =
        readFile((first / "share/icons/hicolor/scalable/apps/skorvane.svg").string());
    EXPECT_NE(icon.find("<svg"), std::string::npos);

    // Relocatable: the launcher finds its files relative to itself.
    fs::path moved = fs::path(game.dir) / "moved";
    fs::rename(first, moved);
    fs::path elsewhere = fs::path(game.dir) / "elsewhere";
    fs::create_directory(elsewhere);
    ASSERT_TRUE(game.start({(moved / "bin/skorvane").string()}, {}, elsewhere.string()));
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    sleepSeconds(0.3);
    Image image = game.shot();
    EXPECT_NEAR(livesBar(image).length, 125, 1);
    EXPECT_NEAR(rocketsBar(image).length, 75, 1);
    EXPECT_EQ(crosshairArms(image), 4);
    ExitResult end = game.quit();
    EXPECT_TRUE(end.exited && end.status == 0) << describe(end);
    EXPECT_NE(game.output().find("trying to load smoke.bmp\n"), std::string::npos) << game.output();
    EXPECT_TRUE(fs::is_empty(elsewhere)) << "the game writes no files";
}
