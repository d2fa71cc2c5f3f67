// Texts drawn by GLUT's own bitmap font, in a window of a child of the test process:
// the pixel-exact reference for the texts in the game's screenshots.
#pragma once

#include <string>
#include <vector>

#include "image.h"

struct TextAt {
    float x = 0,
          y = 0;  // raster position in overlay units: the window is 20 high, origin at its centre
    std::string text;
};

// White Helvetica 18 texts on black in a window of the given size, rows top to bottom.
Image renderReferenceTexts(int width, int height, const std::vector<TextAt>& texts);
