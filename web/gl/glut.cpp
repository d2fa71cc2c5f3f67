// GLUT in the page: the window is the page's canvas (Module.canvas, #game), a
// frame comes with the browser's next animation frame once one is asked for,
// and timers and input through Emscripten's event-loop and html5 calls.
// exit() ends the game.
#include <GL/glut.h>
#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "web/gl/layer.h"

namespace {

const char canvas[] = "#game";
void (*display)() = nullptr;
void (*mouse)(int, int, int, int) = nullptr;
void (*keyboard)(unsigned char, int, int) = nullptr;
void (*reshape)(int, int) = nullptr;
void (*passiveMotion)(int, int) = nullptr;

bool ended = false;  // by exit() or a failure: no more frames, ticks or input
bool frameAsked = false;
bool drawing = false;            // a frame's own request for the next is not heeded
int pointerX = 0, pointerY = 0;  // window pixels from the top left

struct Timer {
    void (*callback)(int);
    int value;
    bool pending;
} timers[8];  // the game keeps one pending, two for a moment when it resumes

// clang-format off
EM_JS(void, throwError, (const char* message), { throw new Error(UTF8ToString(message)); });
EM_JS(float, pageFitCanvas, (), { return Module.fitCanvas(); });
EM_JS(void, watchCanvas, (), { Module.layer.watchCanvas(); });
// clang-format on

void fireTimer(void* slot) {
    Timer& timer = *static_cast<Timer*>(slot);
    timer.pending = false;
    if (!ended) timer.callback(timer.value);
}

// The world changes only on a tick or an input, and each asks for a frame: so
// a frame is drawn only then, and a paused game draws nothing. A frame that
// switches or moves a light (a rocket's) has lit what it drew before with the
// old one, as the desktop's does, which draws the next frame at once: so one
// more frame follows, and the picture settles as the desktop's.
EM_BOOL onAnimationFrame(double, void*) {
    frameAsked = false;
    if (display == nullptr || ended) return EM_FALSE;
    const unsigned lights = layer::lightsChanged();
    drawing = true;
    display();
    drawing = false;
    if (layer::lightsChanged() != lights) glutPostRedisplay();
    return EM_FALSE;
}

}  // namespace

// The window is the canvas's size on the page, and its drawing buffer as many
// pixels as the page gives it (Module.fitCanvas).
extern "C" EMSCRIPTEN_KEEPALIVE void layerFitCanvas() {
    double cssWidth = 0, cssHeight = 0;
    emscripten_get_element_css_size(canvas, &cssWidth, &cssHeight);
    layer::setPixelScale(pageFitCanvas());
    layer::textCanvasCleared();
    if (reshape != nullptr) reshape(int(std::lround(cssWidth)), int(std::lround(cssHeight)));
    glutPostRedisplay();
}

namespace {

// The pointer where it is now; moves with a button held are not passive.
EM_BOOL onMouse(int type, const EmscriptenMouseEvent* event, void*) {
    pointerX = int(event->targetX), pointerY = int(event->targetY);
    const int state = type == EMSCRIPTEN_EVENT_MOUSEDOWN ? GLUT_DOWN : GLUT_UP;
    if (ended) return EM_FALSE;
    if (type == EMSCRIPTEN_EVENT_MOUSEMOVE && event->buttons == 0 && passiveMotion)
        passiveMotion(pointerX, pointerY);
    if (type != EMSCRIPTEN_EVENT_MOUSEMOVE && event->button <= 2 && mouse)
        mouse(event->button, state, pointerX, pointerY);
    return EM_FALSE;
}

// A key's character, or the control code of the few named keys that have
// one; keys held with Ctrl, Alt or Meta stay the browser's shortcuts.
EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    static const struct {
        const char* name;
        int code;
    } named[] = {{"Enter", 13}, {"Escape", 27}, {"Backspace", 8}, {"Delete", 127}};
    int character = event->key[1] == '\0' ? static_cast<unsigned char>(event->key[0]) : 0;
    for (const auto& key : named)
        character = std::strcmp(event->key, key.name) == 0 ? key.code : character;
    if (ended || !keyboard || character == 0 || event->ctrlKey || event->altKey || event->metaKey)
        return EM_FALSE;
    keyboard(static_cast<unsigned char>(character), pointerX, pointerY);
    return EM_TRUE;  // a space must not scroll the page
}

}  // namespace

namespace layer {

void fail(const char* what) {
    ended = true;
    throwError(what);
    __builtin_unreachable();  // the error unwinds to the page
}

void fail(const char* what, unsigned value) {
    char message[160];
    std::snprintf(message, sizeof message, "%s: 0x%04X is not implemented", what, value);
    fail(message);
}

}  // namespace layer

// The page stops the game for reasons of its own too (its graphics lost for
// good): then no frame, tick or key reaches it, and keys go to the page's buttons.
extern "C" EMSCRIPTEN_KEEPALIVE void layerEnd() {
    ended = true;
}

// The game ends itself with exit(), which in a page would only halt the call:
// this shuts the game down, and the page hears of it (Module.onExit).
extern "C" [[noreturn]] void __wrap_exit(int status) {
    ended = true;
    std::fflush(stdout);
    emscripten_force_exit(status);
}

// The page makes the context double-buffered RGB with depth, and sizes the canvas.
void glutInit(int*, char**) {}
void glutInitDisplayMode(unsigned int) {}
void glutInitWindowSize(int, int) {}
void glutInitWindowPosition(int, int) {}

int glutCreateWindow(const char*) {
    if (!layer::startPipeline()) layer::fail("This browser gives the game no WebGL to draw with.");
    return 1;
}

void glutDisplayFunc(void (*callback)()) {
    display = callback;
}
void glutMouseFunc(void (*callback)(int, int, int, int)) {
    mouse = callback;
}
void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) {
    keyboard = callback;
}
void glutReshapeFunc(void (*callback)(int, int)) {
    reshape = callback;
}
void glutPassiveMotionFunc(void (*callback)(int, int)) {
    passiveMotion = callback;
}

void glutTimerFunc(unsigned int milliseconds, void (*callback)(int), int value) {
    Timer* timer = timers;
    while (timer->pending)
        if (++timer == timers + 8) layer::fail("glutTimerFunc: more than 8 timers pending");
    *timer = {callback, value, true};
    emscripten_set_timeout(fireTimer, milliseconds, timer);
}

void glutPostRedisplay() {
    if (drawing || frameAsked || ended) return;
    frameAsked = true;
    emscripten_request_animation_frame(onAnimationFrame, nullptr);
}

void glutSwapBuffers() {
    layer::drawPending();
    layer::paintText();
}

void glutMainLoop() {
    layerFitCanvas();
    watchCanvas();
    emscripten_set_mousemove_callback(canvas, nullptr, EM_FALSE, onMouse);
    emscripten_set_mousedown_callback(canvas, nullptr, EM_FALSE, onMouse);
    emscripten_set_mouseup_callback(canvas, nullptr, EM_FALSE, onMouse);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onKeyDown);
    emscripten_exit_with_live_runtime();
}
