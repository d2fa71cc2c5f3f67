// Entry point: the platform's own options, or the window, the game and the GLUT loop.
#include <GL/glut.h>

#include "app/platform.h"
#include "app/startup.h"

int main(int argc, char** argv) {
    if (answeredInfoOption(argc, argv)) return 0;
    startGame(argc, argv);
    glutMainLoop();
    return 0;
}
