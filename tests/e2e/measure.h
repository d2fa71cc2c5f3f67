// Measurements on screenshots: colour classes, counts, runs and shifts in pixels.
#pragma once

#include "image.h"

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

using PixelTest = bool (*)(Rgb);

bool isWhite(Rgb p);       // overlay text and crosshair (1, 1, 1)
bool isHudRed(Rgb p);      // lives bar (1, 0, 0)
bool isHudGreen(Rgb p);    // rockets bar (0, 1, 0)
bool isBulletBlue(Rgb p);  // bullets, unlit (0, 0.5, 1)
bool isCraftGrey(Rgb p);   // the craft's blue-grey under the white scene light
bool isOrangeLit(Rgb p);   // red well above green and blue: lit by a rocket's light
bool isLit(Rgb p);         // anything clearly brighter than the black background

int countPixels(const Image& image, Rect area, PixelTest test);

struct Run {
    int row = -1;
    int start = 0;
    int length = 0;
};
// The longest horizontal run of pixels passing the test inside the area.
Run longestRun(const Image& image, Rect area, PixelTest test);
// How many rows of the area hold a run of at least minLength such pixels.
int rowsWithRun(const Image& image, Rect area, PixelTest test, int minLength);

int differingPixels(const Image& a, const Image& b, Rect area);

// The horizontal shift s (within ±maxShift) for which b(x + s, y) best matches
// a(x, y) over the area, comparing shapes larger than thin lines.
int bestHorizontalShift(const Image& a, const Image& b, Rect area, int maxShift);
