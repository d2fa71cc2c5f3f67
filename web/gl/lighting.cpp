// Fixed-function lighting, per vertex as GL 1.x does it: lights and front-face
// materials, colour tracking off, the viewer infinitely far away.
#include <cmath>
#include <cstring>

#include "web/gl/layer.h"

namespace layer {
namespace {

struct Light {
    bool on;
    float colours[3][4];   // ambient, diffuse, specular: GL_AMBIENT + i
    float position[4];     // in eye space
    float attenuation[3];  // constant, linear, quadratic
};
constexpr Light dark = {false, {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}}, {0, 0, 1, 0}, {1, 0, 0}};
constexpr Light white = {
    false, {{0, 0, 0, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}}, {0, 0, 1, 0}, {1, 0, 0}};
Light lights[8] = {white, dark, dark, dark, dark, dark, dark, dark};

struct Material {
    float colours[4][4];  // ambient, diffuse, specular, emission
    float shininess;
} material = {{{0.2f, 0.2f, 0.2f, 1}, {0.8f, 0.8f, 0.8f, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}}, 0};

const float sceneAmbient[3] = {0.2f, 0.2f, 0.2f};  // the light model's default
bool lighting = false, normalize = false;
unsigned lightChanges = 0;  // a light switched or moved: what was lit before it is stale

Light& lightFor(const char* call, GLenum light) {
    if (light < GL_LIGHT0 || light > GL_LIGHT7) fail(call, light);
    return lights[light - GL_LIGHT0];
}

float dot(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void makeUnit(float v[3]) {
    const float length = std::sqrt(dot(v, v));
    for (int i = 0; i < 3 && length > 0.0f; ++i) v[i] /= length;
}

}  // namespace

bool lightingOn() {
    return lighting;
}

unsigned lightsChanged() {
    return lightChanges;
}

bool setLightingCap(GLenum cap, bool on) {
    if (cap >= GL_LIGHT0 && cap <= GL_LIGHT7) {
        lightChanges += lights[cap - GL_LIGHT0].on != on;
        lights[cap - GL_LIGHT0].on = on;
    }
    if (cap == GL_LIGHTING) lighting = on;
    if (cap == GL_NORMALIZE) normalize = on;
    return cap == GL_LIGHTING || cap == GL_NORMALIZE || (cap >= GL_LIGHT0 && cap <= GL_LIGHT7);
}

void light(const float eye[4], const float normalIn[3], float colour[4]) {
    const auto& m = material.colours;
    float normal[3] = {normalIn[0], normalIn[1], normalIn[2]};
    if (normalize) makeUnit(normal);
    for (int i = 0; i < 3; ++i) colour[i] = m[3][i] + sceneAmbient[i] * m[0][i];
    for (const Light& l : lights) {
        if (!l.on) continue;
        float toLight[3], attenuation = 1.0f;  // a directional light (w = 0) does not fade
        for (int i = 0; i < 3; ++i)
            toLight[i] = l.position[3] == 0.0f ? l.position[i]
                                               : l.position[i] / l.position[3] - eye[i] / eye[3];
        if (l.position[3] != 0.0f) {
            const float d = std::sqrt(dot(toLight, toLight));
            attenuation =
                1.0f / (l.attenuation[0] + l.attenuation[1] * d + l.attenuation[2] * d * d);
        }
        makeUnit(toLight);
        float half[3] = {toLight[0], toLight[1], toLight[2] + 1.0f};  // the viewer is on +z
        makeUnit(half);
        const float diffuse = std::fmax(dot(normal, toLight), 0.0f);
        const float specular =
            diffuse > 0.0f ? std::pow(std::fmax(dot(normal, half), 0.0f), material.shininess)
                           : 0.0f;
        for (int i = 0; i < 3; ++i)
            colour[i] +=
                attenuation * (l.colours[0][i] * m[0][i] + diffuse * l.colours[1][i] * m[1][i] +
                               specular * l.colours[2][i] * m[2][i]);
    }
    colour[3] = m[1][3];
}

}  // namespace layer

void glLightfv(GLenum light, GLenum name, const GLfloat* values) {
    layer::Light& l = layer::lightFor("glLightfv", light);
    if (name == GL_POSITION) {
        float eye[4];
        layer::transform(layer::modelview(), values, eye);  // the modelview of this moment
        layer::lightChanges += std::memcmp(eye, l.position, sizeof eye) != 0;
        std::memcpy(l.position, eye, sizeof eye);
    } else if (name >= GL_AMBIENT && name <= GL_SPECULAR) {
        std::memcpy(l.colours[name - GL_AMBIENT], values, sizeof l.colours[0]);
    } else {
        layer::fail("glLightfv", name);
    }
}

void glLightf(GLenum light, GLenum name, GLfloat value) {
    layer::Light& l = layer::lightFor("glLightf", light);
    if (name < GL_CONSTANT_ATTENUATION || name > GL_QUADRATIC_ATTENUATION)
        layer::fail("glLightf", name);
    l.attenuation[name - GL_CONSTANT_ATTENUATION] = value;
}

void glMaterialfv(GLenum face, GLenum name, const GLfloat* values) {
    auto& m = layer::material;
    const int colour = name == GL_EMISSION                         ? 3
                       : name >= GL_AMBIENT && name <= GL_SPECULAR ? int(name - GL_AMBIENT)
                                                                   : -1;
    if (face != GL_FRONT) layer::fail("glMaterialfv: only GL_FRONT", face);
    if (name == GL_SHININESS) {
        m.shininess = values[0];
    } else if (colour >= 0) {
        std::memcpy(m.colours[colour], values, sizeof m.colours[0]);
    } else {
        layer::fail("glMaterialfv", name);
    }
}

// Colours are interpolated across every primitive, which is GL_SMOOTH.
void glShadeModel(GLenum mode) {
    if (mode != GL_SMOOTH) layer::fail("glShadeModel", mode);
}
