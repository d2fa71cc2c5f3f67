// Starting, watching and ending the real game for a test.
#include "game_run.h"

#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "measure.h"

namespace fs = std::filesystem;

const char* const dataFiles[4] = {"cessna500.m", "asteroid.bmp", "fire.bmp", "smoke.bmp"};

std::string gameBinary() {
    return SKORVANE_GAME_BINARY;
}
std::string dataDir() {
    return SKORVANE_DATA_DIR;
}

std::vector<std::string> fixedClockEnvironment() {
    const char* asan = getenv("ASAN_OPTIONS");
    std::string asanOptions = std::string(asan != nullptr ? asan : "");
    // A sanitized game wants its runtime first; libfaketime comes before it here.
    asanOptions += std::string(asanOptions.empty() ? "" : ":") + "verify_asan_link_order=0";
    return {std::string("LD_PRELOAD=") + SKORVANE_FAKETIME_LIBRARY, "FAKETIME=@2026-01-01 00:00:00",
            "ASAN_OPTIONS=" + asanOptions};
}

GameRun::GameRun() {
    std::string pattern = (fs::temp_directory_path() / "skorvane-e2e-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::perror("mkdtemp");
    dir = pattern;
    for (const char* name : dataFiles)
        fs::copy_file(fs::path(dataDir()) / name, fs::path(dir) / name);
}

GameRun::~GameRun() {
    if (pid > 0 && !ended) {
        kill(pid, SIGKILL);
        waitForExit(pid, 10);
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

bool GameRun::start(std::vector<std::string> command, std::vector<std::string> env,
                    std::string workDir) {
    command_ = command.empty() ? std::vector<std::string>{gameBinary()} : command;
    env_ = env;
    workDir_ = workDir.empty() ? dir : workDir;
    restarts = 0;
    return spawn();
}

bool GameRun::spawn() {
    // The pointer waits outside the window, so that the first motion into it is a real one.
    movePointerOnScreen(20, 20);
    std::vector<std::string> environment;
    if (fixedClock) environment = fixedClockEnvironment();
    environment.insert(environment.end(), env_.begin(), env_.end());
    SpawnOptions options;
    options.workDir = workDir_;
    options.stdoutPath = path("stdout.txt");
    options.stderrPath = path("stderr.txt");
    options.extraEnv = environment;
    pid = spawnProgram(command_, options);
    ended = false;
    return pid > 0;
}

bool GameRun::displayFailed() {
    return !running() && errors().find("failed to open display") != std::string::npos;
}

// A connection to the X server now and then fails on this kind of machine
// before the server sees it; such a run never reached the game, so it is repeated.
bool GameRun::restartAfterDisplayFailure() {
    if (restarts >= 5 || !displayFailed()) return false;
    ++restarts;
    std::fprintf(stderr, "the game could not reach the X server; starting it again\n");
    return spawn();
}

bool GameRun::running() {
    if (ended) return false;
    if (stillRunning(pid, &end)) return true;
    ended = true;
    return false;
}

bool GameRun::waitUntilShown(double timeoutSeconds) {
    double deadline = monotonicSeconds() + timeoutSeconds;
    bool found = false;
    while (!found && monotonicSeconds() < deadline) {
        if (!running() && !restartAfterDisplayFailure()) return false;
        found = findGameWindow(&window, 0.5);
    }
    while (found && monotonicSeconds() < deadline && running()) {
        Image image = shot();
        if (!image.empty() && longestRun(image, {0, 0, image.width, 40}, isHudRed).length > 20) {
            movePointer(window, window.width / 2, window.height / 2);
            return true;
        }
        sleepSeconds(0.05);
    }
    return false;
}

ExitResult GameRun::waitEnd(double timeoutSeconds) {
    double deadline = monotonicSeconds() + timeoutSeconds;
    while (!ended || restartAfterDisplayFailure()) {
        end = waitForExit(pid, std::max(deadline - monotonicSeconds(), 0.1));
        ended = true;
    }
    return end;
}

ExitResult GameRun::quit(double timeoutSeconds) {
    if (running()) pressKey("q");
    return waitEnd(timeoutSeconds);
}
