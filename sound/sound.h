// The game's sounds and music through OpenAL: placed in the world, heard at the camera.
#pragma once

#include "game/platform_hooks.h"

// Sets sound up a piece at a time, so that no tick waits long: every sound
// effect, the default device and every buffer and source on the first call,
// then one level's music a call; true once all is made. Muted, it does
// nothing; without a device it says so in one line, and every call below
// does nothing. Called once the first frame is shown, as none of it is
// needed to draw one.
bool setUpSound(bool muted);

// Closes the device; at exit.
void stopSound();

// Bound to platformHooks.soundAt. Silent on the "GAME OVER" screen, but for
// the game-over sound itself.
void playSound(GameSound sound, float x, float y, float z);

// After each tick, and whenever the play state changes: the listener to the
// camera, each rocket's flight loop to its rocket, the music to the level
// (none after "GAME OVER"), everything held while paused. Watches the
// device, and opens it again every few seconds once it is lost.
void followWorld();

// The player's choices, kept before sound starts too: the listener's gain
// (0 mutes everything, 1 is full), and the music on or off.
void setSoundGain(float gain);
void setMusicOn(bool on);
