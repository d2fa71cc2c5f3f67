// The browser's own parts: a page has no command line and titles the game
// itself; the page's script calls the two functions below.
#include <cstdint>

#include <emscripten.h>

#include "app/input.h"
#include "app/platform.h"
#include "app/scripted_world.h"
#include "game/world.h"

bool answeredInfoOption(int, char**) {
    return false;
}

void labelWindow() {}

extern "C" {

// Browsers slow the timers of a hidden page: the game pauses as 'p' pauses
// it, and the player resumes it.
EMSCRIPTEN_KEEPALIVE void pauseForHiddenPage() {
    if (world.playState == Playing) onKeyboard('p', 0, 0);
}

// Test-only (app/scripted_world.h): 1 once the World is shown, 0 while a tick
// of a running chain is still pending.
EMSCRIPTEN_KEEPALIVE int showScriptedWorldForTest(uint32_t seed) {
    return showScriptedWorld(seed) ? 1 : 0;
}

}  // extern "C"
