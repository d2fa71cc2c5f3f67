// The game's sounds through OpenAL: placed in the world, heard at the camera.
#pragma once

#include "game/platform_hooks.h"

// Opens the default device and makes every buffer and source once; muted, or
// without a device, every call below does nothing.
void startSound(bool muted);

// Bound to platformHooks.soundAt. Allocates nothing.
void playSound(GameSound sound, float x, float y, float z);

// After each tick: the listener to the camera, each rocket's flight loop to its rocket.
void followWorld();

// Held, every playing sound pauses and new ones wait; released, they all go on.
void holdSound(bool held);

// The listener's gain: 0 mutes everything, 1 is full.
void setSoundGain(float gain);
