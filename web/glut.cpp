// GLUT in the page: the window is the page's canvas (Module.canvas, #game),
// frames come with the browser's animation frames, timers and input through
// Emscripten's html5 and event-loop calls. exit() ends the game on the page.
#include <GL/glut.h>
#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "web/layer.h"

namespace {

const char canvas[] = "#game";
const char textCanvas[] = "#text";

void (*display)() = nullptr;
void (*mouse)(int, int, int, int) = nullptr;
void (*keyboard)(unsigned char, int, int) = nullptr;
void (*reshape)(int, int) = nullptr;
void (*passiveMotion)(int, int) = nullptr;

bool ended = false;  // by exit() or a failure: no more frames, ticks or input
bool redisplayPending = false;
int pointerX = 0, pointerY = 0;  // window pixels from the top left

struct Timer {
    void (*callback)(int);
    int value;
    bool pending;
};
Timer timers[8];  // the game keeps one pending, two for a moment when it resumes

EM_JS(void, throwError, (const char* message), { throw new Error(UTF8ToString(message)); });
EM_JS(void, publishFrame, (int draws), { Module.drawsPerFrame = draws; });

void fireTimer(void* slot) {
    Timer& timer = *static_cast<Timer*>(slot);
    timer.pending = false;
    if (!ended) timer.callback(timer.value);
}

EM_BOOL onAnimationFrame(double, void*) {
    if (ended) return EM_FALSE;
    if (redisplayPending && display != nullptr) {
        redisplayPending = false;
        display();
    }
    return EM_TRUE;
}

// The window is the canvas's size on the page; its drawing buffer has the
// display's pixels, so the picture is as sharp as the screen.
void fitCanvas() {
    double cssWidth = 0, cssHeight = 0;
    emscripten_get_element_css_size(canvas, &cssWidth, &cssHeight);
    const int width = int(std::lround(cssWidth)), height = int(std::lround(cssHeight));
    const float scale = float(emscripten_get_device_pixel_ratio());
    for (const char* c : {canvas, textCanvas}) {
        emscripten_set_canvas_element_size(c, int(std::lround(float(width) * scale)),
                                           int(std::lround(float(height) * scale)));
    }
    layer::setPixelScale(scale);
    layer::textCanvasCleared();
    if (reshape != nullptr) reshape(width, height);
    redisplayPending = true;
}

EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* event, void*) {
    pointerX = int(event->targetX), pointerY = int(event->targetY);
    if (!ended && event->buttons == 0 && passiveMotion != nullptr)
        passiveMotion(pointerX, pointerY);
    return EM_FALSE;
}

EM_BOOL onMouseButton(int type, const EmscriptenMouseEvent* event, void*) {
    pointerX = int(event->targetX), pointerY = int(event->targetY);
    const int state = type == EMSCRIPTEN_EVENT_MOUSEDOWN ? GLUT_DOWN : GLUT_UP;
    if (!ended && mouse != nullptr && event->button <= 2)
        mouse(event->button, state, pointerX, pointerY);
    return EM_FALSE;
}

// GLUT's character for a key: the character itself, or the control code of
// the few named keys that have one; -1 for the others.
int characterOf(const EmscriptenKeyboardEvent& event) {
    if (event.key[0] != '\0' && event.key[1] == '\0')
        return static_cast<unsigned char>(event.key[0]);
    static const struct {
        const char* name;
        int code;
    } named[] = {{"Enter", 13}, {"Escape", 27}, {"Backspace", 8}, {"Delete", 127}};
    for (const auto& key : named)
        if (std::strcmp(event.key, key.name) == 0) return key.code;
    return -1;
}

// Keys held with Ctrl, Alt or Meta stay the browser's shortcuts.
EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    const int character = characterOf(*event);
    if (ended || keyboard == nullptr || character < 0 || event->ctrlKey || event->altKey ||
        event->metaKey)
        return EM_FALSE;
    keyboard(static_cast<unsigned char>(character), pointerX, pointerY);
    return EM_TRUE;  // a space must not scroll the page
}

EM_BOOL onResize(int, const EmscriptenUiEvent*, void*) {
    fitCanvas();
    return EM_FALSE;
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

// The game ends itself with exit(). In a page that would only halt the call;
// this shuts the game down, and the page hears of it (Module.onExit).
extern "C" [[noreturn]] void __wrap_exit(int status) {
    ended = true;
    std::fflush(stdout);
    emscripten_force_exit(status);
}

void glutInit(int*, char**) {}
void glutInitDisplayMode(unsigned int) {}  // the context is always double-buffered RGB with depth
void glutInitWindowSize(int, int) {}       // the page sizes the canvas
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
    for (Timer& timer : timers) {
        if (timer.pending) continue;
        timer = {callback, value, true};
        emscripten_set_timeout(fireTimer, milliseconds, &timer);
        return;
    }
    layer::fail("glutTimerFunc: more than 8 timers pending");
}

void glutPostRedisplay() {
    redisplayPending = true;
}

void glutSwapBuffers() {
    layer::drawPending();
    layer::paintText();
    publishFrame(layer::takeFrameDraws());
}

void glutMainLoop() {
    fitCanvas();
    emscripten_set_mousemove_callback(canvas, nullptr, EM_FALSE, onMouseMove);
    emscripten_set_mousedown_callback(canvas, nullptr, EM_FALSE, onMouseButton);
    emscripten_set_mouseup_callback(canvas, nullptr, EM_FALSE, onMouseButton);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onKeyDown);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onResize);
    emscripten_request_animation_frame_loop(onAnimationFrame, nullptr);
    emscripten_exit_with_live_runtime();
}
