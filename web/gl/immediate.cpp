// Immediate mode: the current colour, normal and texture coordinate, each
// vertex transformed and lit as it comes, and its primitive cut into
// triangles. Lines wider than WebGL's one pixel become quads.
#include <cmath>

#include "web/gl/layer.h"

namespace layer {
namespace {

float colour[4] = {1, 1, 1, 1}, normal[3] = {0, 0, 1}, texCoord[2] = {0, 0};
GLenum mode = 0;    // 0 outside glBegin and glEnd
Vertex corners[4];  // of the primitive being made
int cornerCount = 0;

uint8_t toByte(float c) {
    return uint8_t(std::lround(std::fmin(std::fmax(c, 0.0f), 1.0f) * 255.0f));
}

Vertex makeVertex(float x, float y, float z) {
    const float object[4] = {x, y, z, 1};
    float shown[4] = {colour[0], colour[1], colour[2], colour[3]};
    Vertex v = {{0, 0, 0, 0}, {texCoord[0], texCoord[1]}, {0, 0, 0, 0}};
    if (lightingOn()) {
        float eye[4], eyeNormal[3];
        transform(modelview(), object, eye);
        const float* n = normalMatrix();
        for (int i = 0; i < 3; ++i)
            eyeNormal[i] = n[i] * normal[0] + n[3 + i] * normal[1] + n[6 + i] * normal[2];
        light(eye, eyeNormal, shown);
        transform(projection(), eye, v.clip);
    } else {
        transform(modelviewProjection(), object, v.clip);
    }
    for (int i = 0; i < 4; ++i) v.colour[i] = toByte(shown[i]);
    return v;
}

Vertex between(const Vertex& a, const Vertex& b, float t) {
    Vertex v = a;
    for (int i = 0; i < 4; ++i) v.clip[i] += t * (b.clip[i] - a.clip[i]);
    for (int i = 0; i < 2; ++i) v.texCoord[i] += t * (b.texCoord[i] - a.texCoord[i]);
    for (int i = 0; i < 4; ++i)
        v.colour[i] = toByte((a.colour[i] + t * (b.colour[i] - a.colour[i])) / 255.0f);
    return v;
}

Vertex shifted(Vertex v, float dx, float dy) {
    v.clip[0] += dx * v.clip[3];
    v.clip[1] += dy * v.clip[3];
    return v;
}

// A line is widened in window space, so it is first cut where it crosses the
// near plane (z = -w), as GL clips it. Then it grows along its minor axis,
// GL's way: an x-major line grows in y, a y-major one in x.
void addLine(Vertex a, Vertex b) {
    const float da = a.clip[2] + a.clip[3], db = b.clip[2] + b.clip[3];
    const int* vp = viewport();
    if ((da < 0.0f && db < 0.0f) || vp[2] <= 0 || vp[3] <= 0) return;
    if (da < 0.0f) a = between(a, b, da / (da - db));
    if (db < 0.0f) b = between(b, a, db / (db - da));
    const float dx = (b.clip[0] / b.clip[3] - a.clip[0] / a.clip[3]) * float(vp[2]);
    const float dy = (b.clip[1] / b.clip[3] - a.clip[1] / a.clip[3]) * float(vp[3]);
    const bool xMajor = dx * dx >= dy * dy;
    const float halfX = xMajor ? 0.0f : lineWidth() / float(vp[2]);  // in device units
    const float halfY = xMajor ? lineWidth() / float(vp[3]) : 0.0f;
    const Vertex a0 = shifted(a, -halfX, -halfY), a1 = shifted(a, halfX, halfY);
    const Vertex b0 = shifted(b, -halfX, -halfY), b1 = shifted(b, halfX, halfY);
    addTriangle(a0, b0, b1);
    addTriangle(a0, b1, a1);
}

// Each primitive is cut as Mesa's software renderer cuts it, so that colours
// and texture coordinates are interpolated across the same diagonals.
void addCorner(const Vertex& v) {
    const Vertex* c = corners;
    corners[cornerCount++] = v;
    if (cornerCount < (mode == GL_LINES ? 2 : mode == GL_TRIANGLES ? 3 : 4)) return;
    if (mode == GL_LINES) addLine(c[0], c[1]);
    if (mode == GL_TRIANGLES) addTriangle(c[0], c[1], c[2]);
    if (mode == GL_QUADS) addTriangle(c[0], c[1], c[3]), addTriangle(c[1], c[2], c[3]);
    if (mode == GL_QUAD_STRIP) addTriangle(c[2], c[0], c[3]), addTriangle(c[0], c[1], c[3]);
    cornerCount =
        mode == GL_QUAD_STRIP ? 2 : 0;  // a strip's next quad starts at this one's far side
    corners[0] = c[2], corners[1] = c[3];
}

}  // namespace

bool rasterPosition(float x, float y, float window[2], float rasterColour[4]) {
    const Vertex v = makeVertex(x, y, 0.0f);
    const float *c = v.clip, w = c[3];
    const int* vp = viewport();
    if (!(w > 0.0f) || std::fabs(c[0]) > w || std::fabs(c[1]) > w || std::fabs(c[2]) > w)
        return false;
    window[0] = float(vp[0]) + (c[0] / w + 1.0f) * float(vp[2]) / 2.0f;
    window[1] = float(vp[1]) + (c[1] / w + 1.0f) * float(vp[3]) / 2.0f;
    for (int i = 0; i < 4; ++i) rasterColour[i] = float(v.colour[i]) / 255.0f;
    return true;
}

}  // namespace layer

void glBegin(GLenum mode) {
    if (mode != GL_LINES && mode != GL_TRIANGLES && mode != GL_QUADS && mode != GL_QUAD_STRIP)
        layer::fail("glBegin", mode);
    layer::mode = mode;
    layer::cornerCount = 0;
}

void glEnd() {
    layer::mode = 0;
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    layer::colour[0] = r, layer::colour[1] = g, layer::colour[2] = b, layer::colour[3] = a;
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    glColor4f(r, g, b, 1.0f);
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    layer::normal[0] = x, layer::normal[1] = y, layer::normal[2] = z;
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    layer::texCoord[0] = s, layer::texCoord[1] = t;
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (layer::mode == 0) layer::fail("glVertex outside glBegin and glEnd");
    layer::addCorner(layer::makeVertex(x, y, z));
}

void glVertex2f(GLfloat x, GLfloat y) {
    glVertex3f(x, y, 0.0f);
}
