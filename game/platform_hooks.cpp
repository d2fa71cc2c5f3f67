// The platform seam's default: hooks that do nothing until app/ or a test binds them.
#include "game/platform_hooks.h"

namespace {

void ignoreRocketLight(int) {}
void ignoreRedisplay() {}
void ignoreSound(GameSound, float, float, float) {}

}  // namespace

PlatformHooks platformHooks = {ignoreRocketLight, ignoreRedisplay, ignoreSound};
