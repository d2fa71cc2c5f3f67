// Test-only: a World from a seed and a scripted stretch of play, paused.
#include "tests/support/scripted_world.h"

#include <GL/glut.h>

#include <initializer_list>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "app/startup.h"
#include "game/random.h"
#include "game/tick.h"
#include "game/weapons.h"
#include "game/world.h"

bool showScriptedWorld(uint32_t seed) {
    if (playingTickPending()) return false;
    seedRandom(seed);
    newGame();
    const int32_t centreX = world.windowWidth / 2;
    world.prevMouseX = centreX;
    world.mouseY = world.prevMouseY = world.windowHeight / 2;
    for (int tick = 0; tick < 180; ++tick) {
        world.mouseX = tick < 176 ? centreX : centreX + 10 * (tick - 175);
        if (tick % 6 == 0) fireBullet();
        if (tick == 166 || tick == 174) fireRocket();
        updateWorld();
    }
    world.playState = Paused;
    glutPostRedisplay();
    return true;
}

void clearSky() {
    for (Star& s : world.stars) s.z = -1000;
    for (Asteroid& a : world.asteroids) a.alive = 0, a.fireballRadius = 0;
    for (Bullet& b : world.bullets) b.alive = 0;
    for (ImpactFlash& f : world.impactFlashes) f.active = 0, f.size = 0;
    for (Rocket& r : world.rockets) r = Rocket{};
    for (GLenum light : {GL_LIGHT1, GL_LIGHT2, GL_LIGHT3}) glDisable(light);
}

#ifdef __EMSCRIPTEN__
// For the browser's tests, in the test build's page only: 1 once the World is
// shown, 0 while a tick of a running chain is still pending.
extern "C" EMSCRIPTEN_KEEPALIVE int showScriptedWorldForTest(uint32_t seed) {
    return showScriptedWorld(seed) ? 1 : 0;
}

// 1 while a tick of a running chain is still pending: a pause takes hold
// only once it has run.
extern "C" EMSCRIPTEN_KEEPALIVE int tickPendingForTest() {
    return playingTickPending() ? 1 : 0;
}

// One still asteroid of radius 2 on the view axis, 30 units away, in an empty
// sky, paused; 0 while a tick of a running chain is still pending.
extern "C" EMSCRIPTEN_KEEPALIVE int showLoneAsteroidForTest() {
    if (playingTickPending()) return 0;
    newGame();
    world.playState = Paused;
    clearSky();
    Asteroid& a = world.asteroids[0];
    a.x = a.y = a.angle = a.speed = 0, a.z = 30, a.radius = 2, a.alive = 1;
    glutPostRedisplay();
    return 1;
}
#endif
