// Test-only: a World from a seed and a few scripted ticks, paused.
#include "app/scripted_world.h"

#include <GL/glut.h>

#include "app/startup.h"
#include "game/random.h"
#include "game/tick.h"
#include "game/weapons.h"
#include "game/world.h"

bool showScriptedWorld(uint32_t seed, int ticks, int rocketTick) {
    if (playingTickPending()) return false;
    seedRandom(seed);
    newGame();
    // At rest in the middle the pointer steers nowhere.
    world.mouseX = world.prevMouseX = world.windowWidth / 2;
    world.mouseY = world.prevMouseY = world.windowHeight / 2;
    for (int tick = 0; tick < ticks; ++tick) {
        if (tick == rocketTick) fireRocket();
        updateWorld();
    }
    world.playState = Paused;
    glutPostRedisplay();
    return true;
}
