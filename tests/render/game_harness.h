// Starts the real game in a test process (everything main does but the endless
// main loop) and reads back what the frames put on screen.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "app/startup.h"
#include "game/random.h"
#include "game/world.h"

// The working directory holds the four data files (CTest runs us there).
inline void startGameInTest() {
    static bool started = false;
    if (started) return;
    int argc = 1;
    char name[] = "skorvane-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    createGameWindow();
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    registerCallbacks();
    initGame();
    armTick(world.playState);
    started = true;
}

// Lets GLUT run its loop (frames, timers, input) for a stretch of wall time.
inline void runLoopFor(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) glutMainLoopEvent();
}

// Runs the loop until done() holds or the time is up; returns done().
template <typename Done>
bool runLoopUntil(Done done, int milliseconds = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done() && std::chrono::steady_clock::now() < end) glutMainLoopEvent();
    return done();
}

// A fresh, reproducible game without ticks running in the background.
inline void reproducibleGame(uint32_t seed = 2024) {
    seedRandom(seed);
    newGame();
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // bottom row first

    const unsigned char* at(int x, int y) const {
        return &rgb[static_cast<size_t>((y * width + x) * 3)];
    }
    bool isWhite(int x, int y) const {
        const unsigned char* p = at(x, y);
        return p[0] > 200 && p[1] > 200 && p[2] > 200;
    }
    bool isBlack(int x, int y) const {
        const unsigned char* p = at(x, y);
        return p[0] == 0 && p[1] == 0 && p[2] == 0;
    }
    bool operator==(const Picture& o) const {
        return width == o.width && height == o.height && rgb == o.rgb;
    }
};

// A screenshot of the game window's client area as the X server shows it.
inline Picture screenshot() {
    glFinish();
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    XSync(display, False);
    Picture p;
    p.width = glutGet(GLUT_WINDOW_WIDTH);
    p.height = glutGet(GLUT_WINDOW_HEIGHT);
    p.rgb.resize(static_cast<size_t>(p.width * p.height * 3));
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(p.width),
                              static_cast<unsigned>(p.height), AllPlanes, ZPixmap);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, p.height - 1 - y);
            unsigned char* out = &p.rgb[static_cast<size_t>(((y * p.width) + x) * 3)];
            out[0] = static_cast<unsigned char>((pixel >> 16) & 255u);
            out[1] = static_cast<unsigned char>((pixel >> 8) & 255u);
            out[2] = static_cast<unsigned char>(pixel & 255u);
        }
    XDestroyImage(image);
    return p;
}

// Runs an xdotool command against the test's X server; true when it succeeded.
inline bool xdotool(const std::string& args) {
    const std::string command = "xdotool " + args + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Screen position of a pixel of the game window's client area (y from the top).
inline std::string screenPoint(int x, int y) {
    return std::to_string(glutGet(GLUT_WINDOW_X) + x) + " " +
           std::to_string(glutGet(GLUT_WINDOW_Y) + y);
}
