// Keyboard, mouse, pointer and window-size callbacks.
#pragma once

void onKeyboard(unsigned char key, int x, int y);
void onMouse(int button, int state, int x, int y);
void onPassiveMotion(int x, int y);
// The pointer's place in the World alone: nothing drawn shows it before the next tick.
void recordPointer(int x, int y);
void onReshape(int width, int height);

void printHelp();
// What 'p' does: Playing pauses, any other state plays on; also the page's own
// pauses (a hidden page, a lost context) and their resumes.
void togglePause();
