// What the tick asks of the platform. app/ binds these to GL, GLUT and OpenAL,
// tests to recorders; until bound they do nothing, so the core runs with no display.
#pragma once

// What the player hears; the core says which and where, the platform plays it.
enum GameSound : int {
    BulletFired,
    RocketLaunched,
    AsteroidHit,
    AsteroidBurst,
    LifeLost,  // these three are heard at the listener, wherever they happen
    LevelGained,
    GameEnded,
    RocketFlight,  // not an event: the loop a rocket plays while it flies
    gameSoundCount
};

struct PlatformHooks {
    void (*disableRocketLight)(int slot);  // switch off GL_LIGHT1 + slot
    void (*requestRedisplay)();
    void (*soundAt)(GameSound sound, float x, float y, float z);  // in world coordinates
};

extern PlatformHooks platformHooks;
