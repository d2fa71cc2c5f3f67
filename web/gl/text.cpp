// Bitmap text: GLUT's font is the browser's own sans-serif, on the page's 2-D
// canvas over the game (Module.textCanvas). It is crisp at any density and
// needs no font in the download; the one difference from the desktop is that
// rocket smoke passes under the text, not over it. A frame's text is gathered
// here and painted only when it differs from what is shown.
#include <GL/glut.h>
#include <emscripten.h>

#include <cstdio>
#include <cstring>

#include "web/gl/layer.h"

void* glutBitmapHelvetica18 = nullptr;  // only its address names the font

// Painted by the browser's side, Module.layer.paintText in layer.js.
// clang-format off
EM_JS(void, paintTextCanvas, (const char* runs, float pixels), {
    Module.layer.paintText(UTF8ToString(runs), pixels);
});
// clang-format on

namespace {

char frameText[1024];  // this frame's runs
size_t frameLength = 0;
char shownText[sizeof frameText];
bool canvasCleared = true;  // as a canvas is whenever its size is set
bool rasterValid = false;

void append(const char* text, size_t length) {
    if (frameLength + length >= sizeof frameText)
        layer::fail("glutBitmapCharacter: over 1,000 characters a frame");
    std::memcpy(frameText + frameLength, text, length);
    frameText[frameLength += length] = '\0';
}

}  // namespace

// The text takes the raster colour: the current colour when the position is set.
void glRasterPos2f(GLfloat x, GLfloat y) {
    float window[2], c[4];
    char run[80];
    rasterValid = layer::rasterPosition(x, y, window, c);
    if (!rasterValid) return;
    const int length = std::snprintf(run, sizeof run, "\n%d\t%d\trgba(%d,%d,%d,%.3f)\t",
                                     int(window[0]), int(window[1]), int(c[0] * 255),
                                     int(c[1] * 255), int(c[2] * 255), double(c[3]));
    append(run, size_t(length));
}

void glutBitmapCharacter(void* font, int character) {
    if (font != GLUT_BITMAP_HELVETICA_18)
        layer::fail("glutBitmapCharacter: only GLUT_BITMAP_HELVETICA_18");
    const char c = char(character);
    if (rasterValid && c >= ' ' && c <= '~') append(&c, 1);
}

namespace layer {

void paintText() {
    // 18 pixels at the desktop's 500-pixel height: the text keeps its size
    // beside the picture, and its place, in a window of any size.
    if (canvasCleared || std::strcmp(frameText, shownText) != 0)
        paintTextCanvas(frameText, 18.0f * float(viewport()[3]) / 500.0f);
    std::memcpy(shownText, frameText, frameLength + 1);
    frameText[frameLength = 0] = '\0';
    canvasCleared = false;
}

void textCanvasCleared() {
    canvasCleared = true;
}

}  // namespace layer
