// Bullets, rockets and the level rule.
#include "game/weapons.h"

#include <cstdio>

#include "game/platform_hooks.h"
#include "game/random.h"
#include "game/world.h"

namespace {

int firstFreeBullet() {
    for (int j = 0; j < bulletSlots; ++j) {
        if (world.bullets[j].alive == 0) {
            return j;
        }
    }
    return -1;
}

int firstFreeRocket() {
    for (int i = 0; i < rocketSlots; ++i) {
        if (world.rockets[i].alive == 0) {
            return i;
        }
    }
    return -1;
}

// Every particle starts spent (life 0.1, size 0) so the tick emits them one by
// one over the first ticks and the trail builds up behind the rocket.
void primeTrail(Rocket& r) {
    for (Particle& p : r.trail) {
        p.life = 0.1f;
        p.fade = static_cast<float>(randomMod(10) + 1) * (1.0f / 75.0f);
        p.x = r.x;
        p.y = r.y;
        p.z = r.z;
        p.vx = (randomUnit() - 0.5f) * (1.0f / 75.0f);
        p.vy = (randomUnit() - 0.5f) * (1.0f / 75.0f);
        p.vz = randomUnit() * 0.02f;  // drifts back towards the camera
        p.angle = 0.0f;
        p.size = 0.0f;
        p.growth = 0.0f;
        p.spin = static_cast<float>(randomMod(10) + 1);
    }
}

struct LevelStep {
    int32_t scoreAbove;
    const char* line;
};

// Row l-1 raises level l to l+1.
constexpr LevelStep levelSteps[] = {
    {100, "Upgrade to Level 2\n"},
    {500, "Upgrade to Level 3\n"},
    {1000, "Upgrade to Level 4\n"},
    {5000, "Upgrade to Level 5\n"},
};
constexpr int32_t topLevel = 5;

}  // namespace

void fireBullet() {
    const int j = firstFreeBullet();
    if (j < 0) {
        return;
    }
    Bullet& b = world.bullets[j];
    b.x = world.aimX;
    b.y = world.aimY;
    b.z = 49.0f;
    b.speed = 1.0f;
    b.alive = 1;
    platformHooks.soundAt(BulletFired, b.x, b.y, b.z);
}

// The free slot, not rocketsLeft, decides whether a rocket leaves.
void fireRocket() {
    const int i = firstFreeRocket();
    if (i < 0) {
        return;
    }
    world.rocketsLeft -= 1.0f;
    Rocket& r = world.rockets[i];
    r.x = world.aimX;
    r.y = world.aimY;
    r.z = 49.0f;
    r.speed = 0.3f;
    r.alive = 1;
    primeTrail(r);
    platformHooks.soundAt(RocketLaunched, r.x, r.y, r.z);
}

void checkLevelUp() {
    if (world.level < 1 || world.level >= topLevel) {
        return;
    }
    const LevelStep& step = levelSteps[world.level - 1];
    if (world.score > step.scoreAbove) {
        world.asteroidSpeedFactor = world.asteroidSpeedFactor * 3.0f;
        world.level += 1;
        platformHooks.soundAt(LevelGained, world.aimX, world.aimY, 50.0f);
        // stdio, not a stream, so the line keeps its place among other output
        std::fputs(step.line, stdout);
    }
}
