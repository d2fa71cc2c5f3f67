// Counts heap allocations in the game loop's own work: ticks, input callbacks and frames,
// in the real program's window, after one warm-up pass of the same work.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "allocation_counter.h"
#include "app/input.h"
#include "app/startup.h"
#include "bench/full_load.h"
#include "game/random.h"
#include "game/tick.h"
#include "game/weapons.h"
#include "game/world.h"
#include "render/frame.h"

namespace {

// Everything main does but the endless loop; the working directory holds the data files.
void startGame() {
    int argc = 1;
    char name[] = "allocation-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    createGameWindow();
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    registerCallbacks();
    initGame();
    for (int i = 0; i < 100 && world.windowWidth == 0; ++i) glutMainLoopEvent();
}

// Both output paths get their buffers before anything is counted.
void primeOutput() {
    std::printf("allocation test: output primed\n");
    std::fflush(stdout);
    std::cout << "allocation test: stream primed" << std::endl;
}

// Lets GLUT fire every pending timer, so that freed timers are there to be reused.
void drainTimers() {
    world.playState = Paused;  // ends every chain at its next tick
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
    while (std::chrono::steady_clock::now() < end) glutMainLoopEvent();
}

World fullLoad() {
    seedRandom(99);
    newGame();
    World w = world;
    fullload::fillFullLoad(w);
    return w;
}

template <typename Work>
alloccount::Counts countAllocations(Work work, std::string& callers) {
    alloccount::begin();
    work();
    alloccount::Counts n = alloccount::end();
    if (n.ours) callers += alloccount::ourCallers();
    return n;
}

class Allocation : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        startGame();
        primeOutput();
    }
};

TEST_F(Allocation, TicksAtFullLoadAllocateNothing) {
    const World prepared = fullLoad();
    world = prepared;
    updateWorld();
    std::string callers;
    long total = 0;
    for (int batch = 0; batch < 25; ++batch) {
        world = prepared;
        total += countAllocations([] { for (int i = 0; i < 8; ++i) updateWorld(); }, callers).total();
    }
    EXPECT_EQ(total, 0) << "allocated from:\n" << callers;
}

// A played game: shots, explosions by bullet, rocket and collision, level-ups
// (which print), lives lost down to game over, the aim steered about.
void playedGame() {
    seedRandom(7);
    newGame();
    world.score = 95;
    for (int t = 0; t < 600; ++t) {
        Asteroid* a = world.asteroids;
        world.mouseX = (t * 37) % 500;
        world.mouseY = (t * 53) % 500;
        if (t % 20 == 0) {
            a[0].x = world.aimX, a[0].y = world.aimY, a[0].z = 40.0f, a[0].radius = 1.0f;
            a[0].health = 0.4f, a[0].alive = 1;
            fireBullet();
        }
        if (t % 50 == 0) {
            a[1].x = world.aimX, a[1].y = world.aimY, a[1].z = 46.0f, a[1].radius = 1.5f, a[1].alive = 1;
            fireRocket();
        }
        if (t % 70 == 0) {
            a[2].x = world.aimX, a[2].y = world.aimY, a[2].z = 48.5f, a[2].radius = 1.0f, a[2].alive = 1;
        }
        updateWorld();
    }
}

TEST_F(Allocation, TicksThroughAPlayedGameAllocateNothing) {
    playedGame();  // warm-up: the first level-up line is printed here
    std::string callers;
    long n = countAllocations(playedGame, callers).total();
    EXPECT_EQ(n, 0) << "allocated from:\n" << callers;
    // The game must really have gone through what this test claims.
    EXPECT_GE(world.level, 2);
    EXPECT_GT(world.score, 95);
    EXPECT_EQ(world.playState, GameOver);
}

void everyInput() {
    for (unsigned char key : {' ', 'r', 'R', 'p', 'p', 'P', 'P', 's', 'S', 'h', 'H', 'x', '1', '\x1b'})
        onKeyboard(key, 10, 10);
    for (int button : {GLUT_LEFT_BUTTON, GLUT_RIGHT_BUTTON, GLUT_MIDDLE_BUTTON}) {
        onMouse(button, GLUT_DOWN, 10, 10);
        onMouse(button, GLUT_UP, 10, 10);
    }
    world.playState = GameOver;
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10);  // restarts and arms a tick
    onPassiveMotion(10, 20);
    onPassiveMotion(490, 480);
    onReshape(800, 400);
    onReshape(500, 500);
}

TEST_F(Allocation, InputCallbacksAllocateNothing) {
    seedRandom(11);
    newGame();
    everyInput();  // warm-up; GLUT keeps the timers it has made for reuse
    drainTimers();
    std::string callers;
    long n = countAllocations(everyInput, callers).total();
    drainTimers();
    EXPECT_EQ(n, 0) << "allocated from:\n" << callers;
}

// Frames in every state the picture can be in.
struct FrameState {
    const char* name;
    void (*set)();
};

const World& preparedFullLoad() {
    static const World prepared = fullLoad();
    return prepared;
}

const FrameState frameStates[] = {
    {"start of game", [] { seedRandom(5); newGame(); }},
    {"full load", [] { world = preparedFullLoad(); }},
    {"paused", [] { world = preparedFullLoad(); world.playState = Paused; }},
    {"game over", [] { world.playState = GameOver; }},
};

TEST_F(Allocation, FramesOwnCodeAllocatesNothingOnceWarm) {
    for (const FrameState& s : frameStates) {
        s.set();
        for (int i = 0; i < 5; ++i) onDisplay();
    }
    constexpr int frames = 30;
    for (const FrameState& s : frameStates) {
        s.set();
        std::string callers;
        alloccount::Counts n = countAllocations([] { for (int i = 0; i < frames; ++i) onDisplay(); }, callers);
        EXPECT_EQ(n.ours, 0) << s.name << ": allocated from:\n" << callers;
        // The software renderer allocates inside the GL calls themselves; shown, not judged.
        std::printf("%s: %ld allocations per frame inside the GL driver\n", s.name, n.driver / frames);
    }
}

}  // namespace
