// What each platform's own file gives the shared start-up: desktop.cpp on the
// desktop, web.cpp in the browser. CMake compiles the one that fits.
#pragma once

// Answers the options that need no window (the desktop's --help and
// --version); true means the program has answered and ends.
bool answeredInfoOption(int argc, char** argv);

// Runs once the game is set up and its first tick armed, with the window's
// context current.
void prepareWindow();
