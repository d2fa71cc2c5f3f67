// Test-only: a known World, so that the desktop and the browser can draw the
// same frame. The game itself never calls it and keeps its clock seed.
#pragma once

#include <cstdint>

// Seeds the random source, starts a new game with the pointer resting at the
// window's centre, runs the given ticks (firing a rocket before tick
// rocketTick) and pauses. Refuses, returning false, while a tick of a running
// chain is pending, since that tick would move the World once more: pause
// first and try again.
bool showScriptedWorld(uint32_t seed, int ticks, int rocketTick);
