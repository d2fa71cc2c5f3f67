// Test-only: a known World, so that the desktop and the browser can draw the
// same frame. The game itself never calls it and keeps its clock seed.
#pragma once

#include <cstdint>

// Seeds the random source and plays 180 ticks of a new game: the pointer rests
// at the window's centre, a bullet leaves every sixth tick, rockets at ticks 166
// and 174, and over the last four ticks the pointer moves right, so the craft
// banks. Then it pauses. Refuses, returning false, while a tick of a running
// chain is pending, since that tick would move the World once more: pause
// first and try again.
bool showScriptedWorld(uint32_t seed);

// Empties the sky: no star in view, no asteroid, fire-ball, shot, flash or
// rocket, and the rocket lights off.
void clearSky();
