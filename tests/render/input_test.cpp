// The game's input callbacks fed by real X events, and the tick chain they
// start and stop, watched through the World while GLUT's loop runs.
#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "app/input.h"
#include "render/game_harness.h"

namespace {

// Star 0 moved far back never wraps, so its depth counts the ticks that ran.
constexpr float tickStep = 0.4f;
constexpr float counterStart = -1000.0f;

void resetTickCounter() {
    for (Asteroid& a : world.asteroids) a.z = -1000.0f;  // none reaches the player meanwhile
    world.hyperspeed = 0;
    world.starSpeed = tickStep;
    world.stars[0].z = counterStart;
}

int ticksSinceReset() {
    return static_cast<int>(std::lround((world.stars[0].z - counterStart) / tickStep));
}

int ticksOver(int milliseconds) {
    resetTickCounter();
    runLoopFor(milliseconds);
    return ticksSinceReset();
}

// Over 1.5 s one chain runs at most 37 ticks (41 ms apart); two would run about 70.
void expectOneChain() {
    const int ticks = ticksOver(1500);
    EXPECT_TRUE(ticks >= 5 && ticks <= 40) << ticks << " ticks in 1.5 s";
}

template <typename Record>
int alive(const Record& records) {
    int n = 0;
    for (const auto& r : records) n += r.alive;
    return n;
}

class Input : public ::testing::Test {
protected:
    void SetUp() override {
        startGameInTest();
        ASSERT_TRUE(runLoopUntil([] { return world.windowWidth == 500; }));
        // Keys go to the window under the pointer (no window manager here).
        ASSERT_TRUE(xdotool("mousemove " + screenPoint(250, 250)));
        runLoopFor(50);
        if (world.playState != Playing) {
            world.playState = Paused;
            onKeyboard('p', 0, 0);
        }
        for (Bullet& b : world.bullets) b.alive = 0;
    }

    // Pauses by key and waits until the one pending tick has run out.
    static void pauseAndSettle() {
        key("p");
        ASSERT_EQ(world.playState, Paused);
        runLoopFor(150);
    }
    static void gameOver() {
        pauseAndSettle();
        world.playState = GameOver;
        world.lives = 0.0f;
        world.score = 77;
    }
    static void key(const char* name) {
        ASSERT_TRUE(xdotool(std::string("key ") + name));
        runLoopFor(60);
    }
};

}  // namespace

TEST_F(Input, EveryKeyActsInEitherCaseAndOthersChangeNothing) {
    pauseAndSettle();
    key("space");
    EXPECT_EQ(alive(world.bullets), 1);
    EXPECT_EQ(world.bullets[0].z, 49.0f) << "paused: the bullet waits at its start";
    const float rocketsBefore = world.rocketsLeft;
    key("r");
    key("R");
    EXPECT_EQ(alive(world.rockets), 2);
    EXPECT_EQ(world.rocketsLeft, rocketsBefore - 2.0f);
    key("s");
    EXPECT_TRUE(world.hyperspeed == 1 && world.starSpeed == 0.6f);
    key("S");
    EXPECT_TRUE(world.hyperspeed == 0 && world.starSpeed == 0.4f);

    testing::internal::CaptureStdout();
    key("h");
    key("H");
    std::fflush(stdout);
    const std::string help =
        "\nSkorvane\n Left Click:  Shoot single bullet\n Right Click:  Shoot single rocket\n"
        " Space Bar:  Shoot single bullet\n 'r':  Shoot single rocket\n 'p':  Play/Pause Toggle\n"
        " 's':  Hyperspeed Toggle\n 'q':  Quit Game\n 'h':  Help\n\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), help + help);

    static World before;
    std::memcpy(&before, &world, sizeof before);
    for (const char* other : {"x", "Escape", "5", "Tab", "a"}) key(other);
    EXPECT_EQ(std::memcmp(&before, &world, sizeof before), 0) << "unknown keys touch nothing";
    key("P");
    EXPECT_EQ(world.playState, Playing);
    EXPECT_GE(ticksOver(400), 2) << "'P' resumes the ticks";
}

TEST_F(Input, PointerRowsCountFromTheBottom) {
    const struct { int x, y, mouseY; } points[] = {{10, 0, 499}, {499, 499, 0}};
    for (const auto& p : points) {
        ASSERT_TRUE(xdotool("mousemove --sync " + screenPoint(p.x, p.y)));
        EXPECT_TRUE(runLoopUntil([&] { return world.mouseX == p.x && world.mouseY == p.mouseY; }))
            << world.mouseX << "," << world.mouseY;
    }
    ASSERT_TRUE(xdotool("mousemove --sync " + screenPoint(250, 250)));
    runLoopFor(50);
}

TEST_F(Input, PauseStopsAfterThePendingTickAndEveryResumeRunsOneChain) {
    resetTickCounter();
    runLoopFor(100);
    const float atPause = world.stars[0].z;
    onKeyboard('p', 0, 0);  // called here, so that the moment of the pause is known
    runLoopFor(300);
    EXPECT_NEAR(world.stars[0].z - atPause, tickStep, 0.01f) << "exactly the pending update runs";
    onKeyboard('p', 0, 0);
    resetTickCounter();
    runLoopFor(25);
    EXPECT_EQ(ticksSinceReset(), 0) << "the first tick of a resumed game is 41 ms away";
    expectOneChain();
    for (int round = 0; round < 3; ++round) {
        onKeyboard('p', 0, 0);  // both inside one period: the old tick is still pending
        onKeyboard('P', 0, 0);
        runLoopFor(20);
    }
    EXPECT_EQ(world.playState, Playing);
    expectOneChain();
}

TEST_F(Input, LeftClickAtGameOverFiresFromTheOldAimAndStartsOneNewChain) {
    gameOver();
    world.aimX = 3.0f;
    world.aimY = -2.0f;
    ASSERT_TRUE(xdotool("click 1"));
    ASSERT_TRUE(runLoopUntil([] { return world.playState == Playing; }));
    EXPECT_TRUE(world.bullets[0].alive == 1 && world.bullets[0].x == 3.0f &&
                world.bullets[0].y == -2.0f);
    EXPECT_TRUE(world.lives == 5.0f && world.score == 0);
    expectOneChain();
}

TEST_F(Input, AtGameOverOnlyThePauseKeyResumesAndThenInOneChain) {
    gameOver();
    const int rockets = alive(world.rockets);
    key("space");
    ASSERT_TRUE(xdotool("click 3"));
    runLoopFor(100);
    EXPECT_TRUE(world.playState == GameOver && world.lives == 0.0f);
    EXPECT_EQ(alive(world.bullets), 1);
    EXPECT_EQ(alive(world.rockets), std::min(rockets + 1, 3));
    EXPECT_EQ(ticksOver(300), 0);
    key("p");
    EXPECT_EQ(world.playState, Playing);
    EXPECT_EQ(world.score, 77) << "the World is not touched";
    expectOneChain();
}
