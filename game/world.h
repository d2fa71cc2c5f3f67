// The whole game state: plain records in fixed slot arrays, one World in static storage.
#pragma once

#include <cstdint>

enum PlayState : int32_t { Paused = 0, Playing = 1, GameOver = 2 };

constexpr int starCount = 250;
constexpr int asteroidCount = 10;
constexpr int bulletSlots = 30;  // one impact flash per bullet slot
constexpr int rocketSlots = 3;   // rocket slot i owns GL_LIGHT1 + i
constexpr int debrisPerAsteroid = 25;
constexpr int trailPerRocket = 500;

// Drawn only while life > 0 and size > 0.
struct Particle {
    float x, y, z;
    float vx, vy, vz;  // per tick
    float fade;        // taken from life each tick
    float life;        // also the opacity it is drawn with
    float size;        // radius or half-width
    float angle;       // degrees
    float spin;        // degrees per tick
    float growth;      // added to size per tick (trail only)
};

struct Star {
    float x, y, z;
    float r, g, b;
};

struct Asteroid {
    float x, y, z;
    float angle;                // tumble, degrees
    float spin;                 // degrees per tick
    float axisX, axisY, axisZ;  // tumble axis, not normalised
    float health;               // each bullet hit takes 0.5
    float speed;                // own approach per tick
    float radius;
    int32_t alive;
    Particle debris[debrisPerAsteroid];
    float fireballRadius;  // fire-ball shows while > 0
};

struct Bullet {
    float x, y, z;
    float speed;
    int32_t alive;
};

struct ImpactFlash {
    float x, y, z;
    float size;  // radius
    int32_t active;
};

struct Rocket {
    float x, y, z;
    float speed;
    int32_t alive;
    Particle trail[trailPerRocket];
};

struct World {
    int32_t playState;  // a PlayState
    int32_t score;
    int32_t level;  // 1 to 5
    float asteroidSpeedFactor;
    float lives;
    float rocketsLeft;
    int32_t hyperspeed;
    float starSpeed;
    float aimX, aimY;        // held within -12.25 .. 12.25
    float craftRoll;         // degrees about the view axis
    float craftPitch;        // degrees about x
    int32_t mouseX, mouseY;  // pixels; mouseY counts from the bottom row
    int32_t prevMouseX, prevMouseY;
    int32_t windowWidth, windowHeight;  // 0 until the first reshape
    Star stars[starCount];
    Asteroid asteroids[asteroidCount];
    Bullet bullets[bulletSlots];
    ImpactFlash impactFlashes[bulletSlots];
    Rocket rockets[rocketSlots];
};

extern World world;

// Puts the World into the state of a fresh game; bullets, rockets, flashes,
// fire-balls and the window size carry over untouched.
void newGame();
