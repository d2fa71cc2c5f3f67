// The browser's own parts: a page has no command line, and a page the player
// does not see pauses, as 'p' pauses it, since browsers slow its timers.
#include <emscripten/html5.h>

#include "app/input.h"
#include "app/platform.h"
#include "game/world.h"

namespace {

void pauseIfHidden() {
    EmscriptenVisibilityChangeEvent visibility;
    const bool hidden =
        emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS &&
        visibility.hidden;
    if (hidden && world.playState == Playing) onKeyboard('p', 0, 0);
}

EM_BOOL onVisibilityChange(int, const EmscriptenVisibilityChangeEvent*, void*) {
    pauseIfHidden();
    return EM_FALSE;
}

}  // namespace

bool answeredInfoOption(int, char**) {
    return false;
}

// A page opened in a background tab starts paused; the player resumes it.
void prepareWindow() {
    pauseIfHidden();
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, onVisibilityChange);
}
