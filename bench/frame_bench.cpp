// Frames per second in the game's own window: the display callback drawing three scenes.
// Runs from the folder with the data files, on an X display.
#include <GL/freeglut.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

#include "app/pad.h"
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

// A pad plugged in as SDL's virtual game controller, as the game opens a real one.
SDL_Joystick* plugPad() {
    SDL_VirtualJoystickDesc pad{};
    pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    pad.naxes = SDL_CONTROLLER_AXIS_MAX, pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    SDL_Joystick* joystick = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&pad));
    pollPads();  // the game opens it
    return joystick;
}
void unplugPad(SDL_Joystick* joystick) {
    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(0);
    pollPads();
}

// What each tick's poll costs with a pad in use, its stick moving: set beside a
// full-load frame's time, which it must stay within 1% of.
void BM_PollPads(benchmark::State& state) {
    world = fullLoad;
    SDL_Joystick* pad = plugPad();
    Sint16 x = 0;
    for (auto _ : state) {
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, x += 4000);
        pollPads();
    }
    unplugPad(pad);
}

// From a press of Y (hyperspeed) just after a tick, the longest wait, to the
// World changed, with the tick chain and its frames running: the ticks that
// ran meanwhile (at most one) and the time beside the tick's period.
void BM_PadPressToWorld(benchmark::State& state) {
    world = startOfGame;
    SDL_Joystick* pad = plugPad();
    startTickChain();
    int mostTicks = 0, ticks = 0;
    double longest = 0;
    const auto tick = [&ticks] {  // each tick moves the stars
        const float z = world.stars[0].z;
        while (world.stars[0].z == z) glutMainLoopEvent();
        ++ticks;
    };
    tick();
    const int ticksBefore = ticks;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const int hyperspeed = world.hyperspeed, before = ticks;
        const auto pressed = std::chrono::steady_clock::now();
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, 1);
        while (world.hyperspeed == hyperspeed) tick();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - pressed;
        longest = std::max(longest, took.count());
        mostTicks = std::max(mostTicks, ticks - before);
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, 0);
        tick();  // which reads the release
    }
    const std::chrono::duration<double> all = std::chrono::steady_clock::now() - start;
    world.playState = Paused;  // the chain ends at its next tick
    while (playingTickPending()) glutMainLoopEvent();
    unplugPad(pad);
    state.counters["ticks"] = mostTicks;
    state.counters["longest_ms"] = 1000 * longest;
    state.counters["tick_ms"] = 1000 * all.count() / (ticks - ticksBefore);
}
BENCHMARK(BM_PollPads)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PadPressToWorld)->UseRealTime()->Unit(benchmark::kMillisecond);

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
