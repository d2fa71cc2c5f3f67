// The desktop's own parts: --help and --version, answered without a display,
// and the X11 window class that desktops match against the game's entry.
#include <cstdio>
#include <cstring>

#include <GL/glx.h>
#include <X11/Xutil.h>

#include "app/platform.h"

namespace {

const char usage[] =
    "Usage: skorvane [--help | --version | --mute | --no-music | GLUT options such as\n"
    "                 -display DISPLAY]\n"
    "\n"
    "Skorvane is a 3-D arcade shooter: steer through a streaming starfield and\n"
    "shoot the tumbling asteroids with bullets and rockets, through five levels\n"
    "with five lives.\n"
    "\n"
    "Options:\n"
    "  --mute      play silent, with no sound device opened\n"
    "  --no-music  play the sound effects without the music\n"
    "\n"
    "Controls:\n"
    "  move the pointer  steer the aim point; rest it near an edge to keep turning\n"
    "  left button       fire a bullet; after GAME OVER, start a new game\n"
    "  right button      fire a rocket (three can be in flight)\n"
    "  space             fire a bullet\n"
    "  r                 fire a rocket\n"
    "  p                 pause or resume\n"
    "  s                 hyperspeed on or off\n"
    "  h                 print the controls\n"
    "  q                 quit\n"
    "\n"
    "Game pads (plugged in at any time; unplugging the one in use pauses):\n"
    "  left stick        steer as the pointer does; held over, it keeps turning\n"
    "  A, right trigger  fire a bullet; after GAME OVER, start a new game\n"
    "  B, left trigger   fire a rocket\n"
    "  Start             pause or resume\n"
    "  Y                 hyperspeed on or off\n"
    "  Back              print the controls\n"
    "\n"
    "Files, read from the working directory (the installed skorvane command\n"
    "changes to its data folder first):\n"
    "  asteroid.bmp, fire.bmp, smoke.bmp  textures, uncompressed 24-bit BMP\n"
    "  cessna500.m                        the craft's mesh\n"
    "\n"
    "Exit status: 0 after q or when the window is closed; 1 when a picture cannot\n"
    "be loaded, when there is no display, or when the installed game misses its\n"
    "files.\n";

}  // namespace

// Both are answered before glutInit, which would fail without a display.
bool answeredInfoOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(usage, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("skorvane " SKORVANE_VERSION);
            return true;
        }
    }
    return false;
}

// freeglut leaves WM_CLASS unset; desktops match it against the entry's
// StartupWMClass to group the window under the game's name and icon. A
// freeglut built on EGL has no X display, and then nothing to label.
void prepareWindow() {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) return;
    char name[] = "skorvane";
    char className[] = "Skorvane";
    XClassHint hint{name, className};
    XSetClassHint(display, glXGetCurrentDrawable(), &hint);
}
