// What the tests look for in the game's output and pictures, shared by the test files.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image.h"
#include "measure.h"

// Overlay units are 25 pixels in a window 500 pixels high (20 units).
constexpr double pixelsPerUnit = 25.0;

// The help text as the 'h' key writes it.
extern const char* const helpText;

std::vector<std::string> splitLines(const std::string& text);

// What the loaders write before the first "trying to load " line.
std::string meshPart(const std::string& output);

// No AddressSanitizer, LeakSanitizer or UndefinedBehaviorSanitizer report.
::testing::AssertionResult noSanitizerReport(const std::string& errors);

struct Bar {
    int start = 0;      // first column
    int length = 0;     // in pixels
    int thickness = 0;  // rows holding most of the bar
    int row = -1;       // a row of the bar
};
Bar livesBar(const Image& image);
Bar rocketsBar(const Image& image);

// How many of the crosshair's four arms show at the window's centre.
int crosshairArms(const Image& image);
// White pixels in the open centre of the crosshair.
int crosshairCentre(const Image& image);

// The area below the overlay's bars and texts, where the scene is drawn alone.
Rect sceneArea(const Image& image);

// Keeps the picture as <test name>-<label>.png in the working directory when the
// running test has failed, for a look at what the game showed.
void keepIfFailed(const Image& image, const char* label);

// Pictures compared with reference texts (see reference_text.h).
struct TextMatch {
    int referencePixels = 0;  // white pixels of the reference text
    int missing = 0;          // of those, not white in the game
    int extra = 0;            // white in the game where the reference has none
};
TextMatch compareText(const Image& game, const Image& reference, Rect area);

// "0" at (-9.5, 9) and "LEVEL 1" at (6.5, 9), as a game starts, in a 500 × 500 window.
Image startTexts();
constexpr Rect scoreArea = {0, 0, 180, 45};
constexpr Rect levelArea = {330, 0, 170, 45};
