// Starts the real game in a test process (everything main does but the endless
// main loop) and reads back what the frames put on screen.
#pragma once

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "app/startup.h"
#include "game/random.h"
#include "game/world.h"
#include "support/gl_window.h"

// The working directory holds the four data files (CTest runs us there).
inline void startGameInTest() {
    static bool started = false;
    if (started) return;
    initGlutForTest();
    createGameWindow();
    registerCallbacks();
    initGame();
    armTick(world.playState);
    started = true;
}

// Runs GLUT's loop (frames, timers, input) until done() holds or the time is up; returns done().
template <typename Done>
bool runLoopUntil(Done done, int milliseconds = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done() && std::chrono::steady_clock::now() < end) glutMainLoopEvent();
    return done();
}
inline void runLoopFor(int milliseconds) { runLoopUntil([] { return false; }, milliseconds); }

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // bottom row first

    const unsigned char* at(int x, int y) const {
        return &rgb[static_cast<size_t>((y * width + x) * 3)];
    }
    bool isWhite(int x, int y) const {
        return at(x, y)[0] > 200 && at(x, y)[1] > 200 && at(x, y)[2] > 200;
    }
    bool isBlack(int x, int y) const {
        return at(x, y)[0] == 0 && at(x, y)[1] == 0 && at(x, y)[2] == 0;
    }
};

// A screenshot of the game window's client area as the X server shows it.
inline Picture screenshot() {
    glFinish();
    Display* display = glXGetCurrentDisplay();
    XSync(display, False);
    Picture p;
    p.width = glutGet(GLUT_WINDOW_WIDTH);
    p.height = glutGet(GLUT_WINDOW_HEIGHT);
    p.rgb.resize(static_cast<size_t>(p.width * p.height * 3));
    XImage* image =
        XGetImage(display, glXGetCurrentDrawable(), 0, 0, static_cast<unsigned>(p.width),
                  static_cast<unsigned>(p.height), AllPlanes, ZPixmap);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, p.height - 1 - y);
            for (int c = 0; c < 3; ++c)
                p.rgb[static_cast<size_t>((y * p.width + x) * 3 + c)] =
                    static_cast<unsigned char>((pixel >> (16 - 8 * c)) & 255u);
        }
    XDestroyImage(image);
    return p;
}

// Runs an xdotool command against the test's X server; true when it succeeded.
inline bool xdotool(const std::string& args) {
    return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()) == 0;
}

// Screen position of a pixel of the game window's client area (y from the top).
inline std::string screenPoint(int x, int y) {
    return std::to_string(glutGet(GLUT_WINDOW_X) + x) + " " +
           std::to_string(glutGet(GLUT_WINDOW_Y) + y);
}
