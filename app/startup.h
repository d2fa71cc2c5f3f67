// Start-up: the window, the callbacks, the one-time game set-up and the tick chain.
#pragma once

// Everything main does before the GLUT loop: window, callbacks, game, first tick.
void startGame(int& argc, char** argv);

void createGameWindow();   // after glutInit: display mode, window, fixed GL state
void registerCallbacks();  // display, mouse, keyboard, reshape, passive motion

void initGame();
void initMainLight();
void initRocketLights();

// The GLUT timer callback; value is the PlayState current when the tick was armed.
void onTimer(int value);

// Arms one tick 41 ms ahead carrying state.
void armTick(int state);

// Arms a tick carrying Playing unless one is already pending: a pause and a
// resume within one period must not leave two chains running.
void startTickChain();

// True while a tick carrying Playing is armed and has not fired yet.
bool playingTickPending();
