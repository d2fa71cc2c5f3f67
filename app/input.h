// Keyboard, mouse, pointer and window-size callbacks.
#pragma once

void onKeyboard(unsigned char key, int x, int y);
void onMouse(int button, int state, int x, int y);
void onPassiveMotion(int x, int y);
void onReshape(int width, int height);

void printHelp();
