// Entry point: opens the window, prepares the game, starts the tick chain.
#include <GL/freeglut.h>

#include "app/startup.h"
#include "game/world.h"

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    createGameWindow();
    registerCallbacks();
    initGame();
    armTick(world.playState);  // Playing: initGame ends with a new game
    glutMainLoop();
    return 0;
}
