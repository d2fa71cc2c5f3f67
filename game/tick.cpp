// One fixed simulation step: stars, asteroids, shots, explosions, particles, steering.
#include "game/tick.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "game/platform_hooks.h"
#include "game/random.h"
#include "game/weapons.h"
#include "game/world.h"

namespace {

// Positions after this tick's move only, not swept: a fast shot can step over.
bool hits(const Asteroid& a, float x, float y, float z) {
    if (a.alive != 1) {
        return false;
    }
    const float dx = x - a.x;
    const float dy = y - a.y;
    const float dz = z - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz) <= a.radius;
}

void scoreAsteroid(const Asteroid& a) {
    world.score += static_cast<int32_t>(a.radius * 10.0f);  // cut towards zero
    checkLevelUp();
}

// Every destruction looks alike; the causes differ only in the fire-ball factor
// and the lowest debris spin (0 lets some of a bullet's fragments stand still).
void explode(Asteroid& a, float fireballFactor, int32_t minSpin) {
    a.alive = 0;
    a.fireballRadius = a.radius * fireballFactor;
    platformHooks.soundAt(AsteroidBurst, a.x, a.y, a.z);
    for (Particle& p : a.debris) {
        p.life = 1.0f;
        p.fade = static_cast<float>(randomMod(10) + 1) * 0.004f;
        p.x = a.x;
        p.y = a.y;
        p.z = a.z;
        p.vx = (randomUnit() - 0.5f) * 0.5f;
        p.vy = (randomUnit() - 0.5f) * 0.5f;
        p.vz = (randomUnit() - 0.5f) * 0.5f;
        p.size = randomUnit() * 0.4f;
        p.angle = 0.0f;
        p.spin = static_cast<float>(randomMod(20) + minSpin);
    }
}

void moveStars() {
    for (Star& s : world.stars) {
        s.z += world.starSpeed;
        if (s.z > 50.0f) {
            s.x = (randomUnit() - 0.5f) * 30.0f;
            s.y = (randomUnit() - 0.5f) * 30.0f;
            s.z = -(100.0f * randomUnit() + 50.0f);
        }
    }
}

// Just ahead of the far plane; speed uses the constant, not the level's factor.
void respawn(Asteroid& a) {
    a.x = (randomUnit() - 0.5f) * 20.0f;
    a.y = (randomUnit() - 0.5f) * 20.0f;
    a.z = -20.0f * randomUnit();
    a.speed = static_cast<float>(randomMod(10)) * 0.05f;
    a.alive = 1;
    a.radius = a.health = 2.0f * randomUnit();
}

void checkReachedPlayer(Asteroid& a) {
    const float dx = a.x - world.aimX;
    const float dy = a.y - world.aimY;
    const float dz = a.z + a.radius - 50.0f;
    if (std::sqrt(dx * dx + dy * dy + dz * dz) > a.radius) {
        return;
    }
    scoreAsteroid(a);
    world.lives -= 1.0f;
    if (world.lives <= 0.0f) {
        world.playState = GameOver;  // the rest of the tick still runs
    }
    platformHooks.soundAt(world.lives <= 0.0f ? GameEnded : LifeLost, a.x, a.y, a.z);
    a.alive = 0;
    world.craftRoll += (randomUnit() - 0.5f) * 40.0f;
    world.craftPitch += (randomUnit() - 0.5f) * 20.0f;
    explode(a, 1.0f, 1);
}

void moveAsteroid(Asteroid& a) {
    if (a.z > 50.0f || (a.alive == 0 && a.fireballRadius <= 0.0f)) {
        respawn(a);
    }
    // Dead asteroids drift on too, carrying their fire-ball along.
    a.z = a.z + a.speed + world.asteroidSpeedFactor;
    if (world.hyperspeed == 1) {
        a.z += world.starSpeed;
    }
    if (a.angle < 360.0f) {
        a.angle += a.spin;
    } else {
        a.angle = 0.0f;
    }
    if (a.alive == 1) {
        checkReachedPlayer(a);
    }
    if (a.fireballRadius > 0.0f) {
        a.fireballRadius -= 0.5f;
    }
}

void moveBullet(int j) {
    Bullet& b = world.bullets[j];
    if (b.z <= 0.0f) {
        b.alive = 0;
    }
    if (b.alive == 1) {
        b.z -= b.speed;
        // A bullet inside two asteroids damages both; the flash marks the last.
        for (Asteroid& a : world.asteroids) {
            if (!hits(a, b.x, b.y, b.z)) {
                continue;
            }
            a.health -= 0.5f;
            world.impactFlashes[j] = ImpactFlash{b.x, b.y, b.z + a.radius, 0.5f, 1};
            b.alive = 0;
            platformHooks.soundAt(AsteroidHit, b.x, b.y, b.z);
            if (a.health <= 0.0f) {
                scoreAsteroid(a);
                explode(a, 1.5f, 0);
            }
        }
    }
    ImpactFlash& f = world.impactFlashes[j];
    if (f.size > 0.0f) {
        f.active = 1;
        f.size -= 0.05f;
    } else {
        f.active = 0;
    }
}

void endRocket(int i) {
    world.rocketsLeft += 1.0f;
    world.rockets[i].alive = 0;
    platformHooks.disableRocketLight(i);
}

void moveRocket(int i) {
    Rocket& r = world.rockets[i];
    if (r.z <= 0.0f) {
        if (r.alive == 1) {
            endRocket(i);
        }
        return;
    }
    if (r.alive != 1) {
        return;
    }
    r.z -= r.speed;
    // Each asteroid the rocket is inside is destroyed and gives a unit back.
    for (Asteroid& a : world.asteroids) {
        if (!hits(a, r.x, r.y, r.z)) {
            continue;
        }
        a.health = 0.0f;
        endRocket(i);
        scoreAsteroid(a);
        explode(a, 2.0f, 1);
    }
}

void playDebris() {
    for (Asteroid& a : world.asteroids) {
        for (Particle& p : a.debris) {
            if (p.life <= 0.0f || p.size <= 0.0f) {
                continue;
            }
            p.x += p.vx;
            p.y += p.vy;
            p.z += p.vz;
            p.life -= p.fade;
            p.angle = p.angle == 360.0f ? 0.0f : p.angle + p.spin;
            p.size -= 0.005f;
        }
    }
}

// Spent particles of a flying rocket are emitted again at its nose; the
// velocity and spin drawn at launch stay with each particle.
void playTrail(Rocket& r) {
    for (Particle& p : r.trail) {
        if (p.life <= 0.0f && r.alive == 1) {
            p.life = 0.5f;
            p.fade = static_cast<float>(randomMod(10) + 1) * (1.0f / 75.0f);
            p.x = r.x;
            p.y = r.y;
            p.z = r.z;
            p.growth = p.fade * 0.25f;
            p.size = randomUnit() * 0.001f;
            continue;
        }
        p.x += p.vx;
        p.y += p.vy;
        p.z += p.vz;
        p.life -= p.fade;
        p.size += p.growth;
        p.angle = p.angle < 360.0f ? p.angle + p.spin : 0.0f;
    }
}

// What differs between the two axes of steering: how far the craft's attitude
// turns per pixel the pointer moved each way, and how fast it levels again.
struct SteeringAxis {
    float turnTowardsPlus;   // degrees per pixel while the aim moves towards +
    float turnTowardsMinus;  // degrees per pixel while the aim moves towards -
    float relaxStep;         // degrees per tick back towards level
};

constexpr SteeringAxis bankAxis{-0.2f, 0.2f, 5.0f};            // x: roll
constexpr SteeringAxis pitchAxis{0.05f, -1.0f / 15.0f, 1.0f};  // y: pitch

// Pixel tests are on integers and the tenths are integer divisions, so the
// edge zones are exactly as wide as the window gives them. The pointer's move
// is taken in 64 bits so no pair of positions can overflow.
void steer(const SteeringAxis& axis, float& aim, float& attitude, int32_t pointer, int64_t moved,
           int32_t windowSize) {
    const float pixels = static_cast<float>(std::llabs(moved));
    if (aim <= 12.0f && (moved > 0 || pointer > windowSize - windowSize / 10)) {
        aim += 0.25f;
        attitude += pixels * axis.turnTowardsPlus;
    } else if (aim >= -12.0f && (moved < 0 || pointer < windowSize / 10)) {
        aim -= 0.25f;
        attitude += pixels * axis.turnTowardsMinus;
    } else if (attitude >= axis.relaxStep) {
        attitude -= axis.relaxStep;
    } else if (attitude <= -axis.relaxStep) {
        attitude += axis.relaxStep;
    } else {
        attitude = 0.0f;
    }
}

}  // namespace

void updateWorld() {
    moveStars();
    for (Asteroid& a : world.asteroids) {
        moveAsteroid(a);
    }
    for (int j = 0; j < bulletSlots; ++j) {
        moveBullet(j);
    }
    for (int i = 0; i < rocketSlots; ++i) {
        moveRocket(i);
    }
    playDebris();
    for (Rocket& r : world.rockets) {
        playTrail(r);
    }
    steer(bankAxis, world.aimX, world.craftRoll, world.mouseX,
          int64_t{world.mouseX} - world.prevMouseX, world.windowWidth);
    steer(pitchAxis, world.aimY, world.craftPitch, world.mouseY,
          int64_t{world.mouseY} - world.prevMouseY, world.windowHeight);
    world.prevMouseX = world.mouseX;
    world.prevMouseY = world.mouseY;
    platformHooks.requestRedisplay();
}
