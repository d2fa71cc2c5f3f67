// The browser's own parts: a page has no command line; a page the player does
// not see pauses, as 'p' does, since browsers slow its timers; a lost
// WebGL context pauses it until the browser gives it back; touch; and the
// page's mute and music buttons. The page resumes Emscripten's OpenAL's audio
// on the events that may start it (index.js).
#include <GL/glut.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdlib>

#include "app/input.h"
#include "app/platform.h"
#include "game/world.h"
#include "sound/sound.h"

namespace {

void pauseIfHidden() {
    EmscriptenVisibilityChangeEvent visibility;
    const bool hidden =
        emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS &&
        visibility.hidden;
    if (hidden && world.playState == Playing) togglePause();
}

EM_BOOL onVisibilityChange(int, const EmscriptenVisibilityChangeEvent*, void*) {
    pauseIfHidden();
    return EM_FALSE;
}

// Lost, the game pauses, and the browser is told that it may give the context
// back (by preventDefault); back, the layer has made its GL objects again and
// the game goes on as it was.
bool resumeWhenRestored = false;

EM_BOOL onContextLost(int, const void*, void*) {
    resumeWhenRestored = world.playState == Playing;
    if (resumeWhenRestored) togglePause();
    return EM_TRUE;
}

EM_BOOL onContextRestored(int, const void*, void*) {
    if (resumeWhenRestored && world.playState == Paused) togglePause();
    resumeWhenRestored = false;
    glutPostRedisplay();
    return EM_FALSE;
}

// The first finger on the game is the pointer, so a drag steers as the mouse
// does. The pointer jumps to it at its first move without turning the craft,
// so touching down jerks nothing. A short tap, of that finger or of another
// while it steers, is a click of the left button.
struct Finger {
    long id = -1;       // -1: no finger
    double downAt = 0;  // milliseconds
    long x = 0, y = 0;  // where it touched down
    bool moved = false;
};
Finger steering, tapping;

constexpr double tapMilliseconds = 300;
constexpr long tapPixels = 10;

void startFinger(Finger& finger, const EmscriptenTouchPoint& t) {
    finger = {t.identifier, emscripten_get_now(), t.targetX, t.targetY, false};
}

void moveFinger(Finger& finger, const EmscriptenTouchPoint& t, bool steers) {
    const bool first = !finger.moved;
    finger.moved = finger.moved || std::labs(t.targetX - finger.x) > tapPixels ||
                   std::labs(t.targetY - finger.y) > tapPixels;
    if (!steers || !finger.moved) return;
    recordPointer(int(t.targetX), int(t.targetY));
    if (first) world.prevMouseX = world.mouseX, world.prevMouseY = world.mouseY;
}

void endFinger(Finger& finger) {
    if (!finger.moved && emscripten_get_now() - finger.downAt < tapMilliseconds) {
        onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, int(finger.x), int(finger.y));
        onMouse(GLUT_LEFT_BUTTON, GLUT_UP, int(finger.x), int(finger.y));
    }
    finger.id = -1;
}

// Nothing scrolls, zooms or makes up mouse events from the touches.
EM_BOOL onTouch(int type, const EmscriptenTouchEvent* event, void*) {
    for (int i = 0; i < event->numTouches; ++i) {
        const EmscriptenTouchPoint& t = event->touches[i];
        Finger* finger = t.identifier == steering.id  ? &steering
                         : t.identifier == tapping.id ? &tapping
                                                      : nullptr;
        if (!t.isChanged) continue;
        if (type == EMSCRIPTEN_EVENT_TOUCHSTART && finger == nullptr)
            startFinger(steering.id < 0 ? steering : tapping, t);
        if (type == EMSCRIPTEN_EVENT_TOUCHMOVE && finger != nullptr)
            moveFinger(*finger, t, finger == &steering);
        if (type == EMSCRIPTEN_EVENT_TOUCHEND && finger != nullptr) endFinger(*finger);
        if (type == EMSCRIPTEN_EVENT_TOUCHCANCEL && finger != nullptr) finger->id = -1;
    }
    return EM_TRUE;
}

// The page's buttons for touch screens, each a key.
EM_BOOL onButton(int, const EmscriptenTouchEvent*, void* key) {
    onKeyboard(*static_cast<const unsigned char*>(key), 0, 0);
    return EM_TRUE;
}

}  // namespace

// The page's mute button and its 'm' call this; the page keeps the choice.
extern "C" EMSCRIPTEN_KEEPALIVE void skorvane_mute(int muted) {
    setSoundGain(muted ? 0.0f : 1.0f);
}

// The page's music button and its 'n' call this; the page keeps the choice.
extern "C" EMSCRIPTEN_KEEPALIVE void skorvane_music(int on) {
    setMusicOn(on != 0);
}

bool answeredInfoOption(int, char**) {
    return false;
}

// A page opened in a background tab starts paused, and the player resumes it;
// touches on the game and its buttons, and a lost context, are heard from now on.
void prepareWindow() {
    static const unsigned char keys[] = {'r', 'p', 's', 'h'};
    static const char* const buttons[] = {"#rocket", "#pause", "#hyperspeed", "#help"};
    pauseIfHidden();
    // A frame costs a phone's battery: the pointer asks for none, since the
    // tick turns its moves into aim and asks for the frame that shows it.
    glutPassiveMotionFunc(recordPointer);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, onVisibilityChange);
    emscripten_set_webglcontextlost_callback("#game", nullptr, EM_FALSE, onContextLost);
    emscripten_set_webglcontextrestored_callback("#game", nullptr, EM_FALSE, onContextRestored);
    emscripten_set_touchstart_callback("#game", nullptr, EM_FALSE, onTouch);
    emscripten_set_touchmove_callback("#game", nullptr, EM_FALSE, onTouch);
    emscripten_set_touchend_callback("#game", nullptr, EM_FALSE, onTouch);
    emscripten_set_touchcancel_callback("#game", nullptr, EM_FALSE, onTouch);
    for (int i = 0; i < 4; ++i)
        emscripten_set_touchstart_callback(buttons[i], const_cast<unsigned char*>(&keys[i]),
                                           EM_FALSE, onButton);
}
