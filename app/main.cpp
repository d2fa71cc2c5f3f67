// Entry point: the platform's own options, or the window, the game and the GLUT loop.
#include <GL/glut.h>

#include <cstdio>

#include "app/platform.h"
#include "app/startup.h"

int main(int argc, char** argv) {
    // Each line reaches a pipe, a file or the journal as it is written, and
    // none is lost when a signal ends the game; standard error stays unbuffered.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    if (answeredInfoOption(argc, argv)) return 0;
    startGame(argc, argv);
    glutMainLoop();
    return 0;
}
