// Keyboard, mouse, pointer and window-size callbacks.
#include "app/input.h"

#include <cstdio>
#include <cstdlib>

#include <GL/glut.h>

#include "app/pad.h"
#include "app/startup.h"
#include "game/weapons.h"
#include "game/world.h"
#include "render/projection.h"
#include "sound/sound.h"

void togglePause() {
    if (world.playState == Playing) {
        world.playState = Paused;  // the pending tick runs one last update
    } else {
        world.playState = Playing;  // in GameOver the finished game runs on
        startTickChain();
    }
    followWorld();  // the sound fades out at once, or goes on
    glutPostRedisplay();
}

namespace {

void toggleHyperspeed() {
    if (world.hyperspeed == 0) {
        world.hyperspeed = 1;
        world.starSpeed = 0.6f;
    } else {
        world.hyperspeed = 0;
        world.starSpeed = 0.4f;
    }
}

}  // namespace

void printHelp() {
    std::fputs("\nSkorvane\n", stdout);
    std::fputs(" Left Click:  Shoot single bullet\n", stdout);
    std::fputs(" Right Click:  Shoot single rocket\n", stdout);
    std::fputs(" Space Bar:  Shoot single bullet\n", stdout);
    std::fputs(" 'r':  Shoot single rocket\n", stdout);
    std::fputs(" 'p':  Play/Pause Toggle\n", stdout);
    std::fputs(" 's':  Hyperspeed Toggle\n", stdout);
    std::fputs(" 'q':  Quit Game\n", stdout);
    std::fputs(" 'h':  Help\n\n", stdout);
}

void onKeyboard(unsigned char key, int, int) {
    if (resumedAfterPadLoss()) return;
    switch (key) {
        case ' ':
            fireBullet();
            break;
        case 'h':
        case 'H':
            printHelp();
            break;
        case 'p':
        case 'P':
            togglePause();
            break;
        case 'q':
        case 'Q':
            std::exit(0);
        case 'r':
        case 'R':
            fireRocket();
            break;
        case 's':
        case 'S':
            toggleHyperspeed();
            break;
        default:
            break;  // every other key only redraws
    }
    glutPostRedisplay();
}

void onMouse(int button, int state, int, int) {
    if (state == GLUT_DOWN && resumedAfterPadLoss()) return;
    if (state == GLUT_DOWN && button == GLUT_LEFT_BUTTON) {
        fireBullet();  // from the old aim, before a restart resets it
        if (world.playState == GameOver) {
            newGame();
            startTickChain();
        }
    } else if (state == GLUT_DOWN && button == GLUT_RIGHT_BUTTON) {
        fireRocket();
    }
    glutPostRedisplay();
}

void recordPointer(int x, int y) {
    world.mouseX = x;
    world.mouseY = world.windowHeight - y - 1;  // row 0 is the bottom one
}

void onPassiveMotion(int x, int y) {
    recordPointer(x, y);
    glutPostRedisplay();
}

void onReshape(int width, int height) {
    world.windowWidth = width;
    world.windowHeight = height;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    loadScenePerspective();
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, width, height);
    glutPostRedisplay();
}
