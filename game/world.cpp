// The one World and the set-up of a fresh game.
#include "game/world.h"

#include "game/random.h"

World world;

namespace {

void resetScalars() {
    world.hyperspeed = 0;
    world.starSpeed = 0.4f;
    world.asteroidSpeedFactor = 0.05f;
    world.score = 0;
    world.lives = 5.0f;
    world.rocketsLeft = 3.0f;
    world.level = 1;
    world.playState = Playing;
    world.aimY = world.aimX = 0.0f;
    world.craftPitch = world.craftRoll = 0.0f;
    world.mouseY = world.mouseX = 0;
    world.prevMouseY = world.prevMouseX = 0;
}

void scatterStar(Star& s) {
    s.r = s.g = s.b = 1.0f;
    s.x = (randomUnit() - 0.5f) * 30.0f;
    s.y = (randomUnit() - 0.5f) * 30.0f;
    s.z = (randomUnit() - 0.5f) * 100.0f;
}

// A ratio of two raw draws: median 1, with a long tail far beyond the far
// plane. A zero divisor is drawn again so no depth is ever infinite or NaN.
float startDepth() {
    const float d1 = static_cast<float>(nextRandom());
    int32_t d2 = nextRandom();
    while (d2 == 0) {
        d2 = nextRandom();
    }
    return -(d1 / static_cast<float>(d2)) * 20.0f;
}

void scatterAsteroid(Asteroid& a) {
    a.x = (randomUnit() - 0.5f) * 20.0f;
    a.y = (randomUnit() - 0.5f) * 20.0f;
    a.z = startDepth();
    a.angle = 0.0f;
    a.spin = (randomUnit() - 0.5f) * 10.0f;
    a.axisX = randomUnit() - 0.5f;
    a.axisY = randomUnit() - 0.5f;
    a.axisZ = randomUnit() - 0.5f;
    a.radius = a.health = randomUnit() * 2.0f;
    a.speed = static_cast<float>(randomMod(10)) * world.asteroidSpeedFactor;
    a.alive = 1;
    for (Particle& p : a.debris) {
        p.life = 0.0f;
    }
}

}  // namespace

void newGame() {
    resetScalars();
    for (Star& s : world.stars) {
        scatterStar(s);
    }
    for (Asteroid& a : world.asteroids) {
        scatterAsteroid(a);
    }
}
