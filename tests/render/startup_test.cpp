// The real game binary started as a process from a scratch working directory:
// what it prints, whether its window comes up, and how it ends.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
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
            dup2(open((dir_ / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
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
        int status = 0;
        if (!poll(seconds * 1000, 20, [&] { return waitpid(pid_, &status, WNOHANG) == pid_; }))
            return -1;
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    bool windowIsUp(int seconds) {
        const std::string search =
            "search --onlyvisible --pid " + std::to_string(pid_) + " --name '^Skorvane$'";
        return poll(seconds * 1000, 100, [&] { return xdotool(search); });
    }
    // Standard output so far (complete once the process has ended).
    std::string output() const {
        std::ostringstream text;
        text << std::ifstream(dir_ / "stdout.txt").rdbuf();
        return text.str();
    }

private:
    template <typename Done>
    static bool poll(int milliseconds, int every, Done done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            if (done()) return true;
            if (std::chrono::steady_clock::now() >= end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(every));
        }
    }

    fs::path dir_;
    pid_t pid_ = -1;
    bool exited_ = false;
};

// Presses a key with the pointer over the game window (client area at 100, 100).
bool pressInWindow(const char* key) {
    return xdotool("mousemove --sync 350 350") && xdotool(std::string("key ") + key);
}

}  // namespace

// With or without the craft the game loads in order, opens its window, runs, and quits with 0.
TEST(StartUpProcess, LoadsInOrderOpensTheWindowAndQuitsWithZeroWithOrWithoutTheMesh) {
    const std::string mesh = "file cessna500.m\nReading coordinates from cessna500.m\n";
    const struct { bool withMesh; const char* quitKey; std::string meshLines; } cases[] = {
        {true, "q", mesh}, {false, "Q", mesh + "Could not open file cessna500.m\n"}};
    for (const auto& c : cases) {
        std::vector<std::string> files = {"asteroid.bmp", "fire.bmp", "smoke.bmp"};
        if (c.withMesh) files.push_back("cessna500.m");
        GameProcess game(files);
        ASSERT_TRUE(game.windowIsUp(30)) << game.waitForExit(0) << "\n" << game.output();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        EXPECT_EQ(game.waitForExit(0), -1) << "the game keeps running";
        ASSERT_TRUE(pressInWindow(c.quitKey));
        ASSERT_EQ(game.waitForExit(20), 0);
        const std::string out = game.output();
        size_t last = 0;
        for (const std::string& line : {c.meshLines, std::string("trying to load asteroid.bmp\n"),
                                        std::string("trying to load fire.bmp\n"),
                                        std::string("trying to load smoke.bmp\n")}) {
            const size_t at = out.find(line, last);
            ASSERT_NE(at, std::string::npos) << "in order: " << line << "\n" << out;
            last = at;
        }
        EXPECT_EQ(out.find("Skorvane"), std::string::npos) << "no help text unless asked";
        EXPECT_EQ(out.find("File Not Found"), std::string::npos);
    }
}

TEST(StartUpProcess, MissingAsteroidPictureEndsStartUpWithOne) {
    GameProcess game({"fire.bmp", "smoke.bmp", "cessna500.m"});
    ASSERT_EQ(game.waitForExit(30), 1);
    const std::string out = game.output();
    EXPECT_NE(out.find("trying to load asteroid.bmp\nFile Not Found : asteroid.bmp\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("fire.bmp"), std::string::npos) << "later pictures are never tried";
}
