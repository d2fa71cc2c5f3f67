// What the files of our GL layer share. In the browser the game's OpenGL 1.x,
// GLU and GLUT calls are ours: transformed and lit here in WebAssembly, drawn
// with WebGL, and only as far as this game uses them.
#pragma once

#include <GL/gl.h>

#include <cstdint>

namespace layer {

// Stops the game with a message on the page (glut.cpp): a call or a value the
// layer does not implement, or a browser that cannot do what it needs.
[[noreturn]] void fail(const char* what);
[[noreturn]] void fail(const char* what, unsigned value);  // "what: 0x.... is not implemented"

// Column-major, as GL keeps them.
struct Matrix {
    float m[16];
};
void transform(const Matrix& by, const float in[4], float out[4]);

// The tops of the stacks (matrices.cpp).
const Matrix& modelview();
const Matrix& projection();
const Matrix& modelviewProjection();
const float* normalMatrix();      // the modelview's inverse transpose, 3 x 3 column-major
void multiply(const Matrix& by);  // the current matrix times by

// Lighting (lighting.cpp). setLightingCap is false for a cap that is not its own.
bool lightingOn();
bool setLightingCap(GLenum cap, bool on);
unsigned lightsChanged();  // counts each light switched or moved
void light(const float eye[4], const float normal[3], float colour[4]);

// What the pipeline draws (pipeline.cpp): a vertex in clip space.
struct Vertex {
    float clip[4];
    float texCoord[2];
    uint8_t colour[4];
};
void addTriangle(const Vertex& a, const Vertex& b, const Vertex& c);
void chooseState();               // after a change of the state a triangle is drawn in
void drawPending();               // issues the draws gathered so far
float lineWidth();                // in window pixels
const int* viewport();            // x, y, width, height in window pixels
void setPixelScale(float scale);  // drawing-buffer pixels per window pixel

// The index of the picture the bound texture samples on the browser's side,
// 0 for none (textures.cpp).
int boundTexture();

// The raster position as GL finds it (immediate.cpp): false where GL marks it
// invalid; else its place in window pixels and its colour.
bool rasterPosition(float x, float y, float window[2], float colour[4]);

// Text (text.cpp): a frame's text is painted once its buffers swap.
void paintText();
void textCanvasCleared();  // its size was set

bool startPipeline();  // on the page's canvas; false without WebGL

}  // namespace layer
