// One run of the real game: a fresh working directory holding copies of the four
// data files, the process with its standard output in a file, its window and its end.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "process.h"
#include "x_display.h"

// Where the build put things (set by CMake).
std::string gameBinary();
std::string dataDir();

// The four data files, in the order the game reads them.
extern const char* const dataFiles[4];

// The clock is fixed at a known start for the game (through libfaketime), so
// its random seed, and with it the starting field, is the same in every run.
std::vector<std::string> fixedClockEnvironment();

struct GameRun {
    std::string dir;
    pid_t pid = -1;
    ExitResult end;
    bool ended = false;
    GameWindow window;
    bool fixedClock = true;  // start the game under libfaketime
    int restarts = 0;        // starts repeated after a failed connection to the X server

    GameRun();   // makes the directory with the four files
    ~GameRun();  // ends a game still running, removes the directory
    GameRun(const GameRun&) = delete;
    GameRun& operator=(const GameRun&) = delete;

    std::string path(const std::string& name) const { return dir + "/" + name; }

    // Starts the command (the game binary by default) in `workDir` (the run's
    // directory by default) with the fixed clock and the extra environment.
    bool start(std::vector<std::string> command = {}, std::vector<std::string> env = {},
               std::string workDir = {});
    // Waits for the window and its first overlay, then rests the pointer at its centre.
    bool waitUntilShown(double timeoutSeconds = 30);
    // Waits for the process to end by itself.
    ExitResult waitEnd(double timeoutSeconds = 30);
    // Sends 'q' and waits for the end.
    ExitResult quit(double timeoutSeconds = 30);
    bool running();

    std::string output() const { return readFile(path("stdout.txt")); }
    // True when the run ended because the game could not reach the X server.
    bool displayFailed();
    std::string errors() const { return readFile(path("stderr.txt")); }
    Image shot() const { return screenshot(window); }

private:
    std::vector<std::string> command_, env_;
    std::string workDir_;
    bool spawn();
    bool restartAfterDisplayFailure();
};

// Seconds to wait for things to show up; generous, since sanitizers and
// valgrind slow the game down many times.
constexpr double slowStart = 60;
