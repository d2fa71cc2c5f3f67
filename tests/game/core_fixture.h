// Shared set-up for the core tests: a quiet World, recording hooks, placement helpers.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/platform.h"
#include "game/random.h"
#include "game/tick.h"
#include "game/weapons.h"
#include "game/world.h"

struct HookLog {
    std::vector<int> lightsOff;  // rocket slots, in call order
    int redisplays = 0;
    bool pointerCopiedBeforeRedisplay = true;  // redisplay must be the tick's last act
};
inline HookLog hookLog;

inline void recordLightOff(int slot) { hookLog.lightsOff.push_back(slot); }
inline void recordRedisplay() {
    ++hookLog.redisplays;
    if (world.prevMouseX != world.mouseX || world.prevMouseY != world.mouseY)
        hookLog.pointerCopiedBeforeRedisplay = false;
}

inline void tick(int n = 1) {
    for (int i = 0; i < n; ++i) updateWorld();
}

// A live asteroid that holds still (the fixture's speed factor is 0).
inline Asteroid& placeAsteroid(int slot, float x, float y, float z, float radius,
                               int32_t alive = 1) {
    Asteroid& a = world.asteroids[slot];
    a = Asteroid{};
    a.x = x;
    a.y = y;
    a.z = z;
    a.radius = a.health = radius;
    a.alive = alive;
    return a;
}

// A bullet that will stand at (x, y, z) once the next tick has moved it.
inline void placeBullet(int slot, float x, float y, float z) {
    world.bullets[slot] = Bullet{x, y, z + 1.0f, 1.0f, 1};
}

// k times step for a whole k from lowest to highest, as float products give it.
inline bool isStepOf(float value, float step, int lowest, int highest) {
    const float k = std::round(value / step);
    return k >= static_cast<float>(lowest) && k <= static_cast<float>(highest) &&
           std::fabs(value - k * step) < 1.0e-6f;
}

// The speed factor of a level: 0.05 tripled per level, in float.
inline float levelFactor(int32_t level) {
    float factor = 0.05f;
    for (int32_t l = 1; l < level; ++l) factor = factor * 3.0f;
    return factor;
}

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedHooks = platformHooks;
        platformHooks = PlatformHooks{recordLightOff, recordRedisplay};
        resetWorld();
    }
    void TearDown() override { platformHooks = savedHooks; }

    // A game in play, pointer at rest mid-window, every asteroid out of play:
    // dead, far away, with a fire-ball too big to end soon.
    static void resetWorld() {
        hookLog = HookLog{};
        world = World{};
        seedRandom(20260101u);
        world.playState = Playing;
        world.level = 1;
        world.lives = 5.0f;
        world.rocketsLeft = 3.0f;
        world.starSpeed = 0.4f;
        world.windowWidth = world.windowHeight = 500;
        world.mouseX = world.mouseY = world.prevMouseX = world.prevMouseY = 250;
        for (int k = 0; k < asteroidCount; ++k)
            placeAsteroid(k, 0, 0, -1000.0f, 0, 0).fireballRadius = 1.0e6f;
    }

    PlatformHooks savedHooks{};
};
