// Frames per second in the game's own window: the display callback drawing three scenes.
// Runs from the folder with the data files, on an X display.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include "app/startup.h"
#include "bench/full_load.h"
#include "bench/quiet_stdout.h"
#include "game/random.h"
#include "game/world.h"
#include "render/frame.h"
#include "sound/sound.h"
#include "sound/synth.h"

namespace {

World startOfGame, shooting, fullLoad;

// No tick is ever armed, so the World holds still while it is drawn.
void drawFrames(benchmark::State& state, const World& scene) {
    world = scene;
    onDisplay();  // the first frame of a scene is not counted
    glFinish();
    for (auto _ : state) {
        onDisplay();
        glFinish();  // the frame is drawn, not only queued
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_FramesStartOfGame(benchmark::State& state) {
    drawFrames(state, startOfGame);
}
void BM_FramesShooting(benchmark::State& state) {
    drawFrames(state, shooting);
}
void BM_FramesFullLoad(benchmark::State& state) {
    drawFrames(state, fullLoad);
}
// The same frames with what a tick asks of sound beside each: the listener and the
// three rockets' loops moved, a shot and a burst started (the pool recycles its
// sources), while OpenAL mixes them on its own thread; without music (0) and with (1).
void BM_FramesFullLoadSound(benchmark::State& state) {
    world = fullLoad;
    setMusicOn(state.range(0) == 1);
    for (auto _ : state) {
        followWorld();
        playSound(BulletFired, world.aimX, world.aimY, 49.0f);
        playSound(AsteroidBurst, 5.0f, -3.0f, -10.0f);
        onDisplay();
        glFinish();
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The software renderer draws on threads of its own, so only wall-clock time tells.
BENCHMARK(BM_FramesStartOfGame)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramesShooting)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramesFullLoad)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramesFullLoadSound)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// Every level's loop, as set-up makes them after the first frame; bytes is their memory.
void BM_MusicSynthesis(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (int level = 1; level <= synth::musicParts; ++level)
            bytes += synth::renderMusic(level).size() * sizeof(int16_t);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_MusicSynthesis)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    createGameWindow();
    registerCallbacks();
    {
        QuietStdout quiet;
        initGame();
        while (!setUpSound(false)) {  // as the timers after the first frame do
        }
    }
    while (world.windowWidth == 0) glutMainLoopEvent();  // mapped and reshaped
    seedRandom(20261206u);                               // the same asteroids every run
    newGame();
    startOfGame = shooting = fullLoad = world;
    fullload::fillShots(shooting);
    fullload::fillFullLoad(fullLoad);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
