// GLU calls that Emscripten lacks or gets wrong, drawn with the GL calls it has.
#include <GL/glu.h>

#include <cmath>

// Emscripten's gluLookAt hands gl-matrix its arguments in the wrong order and
// leaves the matrix as it was, so the camera never moves back from the scene.
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
               GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    double f[3] = {centreX - eyeX, centreY - eyeY, centreZ - eyeZ};
    const double fLength = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (double& c : f) c /= fLength;
    double s[3] = {f[1] * upZ - f[2] * upY, f[2] * upX - f[0] * upZ, f[0] * upY - f[1] * upX};
    const double sLength = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    for (double& c : s) c /= sLength;
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                         s[0] * f[1] - s[1] * f[0]};
    const GLdouble m[16] = {s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0,
                            s[2], u[2], -f[2], 0, 0,    0,    0,     1};
    glMultMatrixd(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

// Emscripten has no GLU quadrics. These draw a sphere as the desktop's GLU
// does (the same vertices, normals and texture coordinates, in the same
// order), but in triangle strips: the emulation has no quad strips. Only
// GLU_FILL is drawn; GLU_NONE leaves the normals out.
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
    return nullptr;
}

void gluQuadricDrawStyle(GLUquadric*, GLenum) {}

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
        glBegin(GL_TRIANGLE_STRIP);
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
