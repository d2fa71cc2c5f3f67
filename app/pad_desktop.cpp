// The desktop's pads through SDL's game-controller part alone: no SDL window
// or video (GLUT keeps the window), its controller database for the layout.
#include <SDL.h>

#include <cstdio>

#include "app/pad.h"

namespace {

struct OpenPad {
    SDL_GameController* controller;
    SDL_JoystickID id;
    bool pressed[padButtonCount];  // since the last read: a tap between two reads counts
};
OpenPad opened[padSlots];
bool started = false;

constexpr SDL_GameControllerButton sdlButtons[] = {
    SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_START};
constexpr int triggerPressed = 16384;  // of 32767

void openPad(int device) {
    for (OpenPad& pad : opened) {
        if (pad.controller != nullptr) continue;
        pad.controller = SDL_GameControllerOpen(device);
        if (pad.controller != nullptr)
            pad.id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad.controller));
        return;
    }
}

OpenPad* padOf(SDL_JoystickID id) {
    for (OpenPad& pad : opened)
        if (pad.controller != nullptr && pad.id == id) return &pad;
    return nullptr;
}

void close(OpenPad* pad) {
    if (pad == nullptr) return;
    SDL_GameControllerClose(pad->controller);
    *pad = OpenPad{};
}

void press(OpenPad* pad, Uint8 button) {
    for (int b = 0; pad != nullptr && b < PadLeftTrigger; ++b)
        if (button == sdlButtons[b]) pad->pressed[b] = true;
}

// Pads already plugged in arrive as added too, at the first read.
void take(const SDL_Event& event) {
    if (event.type == SDL_CONTROLLERDEVICEADDED) openPad(event.cdevice.which);
    if (event.type == SDL_CONTROLLERDEVICEREMOVED) close(padOf(event.cdevice.which));
    if (event.type == SDL_CONTROLLERBUTTONDOWN)
        press(padOf(event.cbutton.which), event.cbutton.button);
}

float stick(SDL_GameController* controller, SDL_GameControllerAxis axis) {
    return static_cast<float>(SDL_GameControllerGetAxis(controller, axis)) / 32767.0f;
}

void read(OpenPad& pad, PadState& state) {
    state = PadState{};
    if (pad.controller == nullptr) return;
    state.connected = true;
    state.stickX = stick(pad.controller, SDL_CONTROLLER_AXIS_LEFTX);
    state.stickY = stick(pad.controller, SDL_CONTROLLER_AXIS_LEFTY);
    for (int b = 0; b < PadLeftTrigger; ++b)
        state.buttons[b] =
            pad.pressed[b] || SDL_GameControllerGetButton(pad.controller, sdlButtons[b]);
    state.buttons[PadLeftTrigger] =
        SDL_GameControllerGetAxis(pad.controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT) > triggerPressed;
    state.buttons[PadRightTrigger] =
        SDL_GameControllerGetAxis(pad.controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) >
        triggerPressed;
    for (bool& pressed : pad.pressed) pressed = false;
}

}  // namespace

// By default SDL turns SIGINT and SIGTERM into a quit event, which GLUT's
// game never reads: without its handlers both end the game as before.
void openPads() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    started = SDL_Init(SDL_INIT_GAMECONTROLLER) == 0;
    if (!started) std::fprintf(stderr, "skorvane: no game pads: %s\n", SDL_GetError());
}

bool readPads(PadState* pads) {
    if (!started) return false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) take(event);
    for (int slot = 0; slot < padSlots; ++slot) read(opened[slot], pads[slot]);
    return true;
}

// SDL answers -1 for a pad without rumble: nothing to do then.
void rumblePad(int slot, float strength, unsigned milliseconds) {
    SDL_GameController* controller = opened[slot].controller;
    const auto level = static_cast<Uint16>(strength * 65535.0f);
    if (controller != nullptr) SDL_GameControllerRumble(controller, level, level, milliseconds);
}
