// Bitmap text: GLUT's font is the browser's own sans-serif at 18 pixels,
// painted on the page's 2-D canvas over the game (Module.textCanvas), crisp at
// any density and with no font in the download. A frame's text is gathered
// here and painted when it differs from what the canvas shows.
#include <GL/glut.h>
#include <emscripten.h>

#include <cstdio>
#include <cstring>

#include "web/layer.h"

void* glutBitmapHelvetica18 = nullptr;  // only its address names the font

// Runs of "x, y, colour, text" separated by tabs, one a line; y counts up from
// the bottom, as GL's window rows do.
EM_JS(void, paintTextCanvas, (const char* runs), {
    var canvas = Module.textCanvas, context = canvas.getContext("2d");
    var scale = canvas.height / canvas.clientHeight;
    context.setTransform(1, 0, 0, 1, 0, 0);
    context.clearRect(0, 0, canvas.width, canvas.height);
    context.setTransform(scale, 0, 0, scale, 0, 0);
    context.font = "18px sans-serif";
    UTF8ToString(runs).split("\n").forEach(function(run) {
        var field = run.split("\t");
        if (field.length < 4) return;
        context.fillStyle = field[2];
        context.fillText(field[3], Number(field[0]), canvas.clientHeight - Number(field[1]));
    });
});

namespace {

char frameText[1024];  // this frame's runs
size_t frameLength = 0;
char shownText[sizeof frameText];  // what the canvas shows
bool canvasCleared = true;         // as a canvas is whenever its size is set
bool rasterValid = false;

void append(const char* text, size_t length) {
    if (frameLength + length >= sizeof frameText)
        layer::fail("glutBitmapCharacter: over 1,000 characters a frame");
    std::memcpy(frameText + frameLength, text, length);
    frameLength += length;
    frameText[frameLength] = '\0';
}

}  // namespace

// The text takes the raster colour: the current colour when the position is set.
void glRasterPos2f(GLfloat x, GLfloat y) {
    float window[2], colour[4];
    rasterValid = layer::rasterPosition(x, y, window, colour);
    if (!rasterValid) return;
    char run[96];
    const int length = std::snprintf(run, sizeof run, "\n%d\t%d\trgba(%d,%d,%d,%.3f)\t",
                                     int(window[0]), int(window[1]), int(colour[0] * 255),
                                     int(colour[1] * 255), int(colour[2] * 255), double(colour[3]));
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
    if (canvasCleared || std::strcmp(frameText, shownText) != 0) {
        paintTextCanvas(frameText);
        canvasCleared = false;
        std::memcpy(shownText, frameText, frameLength + 1);
    }
    frameLength = 0;
    frameText[0] = '\0';
}

void textCanvasCleared() {
    canvasCleared = true;
}

}  // namespace layer
