// GLU's quadric spheres, drawn with the layer's own GL calls.
#include <GL/glu.h>

#include <cmath>

#include "web/gl/layer.h"

// A sphere as the desktop's GLU draws it: the same vertices, normals and
// texture coordinates, in the same quad strips. Only GLU_FILL is drawn;
// GLU_NONE leaves the normals out.
class GLUquadric {
public:
    GLenum normals = GLU_SMOOTH;
    GLboolean textureCoords = GL_FALSE;
    bool inUse = false;
};

namespace {

GLUquadric quadrics[4];  // a fixed pool: gluNewQuadric never allocates
constexpr int maxSphereDivisions = 64;
constexpr double pi = 3.14159265358979323846;

}  // namespace

GLUquadric* gluNewQuadric() {
    for (GLUquadric& q : quadrics) {
        if (!q.inUse) {
            q = GLUquadric{};
            q.inUse = true;
            return &q;
        }
    }
    layer::fail("gluNewQuadric: more than 4 quadrics");
}

void gluQuadricDrawStyle(GLUquadric*, GLenum style) {
    if (style != GLU_FILL) layer::fail("gluQuadricDrawStyle", style);
}

void gluQuadricNormals(GLUquadric* quadric, GLenum normals) {
    quadric->normals = normals;
}

void gluQuadricTexture(GLUquadric* quadric, GLboolean textureCoords) {
    quadric->textureCoords = textureCoords;
}

void gluSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks) {
    if (slices < 2 || stacks < 1 || radius < 0.0) return;
    if (slices > maxSphereDivisions) slices = maxSphereDivisions;
    if (stacks > maxSphereDivisions) stacks = maxSphereDivisions;
    // Around the z axis: slice angle i from +y towards +x, stack angle j from +z.
    float sinSlice[maxSphereDivisions + 1], cosSlice[maxSphereDivisions + 1];
    float sinStack[maxSphereDivisions + 1], cosStack[maxSphereDivisions + 1];
    float ringRadius[maxSphereDivisions + 1], ringZ[maxSphereDivisions + 1];
    for (int i = 0; i < slices; ++i) {
        const float angle = float(2.0 * pi * i / slices);
        sinSlice[i] = std::sin(angle);
        cosSlice[i] = std::cos(angle);
    }
    sinSlice[slices] = sinSlice[0];  // the seam closes exactly
    cosSlice[slices] = cosSlice[0];
    for (int j = 0; j <= stacks; ++j) {
        const float angle = float(pi * j / stacks);
        sinStack[j] = std::sin(angle);
        cosStack[j] = std::cos(angle);
        ringRadius[j] = float(radius * double(sinStack[j]));
        ringZ[j] = float(radius * double(cosStack[j]));
    }
    ringRadius[0] = ringRadius[stacks] = 0.0f;  // the poles come to a point
    const bool normals = quadric->normals != GLU_NONE;
    for (int j = 0; j < stacks; ++j) {
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= slices; ++i) {
            for (int ring = j + 1; ring >= j; --ring) {
                if (normals) {
                    glNormal3f(sinSlice[i] * sinStack[ring], cosSlice[i] * sinStack[ring],
                               cosStack[ring]);
                }
                if (quadric->textureCoords) {
                    glTexCoord2f(1.0f - float(i) / float(slices),
                                 1.0f - float(ring) / float(stacks));
                }
                glVertex3f(ringRadius[ring] * sinSlice[i], ringRadius[ring] * cosSlice[i],
                           ringZ[ring]);
            }
        }
        glEnd();
    }
}
