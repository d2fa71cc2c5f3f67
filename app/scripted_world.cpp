// Test-only: a World from a seed and a scripted stretch of play, paused.
#include "app/scripted_world.h"

#include <GL/glut.h>

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
