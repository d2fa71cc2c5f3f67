// Puts a World under the heaviest load the game can reach: every slot busy, every particle live.
// Asteroids sit on the right, shots fly on the left, so a few ticks later nothing has been hit
// and every hit test has run in full.
#pragma once

#include <cstdint>

#include "game/world.h"

namespace fullload {

// A private generator, so that building the load never moves the game's own random source.
struct Draw {
    uint32_t state = 12345u;
    float unit() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) * (1.0f / 16777216.0f);
    }
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }
};

// Debris of an explosion up to 12 ticks old, spread out as the tick would have moved it.
inline void fillDebris(Asteroid& a, Draw& d) {
    for (Particle& p : a.debris) {
        p.vx = d.range(-0.25f, 0.25f);
        p.vy = d.range(-0.25f, 0.25f);
        p.vz = d.range(-0.25f, 0.25f);
        p.fade = d.range(0.004f, 0.02f);
        float age = d.range(0.0f, 12.0f);
        p.x = a.x + p.vx * age;
        p.y = a.y + p.vy * age;
        p.z = a.z + p.vz * age;
        p.life = 1.0f - p.fade * age;
        p.size = d.range(0.2f, 0.4f);  // lives at least 40 more ticks
        p.angle = d.range(0.0f, 300.0f);
        p.spin = d.range(1.0f, 20.0f);
        p.growth = 0.0f;
    }
}

// Live asteroids on the right half, each with a fresh rocket's fire-ball (it shows for
// at least four more ticks), its debris, and a bullet's impact flash beside it.
inline void fillAsteroids(World& w, Draw& d) {
    for (int i = 0; i < asteroidCount; ++i) {
        Asteroid& a = w.asteroids[i];
        a.radius = d.range(1.2f, 2.0f);
        a.health = a.radius;
        a.x = d.range(3.0f, 10.0f);
        a.y = d.range(-8.0f, 8.0f);
        a.z = d.range(2.0f, 30.0f);  // beyond z = 0 nothing shows
        a.speed = 0.05f * static_cast<float>(i % 10);
        a.angle = d.range(0.0f, 300.0f);
        a.spin = d.range(-5.0f, 5.0f);
        a.axisX = d.range(-0.5f, 0.5f);
        a.axisY = d.range(-0.5f, 0.5f);
        a.axisZ = d.range(-0.5f, 0.5f);
        a.alive = 1;
        a.fireballRadius = 2.0f * a.radius;
        fillDebris(a, d);
    }
    for (int j = 0; j < bulletSlots; ++j) {
        const Asteroid& a = w.asteroids[j % asteroidCount];
        float side = j < asteroidCount ? -a.radius : 0.0f;
        w.impactFlashes[j] =
            ImpactFlash{a.x + side, a.y + a.radius + side, a.z + a.radius, 0.45f, 1};
    }
}

// A stream of bullets on the left half, spread along their whole course.
inline void fillBullets(World& w, Draw& d) {
    for (int j = 0; j < bulletSlots; ++j) {
        w.bullets[j] = Bullet{d.range(-9.0f, -4.0f), d.range(-6.0f, 6.0f),
                              48.0f - 1.4f * static_cast<float>(j), 1.0f, 1};
    }
}

// Rockets launched 20, 35 and 50 ticks ago, each trail laid out as emitted
// along the rocket's path and drifted since, as the tick leaves it.
inline void fillRockets(World& w, Draw& d) {
    for (int i = 0; i < rocketSlots; ++i) {
        Rocket& r = w.rockets[i];
        float flown = 20.0f + 15.0f * static_cast<float>(i);
        r = Rocket{};
        r.x = -3.0f - 1.5f * static_cast<float>(i);
        r.y = 1.5f * static_cast<float>(i) - 1.5f;
        r.z = 49.0f - 0.3f * flown;
        r.speed = 0.3f;
        r.alive = 1;
        for (Particle& p : r.trail) {
            p.fade = static_cast<float>(1 + static_cast<int>(d.unit() * 9.99f)) / 75.0f;
            p.growth = p.fade * 0.25f;
            p.vx = d.range(-1.0f, 1.0f) / 150.0f;
            p.vy = d.range(-1.0f, 1.0f) / 150.0f;
            p.vz = d.range(0.0f, 0.02f);
            p.spin = d.range(1.0f, 10.0f);
            float oldest = 0.45f / p.fade < flown ? 0.45f / p.fade : flown;
            float age = d.range(0.0f, oldest);
            p.x = r.x + p.vx * age;
            p.y = r.y + p.vy * age;
            p.z = r.z + 0.3f * age + p.vz * age;
            p.life = 0.5f - p.fade * age;
            p.size = 0.0005f + p.growth * age;
            p.angle = p.spin * age;
        }
    }
    w.rocketsLeft = 0.0f;
}

// Three rockets in flight and a stream of bullets; the asteroids stay as they are.
inline void fillShots(World& w) {
    Draw d;
    fillBullets(w, d);
    fillRockets(w, d);
}

// Every slot busy; stars, scalars and the window size stay as they are.
inline void fillFullLoad(World& w) {
    Draw d;
    fillAsteroids(w, d);
    fillBullets(w, d);
    fillRockets(w, d);
}

}  // namespace fullload
