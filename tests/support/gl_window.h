// Opens one real GLUT window (on the test's virtual X server) per test process,
// with the game's display mode and size, and makes its context current.
#pragma once

#include <GL/freeglut.h>

// glutInit with a stand-in command line; closing a window must not end the test.
inline void initGlutForTest() {
    int argc = 1;
    char name[] = "skorvane-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
}

inline void openTestWindow(int width = 500, int height = 500) {
    static bool open = false;
    if (open) return;
    initGlutForTest();
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH | GLUT_RGB);
    glutInitWindowSize(width, height);
    glutInitWindowPosition(100, 100);
    glutCreateWindow("Skorvane");
    open = true;
}

// Lets GLUT deliver pending window events (the first reshape, for one).
inline void pumpEvents(int rounds = 5) {
    for (int i = 0; i < rounds; ++i) glutMainLoopEvent();
}
