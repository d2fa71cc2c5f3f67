// What a pad does in the game, on both platforms: the stick steers as the
// pointer does, the buttons click and press keys, a lost pad pauses, and the
// pad in use rumbles at a life lost and a rocket's burst.
#include "app/pad.h"

#include <GL/glut.h>

#include <cmath>
#include <cstdint>

#include "app/input.h"
#include "app/startup.h"
#include "game/platform_hooks.h"
#include "game/world.h"

namespace {

constexpr float deadZone = 0.15f;      // worn sticks rest a little off centre
constexpr float stickNoise = 0.02f;    // what a held stick wanders, beyond the dead zone
constexpr unsigned idlePeriodMs = 60;  // a press of Start lasts longer

PadState pads[padSlots], before[padSlots];
int inUse = -1;            // the pad that gave the last input: it rumbles, its loss pauses
int steering = -1;         // the pad whose stick moved last
bool stickSteers = false;  // that stick moved after the pointer did
int32_t stickMouseX = 0, stickMouseY = 0;  // where the stick last put the pointer
bool lostPause = false;
bool idlePollPending = false;
void (*playWorldSound)(GameSound, float, float, float) = nullptr;

void press(PadButton button) {
    switch (button) {
        case PadA:
        case PadRightTrigger:
            onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
            break;
        case PadB:
        case PadLeftTrigger:
            onMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
            break;
        case PadY:
            onKeyboard('s', 0, 0);
            break;
        case PadBack:
            onKeyboard('h', 0, 0);
            break;
        case PadStart:
            onKeyboard('p', 0, 0);
            break;
        case padButtonCount:
            break;
    }
}

// The pointer's place for a stick beyond its dead zone: the window's outer
// tenth on the stick's side, where the tick turns the aim at its one rate;
// at rest, the centre, where it turns nothing.
int32_t restingPlace(float stick, int32_t size) {
    return stick > 0 ? size - 1 : stick < 0 ? 0 : size / 2;
}

// The stick's travel as the pointer's, the window's half for the whole of it.
int64_t travel(float stick, int32_t size) {
    return std::lround(stick * static_cast<float>(size / 2));
}

bool stickMoved(const PadState& now, const PadState& then) {
    const float x = stickBeyondDeadZone(now.stickX), y = stickBeyondDeadZone(now.stickY);
    const float x0 = stickBeyondDeadZone(then.stickX), y0 = stickBeyondDeadZone(then.stickY);
    return std::fabs(x - x0) > stickNoise || std::fabs(y - y0) > stickNoise ||
           (x == 0.0f) != (x0 == 0.0f) || (y == 0.0f) != (y0 == 0.0f);
}

// The pointer rests where the stick points, and its move since the last poll
// is the stick's travel, which banks the craft as the pointer's move would.
void steerWithStick(const PadState& now, const PadState& then) {
    const float x = stickBeyondDeadZone(now.stickX), x0 = stickBeyondDeadZone(then.stickX);
    const float y = -stickBeyondDeadZone(now.stickY), y0 = -stickBeyondDeadZone(then.stickY);
    world.mouseX = stickMouseX = restingPlace(x, world.windowWidth);
    world.mouseY = stickMouseY = restingPlace(y, world.windowHeight);
    const int64_t movedX = travel(x, world.windowWidth) - travel(x0, world.windowWidth);
    const int64_t movedY = travel(y, world.windowHeight) - travel(y0, world.windowHeight);
    world.prevMouseX = static_cast<int32_t>(world.mouseX - movedX);
    world.prevMouseY = static_cast<int32_t>(world.mouseY - movedY);
}

// The pointer moved since the stick put it: it steers, and its first move
// from the stick's place turns nothing.
void yieldToPointer() {
    if (!stickSteers || (world.mouseX == stickMouseX && world.mouseY == stickMouseY)) return;
    stickSteers = false;
    world.prevMouseX = world.mouseX, world.prevMouseY = world.mouseY;
}

void pauseIfLost(int slot) {
    if (slot != inUse || !before[slot].connected || pads[slot].connected) return;
    if (world.playState == Playing) {
        togglePause();
        lostPause = true;
    }
    inUse = -1;
}

// An unplugged pad reads at rest: if its stick steered, the pointer goes
// back to the centre.
void readStick(int slot) {
    if (!pads[slot].connected || !stickMoved(pads[slot], before[slot])) return;
    inUse = slot;
    if (resumedAfterPadLoss()) return;
    steering = slot;
    stickSteers = true;
}

void readButtons(int slot) {
    for (int b = 0; b < padButtonCount; ++b) {
        if (!pads[slot].buttons[b] || before[slot].buttons[b]) continue;
        inUse = slot;
        press(static_cast<PadButton>(b));
    }
}

// A rocket's burst leaves its asteroid the largest fire-ball of all.
bool burstByRocket(float x, float y, float z) {
    for (const Asteroid& a : world.asteroids)
        if (a.x == x && a.y == y && a.z == z && a.alive == 0 &&
            a.fireballRadius >= a.radius * 2.0f && a.radius > 0.0f)
            return true;
    return false;
}

void soundAndRumble(GameSound sound, float x, float y, float z) {
    playWorldSound(sound, x, y, z);
    if (inUse < 0) return;
    if (sound == LifeLost || sound == GameEnded) rumblePad(inUse, 1.0f, 300);
    if (sound == AsteroidBurst && burstByRocket(x, y, z)) rumblePad(inUse, 0.4f, 150);
}

void onIdlePoll(int) {
    idlePollPending = false;
    if (playingTickPending()) return;  // the ticks poll again
    pollPads();
}

}  // namespace

float stickBeyondDeadZone(float axis) {
    const float beyond = std::fabs(axis) - deadZone;
    if (!(beyond > 0.0f)) return 0.0f;
    return std::copysign(std::fmin(beyond / (1.0f - deadZone), 1.0f), axis);
}

void startPads() {
    playWorldSound = platformHooks.soundAt;
    platformHooks.soundAt = soundAndRumble;
    openPads();
}

void pollPads() {
    const bool readable = readPads(pads);
    yieldToPointer();
    for (int slot = 0; slot < padSlots; ++slot) {
        pauseIfLost(slot);
        readStick(slot);
        readButtons(slot);
    }
    if (stickSteers) steerWithStick(pads[steering], before[steering]);
    for (int slot = 0; slot < padSlots; ++slot) before[slot] = pads[slot];
    if (readable && world.playState != Playing) pollPadsWhileIdle();
}

void pollPadsWhileIdle() {
    if (idlePollPending || playingTickPending()) return;
    idlePollPending = true;
    glutTimerFunc(idlePeriodMs, onIdlePoll, 0);
}

bool resumedAfterPadLoss() {
    const bool resume = lostPause && world.playState == Paused;
    lostPause = false;
    if (resume) togglePause();
    return resume;
}
