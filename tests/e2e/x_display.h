// The X server side of the tests: finding the game's window, real input through
// xdotool (XTEST events) and real screenshots through xwd.
#pragma once

#include <string>
#include <vector>

#include "image.h"

struct GameWindow {
    unsigned long id = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

// Waits until a mapped window titled exactly "Skorvane" exists and reads its geometry.
bool findGameWindow(GameWindow* window, double timeoutSeconds);

// The window's contents as the X server holds them (what a player sees).
Image screenshot(const GameWindow& window);

// Pointer motion with no button held, in window pixels from the top-left corner.
void movePointer(const GameWindow& window, int x, int y);
// Pointer motion in screen pixels, for places outside the window.
void movePointerOnScreen(int x, int y);
// Press and release of a mouse button where the pointer is (1 left, 2 middle, 3 right).
void clickButton(int button);
// Press and release of a key by its X keysym name ("space", "p", "H"), sent to the
// window under the pointer.
void pressKey(const std::string& keysym);
// Several xdotool commands in one run, for input that must follow closely
// ("click", "1", "sleep", "0.1", "key", "p").
void inputSequence(const std::vector<std::string>& xdotoolCommands);
