// The rules a player meets, each from a quiet World with only the case in it:
// hits, rockets, lives, steering, slots and levels. The replay covers the rest.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "game/platform_hooks.h"
#include "game/random.h"
#include "game/tick.h"
#include "game/weapons.h"
#include "game/world.h"

namespace {

std::vector<int> lightsOff;  // rocket slots, in the tick's call order
using Heard = std::tuple<GameSound, float, float, float>;
std::vector<Heard> heard;  // in the tick's call order

class Core : public testing::Test {
protected:
    // A game in play, pointer at rest mid-window, every asteroid out of play:
    // dead, far away, with a fire-ball too big to end soon.
    void SetUp() override {
        world = World{};
        world.playState = Playing, world.level = 1, world.lives = 5, world.rocketsLeft = 3;
        world.starSpeed = 0.4f;
        world.windowWidth = world.windowHeight = 500;
        holdPointer(250, 250);
        for (Asteroid& a : world.asteroids) a.z = -1000, a.fireballRadius = 1e6f;
        seedRandom(20260101u);
        lightsOff.clear(), heard.clear();
        platformHooks = {
            [](int slot) { lightsOff.push_back(slot); }, [] {},
            [](GameSound sound, float x, float y, float z) { heard.emplace_back(sound, x, y, z); }};
    }
    // A live asteroid that holds still (the speed factor is 0 here).
    static Asteroid& place(int slot, float x, float y, float z, float radius) {
        Asteroid& a = world.asteroids[slot] = Asteroid{};
        a.x = x, a.y = y, a.z = z, a.radius = a.health = radius, a.alive = 1;
        return a;
    }
    // A bullet that stands at (x, y, z) once the next tick has moved it.
    static void aimBullet(int slot, float x, float y, float z) {
        world.bullets[slot] = Bullet{x, y, z + 1.0f, 1.0f, 1};
    }
    static void holdPointer(int32_t x, int32_t y) {
        world.mouseX = world.prevMouseX = x;
        world.mouseY = world.prevMouseY = y;
    }
};

TEST_F(Core, BulletsHitOnTheSurfaceAndDamageEveryAsteroidTheyAreIn) {
    place(0, 0, 0, 30, 1);
    place(1, 0, 0, 10, 1);
    place(3, -5, 0, 20, 2);  // bullet 2 is inside 3 and 4
    place(4, -5, 0, 21, 1.5f);
    aimBullet(0, 1, 0, 30);        // on the surface: a hit
    aimBullet(1, 1.0001f, 0, 10);  // just outside
    aimBullet(2, -5, 0, 20.5f);
    updateWorld();
    EXPECT_TRUE(world.asteroids[0].health == 0.5f && world.bullets[0].alive == 0);
    const ImpactFlash& f = world.impactFlashes[0];
    EXPECT_TRUE(f.active == 1 && f.x == 1 && f.z == 31 && f.size == 0.5f - 0.05f);
    EXPECT_TRUE(world.asteroids[1].health == 1 && world.bullets[1].alive == 1);
    EXPECT_TRUE(world.asteroids[3].health == 1.5f && world.asteroids[4].health == 1);
    EXPECT_EQ(world.impactFlashes[2].z, 22.0f) << "the flash marks the last asteroid hit";
}

TEST_F(Core, TheFourthBulletDestroysHealth17And20) {
    for (auto [radius, score] : {std::pair{1.7f, 17}, std::pair{2.0f, 20}}) {
        world.score = 0;
        const Asteroid& a = place(0, 1, 2, 30, radius);
        for (int hit = 1; hit <= 4; ++hit) {
            EXPECT_EQ(a.alive, 1) << radius << " before hit " << hit;
            aimBullet(hit, 1, 2, 30);
            updateWorld();
        }
        EXPECT_TRUE(a.alive == 0 && a.fireballRadius == radius * 1.5f) << radius;
        EXPECT_EQ(world.score, score);
    }
}

TEST_F(Core, RocketsDestroyAtOnceAndEndOnceGivingTheirUnitAndLightBack) {
    place(1, 0, 0, 20, 1);
    place(2, 0.5f, 0, 20, 1);
    fireRocket();
    fireRocket();
    world.rockets[0].z = 20.3f;  // inside both asteroids after its move
    world.rockets[1].z = 0;      // at the far plane
    updateWorld();
    EXPECT_EQ(world.asteroids[1].alive + world.asteroids[2].alive, 0);
    EXPECT_EQ(world.asteroids[1].fireballRadius, 2.0f);
    EXPECT_EQ(world.score, 20);
    EXPECT_EQ(world.rocketsLeft, 4.0f) << "one unit back for each asteroid, one for the ended";
    EXPECT_EQ(lightsOff, (std::vector<int>{0, 0, 1}));
    updateWorld();
    EXPECT_TRUE(world.rocketsLeft == 4.0f && lightsOff.size() == 3) << "a rocket ends once";
}

TEST_F(Core, AsteroidsApproachByTheirSpeedTheLevelsFactorAndHyperspeed) {
    const float cases[][4] = {
        {0, 0.4f, 0.05f, 0.3f}, {0, 0.4f, 0.45f, 0.7f}, {1, 0.6f, 0.05f, 0.9f}};
    for (const auto& [hyperspeed, starSpeed, factor, step] : cases) {
        world.hyperspeed = int32_t(hyperspeed), world.starSpeed = starSpeed;
        world.asteroidSpeedFactor = factor;
        place(0, -5, 5, 10, 1).speed = 0.25f;
        updateWorld();
        EXPECT_FLOAT_EQ(world.asteroids[0].z, 10 + step) << hyperspeed << " " << factor;
    }
}

TEST_F(Core, TheLastLifeEndsTheGameButTheTickRunsOn) {
    world.lives = 1;
    place(0, 0, 0, 48, 2);
    place(2, 3, 0, 49, 1);  // passes beside the aim: no cost
    aimBullet(0, 0, 0, 30);
    world.mouseX = 260;
    updateWorld();
    EXPECT_TRUE(world.lives == 0 && world.playState == GameOver);
    EXPECT_EQ(world.score, 20) << "reaching the player scores too";
    EXPECT_TRUE(world.asteroids[0].fireballRadius == 1.5f && world.asteroids[2].alive == 1);
    EXPECT_TRUE(world.bullets[0].z == 30 && world.prevMouseX == 260) << "later steps still ran";
}

TEST_F(Core, ThePointerSteersFromWholePixelTenthsOfTheWindow) {
    world.windowWidth = world.windowHeight = 505;  // a tenth is 50 pixels, not 50.5
    const std::pair<int32_t, float> cases[] = {{455, 0}, {456, 0.25f}, {50, 0}, {49, -0.25f}};
    for (auto [at, aim] : cases) {
        world.aimX = world.aimY = 0;
        holdPointer(at, at);
        updateWorld();
        EXPECT_TRUE(world.aimX == aim && world.aimY == aim) << at;
    }
}

// Pixels moved right bank the craft 0.2 degrees each, left the other way; up
// pitches it 0.05 degrees a pixel, down 1/15.
TEST_F(Core, ThePointersMoveTurnsTheCraftByThePixel) {
    const float cases[][4] = {{10, 20, -2, 1}, {-10, -15, 2, -1}};
    for (const auto& [right, up, roll, pitch] : cases) {
        world.craftRoll = world.craftPitch = 0;
        world.mouseX = 250 + int32_t(right), world.mouseY = 250 + int32_t(up);
        updateWorld();
        EXPECT_FLOAT_EQ(world.craftRoll, roll) << right;
        EXPECT_FLOAT_EQ(world.craftPitch, pitch) << up;
        holdPointer(250, 250);
    }
}

TEST_F(Core, TheAimStopsAt12_25AndTheCraftLevelsOut) {
    world.craftRoll = world.craftPitch = 12.5f;
    holdPointer(499, 0);  // right edge, bottom edge
    for (int t = 0; t < 70; ++t) updateWorld();
    EXPECT_TRUE(world.aimX == 12.25f && world.aimY == -12.25f);
    EXPECT_TRUE(world.craftRoll == 0 && world.craftPitch == 0) << "relaxed once the aim stopped";
    const float relaxing[][3] = {{12, 7, 11}, {-7, -2, -6}, {4.5f, 0, 3.5f}, {-0.5f, 0, 0}};
    holdPointer(250, 250);
    for (const auto& [start, roll, pitch] : relaxing) {
        world.craftRoll = world.craftPitch = start;
        updateWorld();
        EXPECT_TRUE(world.craftRoll == roll && world.craftPitch == pitch) << start;
    }
}

TEST_F(Core, ShotsTakeTheFirstFreeSlotAndAreDroppedWhenNoneIsFree) {
    for (int j = 0; j <= bulletSlots; ++j) fireBullet();
    world.bullets[7].alive = world.bullets[20].alive = 0;
    for (float x : {4.0f, 5.0f, 6.0f}) world.aimX = x, fireBullet();
    for (int j = 0; j < bulletSlots; ++j)
        EXPECT_EQ(world.bullets[j].x, j == 7 ? 4 : j == 20 ? 5 : 0) << j;
    world.rocketsLeft = 0;  // the free slot, not the count, lets a rocket leave
    for (int i = 0; i <= rocketSlots; ++i) fireRocket();
    EXPECT_TRUE(world.rockets[2].alive == 1 && world.rocketsLeft == -3.0f);
}

TEST_F(Core, TheScoreRaisesTheLevelOneStepAtATimeWithItsLine) {
    const int32_t cases[][3] = {{1, 100, 1},  {1, 101, 2},  {1, 6000, 2}, {2, 501, 3},
                                {3, 1001, 4}, {4, 5000, 4}, {4, 5001, 5}, {5, 9999, 5}};
    for (const auto& [level, score, after] : cases) {
        world.level = level, world.score = score, world.asteroidSpeedFactor = 1;
        testing::internal::CaptureStdout();
        checkLevelUp();
        const bool up = after != level;
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  up ? "Upgrade to Level " + std::to_string(after) + "\n" : "");
        EXPECT_TRUE(world.level == after && world.asteroidSpeedFactor == (up ? 3 : 1)) << score;
    }
}

TEST_F(Core, EachEventIsHeardWhereItHappens) {
    world.aimX = 3, world.aimY = 4, world.score = 95, world.lives = 2;
    fireBullet();
    fireRocket();
    place(0, 0, 0, 30, 1);
    place(1, -5, 0, 20, 0.5f);
    place(2, 3, 4, 48, 2), place(3, 3, 4, 48, 2);  // both reach the player: the last life
    aimBullet(1, 0, 0, 30), aimBullet(2, -5, 0, 20);
    testing::internal::CaptureStdout();
    updateWorld();
    testing::internal::GetCapturedStdout();
    const std::vector<Heard> expected = {{BulletFired, 3, 4, 49},   {RocketLaunched, 3, 4, 49},
                                         {LevelGained, 3, 4, 50},   {LifeLost, 3, 4, 48},
                                         {AsteroidBurst, 3, 4, 48}, {GameEnded, 3, 4, 48},
                                         {AsteroidBurst, 3, 4, 48}, {AsteroidHit, 0, 0, 30},
                                         {AsteroidHit, -5, 0, 20},  {AsteroidBurst, -5, 0, 20}};
    EXPECT_EQ(heard, expected);
}

}  // namespace
