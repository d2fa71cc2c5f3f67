// The modelview and projection stacks and the GL and GLU calls that change them.
#include <GL/glu.h>

#include <cmath>

#include "web/gl/layer.h"

namespace layer {
namespace {

constexpr Matrix identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
constexpr double pi = 3.14159265358979323846;

struct Stack {
    Matrix levels[32];
    int top = 0;
};
Stack stacks[2] = {{{identity}, 0}, {{identity}, 0}};  // modelview, projection
Stack* current = &stacks[0];

// Products derived from the tops, made again only after one has changed.
unsigned version = 1, productVersion = 0, normalVersion = 0;
Matrix product;
float normals[9];

Matrix& top() {
    ++version;
    return current->levels[current->top];
}

Matrix times(const Matrix& a, const Matrix& b) {
    Matrix out;
    for (int column = 0; column < 4; ++column) transform(a, &b.m[4 * column], &out.m[4 * column]);
    return out;
}

}  // namespace

void transform(const Matrix& by, const float in[4], float out[4]) {
    const float* m = by.m;
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row] * in[3];
}

const Matrix& modelview() {
    return stacks[0].levels[stacks[0].top];
}

const Matrix& projection() {
    return stacks[1].levels[stacks[1].top];
}

const Matrix& modelviewProjection() {
    if (productVersion != version) product = times(projection(), modelview());
    productVersion = version;
    return product;
}

// Normals go through the inverse transpose of the modelview's upper 3 x 3: its
// cofactors over its determinant.
const float* normalMatrix() {
    if (normalVersion == version) return normals;
    normalVersion = version;
    const float* m = modelview().m;
    const auto at = [m](int row, int column) { return m[4 * (column % 3) + row % 3]; };
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            normals[3 * c + r] =
                at(r + 1, c + 1) * at(r + 2, c + 2) - at(r + 1, c + 2) * at(r + 2, c + 1);
    const float determinant = m[0] * normals[0] + m[4] * normals[3] + m[8] * normals[6];
    for (float& n : normals) n = determinant == 0.0f ? 0.0f : n / determinant;
    return normals;
}

void multiply(const Matrix& by) {
    Matrix& m = top();
    m = times(m, by);
}

}  // namespace layer

using layer::Matrix;

void glMatrixMode(GLenum mode) {
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION) layer::fail("glMatrixMode", mode);
    layer::current = &layer::stacks[mode == GL_MODELVIEW ? 0 : 1];
}

void glLoadIdentity() {
    layer::top() = layer::identity;
}

void glPushMatrix() {
    layer::Stack& s = *layer::current;
    if (s.top + 1 == int(sizeof s.levels / sizeof s.levels[0]))
        layer::fail("glPushMatrix: stack full");
    s.levels[s.top + 1] = s.levels[s.top];
    ++s.top;
}

void glPopMatrix() {
    if (layer::current->top == 0) layer::fail("glPopMatrix: stack empty");
    --layer::current->top;
    ++layer::version;
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    layer::multiply({{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}});
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    layer::multiply({{x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}});
}

// About the axis made unit length; an axis too short to have a direction turns
// nothing, as in Mesa.
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length <= 1.0e-4f) return;
    x /= length, y /= length, z /= length;
    const float radians = angle * float(layer::pi / 180.0);
    const float s = std::sin(radians), c = std::cos(radians), t = 1.0f - c;
    layer::multiply({{t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0,  //
                      t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0,  //
                      t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0,  //
                      0, 0, 0, 1}});
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near,
             GLdouble far) {
    const double w = right - left, h = top - bottom, d = far - near;
    layer::multiply(
        {{float(2 / w), 0, 0, 0, 0, float(2 / h), 0, 0, 0, 0, float(-2 / d), 0,
          float(-(right + left) / w), float(-(top + bottom) / h), float(-(far + near) / d), 1}});
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble near, GLdouble far) {
    const double radians = fovy / 2 * layer::pi / 180, d = far - near;
    const double cotangent = std::cos(radians) / std::sin(radians);
    layer::multiply({{float(cotangent / aspect), 0, 0, 0, 0, float(cotangent), 0, 0, 0, 0,
                      float(-(far + near) / d), -1, 0, 0, float(-2 * near * far / d), 0}});
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
               GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    const auto unit = [](double v[3]) {
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        for (int i = 0; i < 3; ++i) v[i] = length == 0 ? 0 : v[i] / length;
    };
    double f[3] = {centreX - eyeX, centreY - eyeY, centreZ - eyeZ};
    unit(f);
    double s[3] = {f[1] * upZ - f[2] * upY, f[2] * upX - f[0] * upZ, f[0] * upY - f[1] * upX};
    unit(s);
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                         s[0] * f[1] - s[1] * f[0]};
    layer::multiply({{float(s[0]), float(u[0]), float(-f[0]), 0, float(s[1]), float(u[1]),
                      float(-f[1]), 0, float(s[2]), float(u[2]), float(-f[2]), 0, 0, 0, 0, 1}});
    glTranslatef(float(-eyeX), float(-eyeY), float(-eyeZ));
}
