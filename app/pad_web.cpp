// The browser's pads through the Gamepad API, on its standard layout only;
// sampled only while such a pad is connected, so a page without one polls nothing.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstring>

#include "app/pad.h"

namespace {

bool standard[padSlots];  // connected, with the standard mapping
int connected = 0;
EmscriptenGamepadEvent sampled;  // 1.6 KB: not on the stack

// The standard mapping's buttons for A, B, Y, Back, Start and the triggers.
constexpr int standardButtons[padButtonCount] = {0, 1, 3, 8, 9, 6, 7};

// clang-format off
EM_JS(void, vibrate, (int index, float strength, unsigned milliseconds), {
    var pad = navigator.getGamepads()[index];
    var actuator = pad && pad.vibrationActuator;
    if (actuator && actuator.playEffect) actuator.playEffect("dual-rumble", {duration: milliseconds,
        strongMagnitude: strength, weakMagnitude: strength}).catch(function() {});
});
// clang-format on

EM_BOOL onConnected(int, const EmscriptenGamepadEvent* pad, void*) {
    if (pad->index < 0 || pad->index >= padSlots || standard[pad->index]) return EM_FALSE;
    if (std::strcmp(pad->mapping, "standard") != 0) {
        std::fprintf(stderr, "skorvane: pad ignored, its buttons have no standard layout: %s\n",
                     pad->id);
        return EM_FALSE;
    }
    standard[pad->index] = true;
    ++connected;
    pollPadsWhileIdle();  // a paused game hears its Start
    return EM_FALSE;
}

EM_BOOL onDisconnected(int, const EmscriptenGamepadEvent* pad, void*) {
    if (pad->index < 0 || pad->index >= padSlots || !standard[pad->index]) return EM_FALSE;
    standard[pad->index] = false;
    --connected;
    return EM_FALSE;
}

void read(int index, PadState& state) {
    state = PadState{};
    if (!standard[index] ||
        emscripten_get_gamepad_status(index, &sampled) != EMSCRIPTEN_RESULT_SUCCESS)
        return;
    state.connected = true;
    state.stickX = sampled.numAxes > 0 ? static_cast<float>(sampled.axis[0]) : 0.0f;
    state.stickY = sampled.numAxes > 1 ? static_cast<float>(sampled.axis[1]) : 0.0f;
    for (int b = 0; b < padButtonCount; ++b) {
        const int i = standardButtons[b];
        state.buttons[b] =
            i < sampled.numButtons && (sampled.digitalButton[i] || sampled.analogButton[i] > 0.5);
    }
}

}  // namespace

void openPads() {
    emscripten_set_gamepadconnected_callback(nullptr, EM_FALSE, onConnected);
    emscripten_set_gamepaddisconnected_callback(nullptr, EM_FALSE, onDisconnected);
}

bool readPads(PadState* pads) {
    const bool sampledNow =
        connected > 0 && emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS;
    for (int slot = 0; slot < padSlots; ++slot) {
        if (sampledNow)
            read(slot, pads[slot]);
        else
            pads[slot] = PadState{};
    }
    return connected > 0;
}

// A browser without vibrationActuator plays nothing.
void rumblePad(int slot, float strength, unsigned milliseconds) {
    vibrate(slot, strength, milliseconds);
}
