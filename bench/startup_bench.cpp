// Start-up to the first frame as a player waits for it: the real game started afresh
// each time, with its sound and music, without the music, and muted (no sound at
// all), each from the folder with the data files on an X display. A probe preloaded
// into the game reports the first swap of its buffers and ends it there.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace {

// The game's first frame after a fresh start, in seconds; negative if it showed none.
double startToFirstFrame(const char* option) {
    int shown[2];
    if (pipe(shown) != 0) return -1;
    std::vector<std::string> env = {"LD_PRELOAD=" SKORVANE_PROBE,
                                    "SKORVANE_FIRST_FRAME_FD=" + std::to_string(shown[1])};
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string game = SKORVANE_GAME, chosen = option;
    std::vector<char*> argv = {game.data()};
    if (!chosen.empty()) argv.push_back(chosen.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;  // the loaders' lines stay off the table
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const bool started =
        posix_spawn(&pid, game.c_str(), &quiet, nullptr, argv.data(), envp.data()) == 0;
    close(shown[1]);
    char byte = 0;
    const bool framed = started && read(shown[0], &byte, 1) == 1;
    const auto end = std::chrono::steady_clock::now();
    close(shown[0]);
    posix_spawn_file_actions_destroy(&quiet);
    if (started) waitpid(pid, nullptr, 0);
    return framed ? std::chrono::duration<double>(end - start).count() : -1;
}

void BM_StartToFirstFrame(benchmark::State& state, const char* option) {
    for (auto _ : state) {
        const double seconds = startToFirstFrame(option);
        if (seconds < 0) return state.SkipWithError("the game showed no frame");
        state.SetIterationTime(seconds);
    }
}
BENCHMARK_CAPTURE(BM_StartToFirstFrame, sound_and_music, "")
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartToFirstFrame, no_music, "--no-music")
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartToFirstFrame, mute, "--mute")
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
