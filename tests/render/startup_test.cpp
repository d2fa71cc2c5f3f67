// The real game binary started as a process from a scratch working directory:
// what it prints, whether its window comes up, and how it ends.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

bool xdotool(const std::string& args) {
    return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()) == 0;
}

class GameProcess {
public:
    // Copies the named data files into a fresh directory and starts the game there.
    explicit GameProcess(const std::vector<std::string>& files) {
        char pattern[] = "/tmp/skorvane-start-XXXXXX";
        dir_ = mkdtemp(pattern);
        for (const std::string& f : files) fs::copy_file(fs::path(SKORVANE_DATA_DIR) / f, dir_ / f);
        pid_ = fork();
        if (pid_ == 0) {
            const int out = open((dir_ / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            if (chdir(dir_.c_str()) != 0) _exit(126);
            execl(SKORVANE_BINARY, SKORVANE_BINARY, static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~GameProcess() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        fs::remove_all(dir_);
    }

    // Waits for the process to end; the exit status, or -1 if it still runs.
    int waitForExit(int seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    bool windowIsUp(int seconds) {
        const std::string search = "search --onlyvisible --pid " + std::to_string(pid_) + " --name '^Skorvane$'";
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < end) {
            if (xdotool(search)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    // Standard output so far (complete once the process has ended).
    std::string output() const {
        std::string text;
        if (FILE* in = std::fopen((dir_ / "stdout.txt").c_str(), "rb")) {
            char chunk[4096];
            size_t n = 0;
            while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0) text.append(chunk, n);
            std::fclose(in);
        }
        return text;
    }

private:
    fs::path dir_;
    pid_t pid_ = -1;
    bool exited_ = false;
};

const std::vector<std::string> allFiles = {"asteroid.bmp", "fire.bmp", "smoke.bmp", "cessna500.m"};

// Presses a key with the pointer over the game window (client area at 100, 100).
bool pressInWindow(const char* key) {
    return xdotool("mousemove --sync 350 350") && xdotool(std::string("key ") + key);
}

size_t positionOf(const std::string& text, const std::string& line) {
    return text.find(line);
}

}  // namespace

TEST(StartUpProcess, WithAllFilesLoadsInOrderOpensTheWindowAndQuitsWithZero) {
    GameProcess game(allFiles);
    ASSERT_TRUE(game.windowIsUp(30)) << "status " << game.waitForExit(0) << "\n" << game.output();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(game.waitForExit(0), -1) << "the game keeps running";
    ASSERT_TRUE(pressInWindow("q"));
    ASSERT_EQ(game.waitForExit(20), 0);
    const std::string out = game.output();
    const size_t mesh = positionOf(out, "file cessna500.m\nReading coordinates from cessna500.m\n");
    const size_t asteroid = positionOf(out, "trying to load asteroid.bmp\n");
    const size_t fire = positionOf(out, "trying to load fire.bmp\n");
    const size_t smoke = positionOf(out, "trying to load smoke.bmp\n");
    ASSERT_NE(mesh, std::string::npos) << out;
    ASSERT_NE(smoke, std::string::npos) << out;
    EXPECT_LT(mesh, asteroid);
    EXPECT_LT(asteroid, fire);
    EXPECT_LT(fire, smoke);
    EXPECT_EQ(out.find("Skorvane"), std::string::npos) << "no help text unless asked";
    EXPECT_EQ(out.find("File Not Found"), std::string::npos);
}

TEST(StartUpProcess, MissingAsteroidPictureEndsStartUpWithOne) {
    GameProcess game({"fire.bmp", "smoke.bmp", "cessna500.m"});
    ASSERT_EQ(game.waitForExit(30), 1);
    const std::string out = game.output();
    EXPECT_NE(out.find("trying to load asteroid.bmp\nFile Not Found : asteroid.bmp\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("fire.bmp"), std::string::npos) << "later pictures are never tried";
    EXPECT_EQ(out.find("smoke.bmp"), std::string::npos);
}

TEST(StartUpProcess, MissingMeshIsReportedAndTheGameRunsUntilUpperCaseQuit) {
    GameProcess game({"asteroid.bmp", "fire.bmp", "smoke.bmp"});
    ASSERT_TRUE(game.windowIsUp(30));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(game.waitForExit(0), -1) << "the game keeps running without a craft";
    ASSERT_TRUE(pressInWindow("Q"));
    ASSERT_EQ(game.waitForExit(20), 0);
    const std::string out = game.output();
    EXPECT_NE(out.find("Could not open file cessna500.m\n"), std::string::npos) << out;
    EXPECT_NE(out.find("trying to load smoke.bmp\n"), std::string::npos) << out;
}
