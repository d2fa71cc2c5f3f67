// Fixed-function lighting, per vertex as GL 1.x does it: lights and front-face
// materials, colour tracking off, the viewer infinitely far away.
#include <cmath>

#include "web/layer.h"

namespace layer {
namespace {

struct Light {
    bool on = false;
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {0, 0, 0, 1};
    float specular[4] = {0, 0, 0, 1};
    float position[4] = {0, 0, 1, 0};  // in eye space
    float attenuation[3] = {1, 0, 0};  // constant, linear, quadratic
};

struct Material {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    float specular[4] = {0, 0, 0, 1};
    float emission[4] = {0, 0, 0, 1};
    float shininess = 0;
};

constexpr int lightCount = 8;
Light lights[lightCount] = {
    {false, {0, 0, 0, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}}};  // GL_LIGHT0 is white
Material material;
const float sceneAmbient[4] = {0.2f, 0.2f, 0.2f, 1};  // the light model's default
bool lighting = false;
bool normalize = false;

Light& lightFor(const char* call, GLenum light) {
    if (light < GL_LIGHT0 || light >= GL_LIGHT0 + lightCount) fail(call, light);
    return lights[light - GL_LIGHT0];
}

void copy4(const GLfloat* from, float to[4]) {
    for (int i = 0; i < 4; ++i) to[i] = from[i];
}

float dot(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void makeUnit(float v[3]) {
    const float length = std::sqrt(dot(v, v));
    if (length > 0.0f)
        for (int i = 0; i < 3; ++i) v[i] /= length;
}

}  // namespace

bool lightingOn() {
    return lighting;
}

bool setLightingCap(GLenum cap, bool on) {
    if (cap == GL_LIGHTING) {
        lighting = on;
    } else if (cap == GL_NORMALIZE) {
        normalize = on;
    } else if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + lightCount) {
        lights[cap - GL_LIGHT0].on = on;
    } else {
        return false;
    }
    return true;
}

void light(const float eye[4], const float normalIn[3], float colour[4]) {
    float normal[3] = {normalIn[0], normalIn[1], normalIn[2]};
    if (normalize) makeUnit(normal);
    for (int i = 0; i < 3; ++i)
        colour[i] = material.emission[i] + sceneAmbient[i] * material.ambient[i];
    for (const Light& l : lights) {
        if (!l.on) continue;
        float toLight[3], attenuation = 1.0f;
        if (l.position[3] == 0.0f) {
            for (int i = 0; i < 3; ++i) toLight[i] = l.position[i];
        } else {
            for (int i = 0; i < 3; ++i)
                toLight[i] = l.position[i] / l.position[3] - eye[i] / eye[3];
            const float d = std::sqrt(dot(toLight, toLight));
            attenuation =
                1.0f / (l.attenuation[0] + l.attenuation[1] * d + l.attenuation[2] * d * d);
        }
        makeUnit(toLight);
        const float diffuse = std::fmax(dot(normal, toLight), 0.0f);
        float half[3] = {toLight[0], toLight[1], toLight[2] + 1.0f};  // towards the viewer: +z
        makeUnit(half);
        const float along = std::fmax(dot(normal, half), 0.0f);
        const float specular = diffuse > 0.0f ? std::pow(along, material.shininess) : 0.0f;
        for (int i = 0; i < 3; ++i) {
            colour[i] += attenuation * (l.ambient[i] * material.ambient[i] +
                                        diffuse * l.diffuse[i] * material.diffuse[i] +
                                        specular * l.specular[i] * material.specular[i]);
        }
    }
    colour[3] = material.diffuse[3];
}

}  // namespace layer

void glLightfv(GLenum light, GLenum name, const GLfloat* values) {
    layer::Light& l = layer::lightFor("glLightfv", light);
    switch (name) {
        case GL_AMBIENT:
            layer::copy4(values, l.ambient);
            break;
        case GL_DIFFUSE:
            layer::copy4(values, l.diffuse);
            break;
        case GL_SPECULAR:
            layer::copy4(values, l.specular);
            break;
        case GL_POSITION:
            layer::transform(layer::modelview(), values, l.position);
            break;
        default:
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
    if (face != GL_FRONT) layer::fail("glMaterialfv: only GL_FRONT", face);
    layer::Material& m = layer::material;
    switch (name) {
        case GL_AMBIENT:
            layer::copy4(values, m.ambient);
            break;
        case GL_DIFFUSE:
            layer::copy4(values, m.diffuse);
            break;
        case GL_SPECULAR:
            layer::copy4(values, m.specular);
            break;
        case GL_EMISSION:
            layer::copy4(values, m.emission);
            break;
        case GL_SHININESS:
            m.shininess = values[0];
            break;
        default:
            layer::fail("glMaterialfv", name);
    }
}

// Colours are interpolated across every primitive, which is GL_SMOOTH.
void glShadeModel(GLenum mode) {
    if (mode != GL_SMOOTH) layer::fail("glShadeModel", mode);
}
