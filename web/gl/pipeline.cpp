// The frame's triangles in one buffer in WebAssembly, drawn with WebGL only
// where the state they need changes (texture, blending, depth test, viewport),
// and the GL calls that set that state.
#include <emscripten.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "web/gl/layer.h"

// The browser's side is Module.layer, in layer.js; it reads vertices and
// stretches by the offsets given here.
// clang-format off
EM_JS(int, startWebgl, (const char* vertexShader, const char* fragmentShader, int vertexBytes,
                        int positionAt, int texCoordAt, int colourAt, const char* stretchFields), {
    return Module.layer.start(UTF8ToString(vertexShader), UTF8ToString(fragmentShader),
        [["position", 4, "FLOAT", positionAt], ["texCoord", 2, "FLOAT", texCoordAt],
         ["colour", 4, "UNSIGNED_BYTE", colourAt]], vertexBytes, UTF8ToString(stretchFields));
});
// What went wrong building the program, as ASCII into `into`; its length, 0 if nothing.
EM_JS(int, programProblem, (char* into, int size), {
    var problem = Module.layer.check(), i = 0;
    for (; i < problem.length && i < size - 1; ++i) HEAPU8[into + i] = problem.charCodeAt(i) & 127;
    HEAPU8[into + i] = 0;
    return problem.length;
});
EM_JS(void, drawStretches, (const void* vertices, int bytes, const int* stretches, int ints, int count), {
    Module.layer.draw(HEAPU8.subarray(vertices, vertices + bytes),
                      HEAP32.subarray(stretches >> 2, (stretches >> 2) + ints * count), ints);
});
EM_JS(void, clearBuffers, (int mask, float r, float g, float b, float a), { Module.layer.clear(mask, r, g, b, a); });
// clang-format on

namespace layer {
namespace {

const char vertexShader[] = R"(
attribute vec4 position;
attribute vec2 texCoord;
attribute vec4 colour;
varying vec2 v_texCoord;
varying vec4 v_colour;
void main() {
    gl_Position = position;
    v_texCoord = texCoord;
    v_colour = colour;
})";

// GL_MODULATE: the texel times the vertex's colour.
const char fragmentShader[] = R"(
precision mediump float;
uniform sampler2D picture;
varying vec2 v_texCoord;
varying vec4 v_colour;
void main() {
    gl_FragColor = texture2D(picture, v_texCoord) * v_colour;
})";

// A stretch of triangles drawn in one state, as plain ints for the browser's side.
struct Stretch {
    int32_t texture;  // index on the browser's side
    int32_t blend, blendSource, blendDestination, depthTest;
    int32_t viewport[4];  // in drawing-buffer pixels
    int32_t first, count;
};
constexpr size_t stateSize = offsetof(Stretch, first);

bool texturing = false;
Stretch current = {0, 0, GL_ONE, GL_ZERO, 0, {0, 0, 0, 0}, 0, 0};
int gameViewport[4] = {0, 0, 0, 0};  // window pixels, as the game gave it
float pixelScale = 1.0f, width = 1.0f;
GLfloat clearColour[4] = {0, 0, 0, 0};

// A frame at full load is about 70,000 vertices; a larger one is drawn in turns.
Vertex vertices[1 << 17];
int vertexCount = 0;
Stretch stretches[1024];
int stretchCount = 0;

}  // namespace

void chooseState() {
    current.texture = texturing ? boundTexture() : 0;
    for (int i = 0; i < 4; ++i)
        current.viewport[i] = int32_t(float(gameViewport[i]) * pixelScale + 0.5f);
}

namespace {

void setCap(const char* call, GLenum cap, bool on) {
    if (cap == GL_TEXTURE_2D) texturing = on;
    if (cap == GL_BLEND) current.blend = on;
    if (cap == GL_DEPTH_TEST) current.depthTest = on;
    const bool own = cap == GL_TEXTURE_2D || cap == GL_BLEND || cap == GL_DEPTH_TEST;
    if (!own && !setLightingCap(cap, on)) fail(call, cap);
    chooseState();
}

}  // namespace

void addTriangle(const Vertex& a, const Vertex& b, const Vertex& c) {
    const int room = int(sizeof vertices / sizeof vertices[0]) - vertexCount;
    if (room < 3 || stretchCount == int(sizeof stretches / sizeof stretches[0])) drawPending();
    if (stretchCount == 0 || std::memcmp(&stretches[stretchCount - 1], &current, stateSize) != 0) {
        stretches[stretchCount] = current;
        stretches[stretchCount++].first = vertexCount;
    }
    stretches[stretchCount - 1].count += 3;
    for (const Vertex* v : {&a, &b, &c}) vertices[vertexCount++] = *v;
}

// Asked only with something to draw: a texture's upload at start-up draws
// nothing, and must not wait for the program meanwhile.
void drawPending() {
    static char problem[512];
    if (vertexCount > 0) {
        if (programProblem(problem, sizeof problem) > 0) fail(problem);
        drawStretches(vertices, int(sizeof(Vertex)) * vertexCount, &stretches[0].texture,
                      int(sizeof(Stretch) / sizeof(int32_t)), stretchCount);
    }
    vertexCount = stretchCount = 0;
}

float lineWidth() {
    return width;
}

const int* viewport() {
    return gameViewport;
}

void setPixelScale(float scale) {
    pixelScale = scale;
    chooseState();
}

bool startPipeline() {
    static_assert(sizeof(Stretch) % sizeof(int32_t) == 0, "a stretch is read as ints");
    // The one list of the fields the browser's side reads: "name index" lines,
    // each field's index among a stretch's ints.
    static const struct {
        const char* name;
        size_t offset;
    } fields[] = {{"texture", offsetof(Stretch, texture)},
                  {"blend", offsetof(Stretch, blend)},
                  {"blendSource", offsetof(Stretch, blendSource)},
                  {"blendDestination", offsetof(Stretch, blendDestination)},
                  {"depthTest", offsetof(Stretch, depthTest)},
                  {"viewport", offsetof(Stretch, viewport)},
                  {"first", offsetof(Stretch, first)},
                  {"count", offsetof(Stretch, count)}};
    static char names[256];
    size_t length = 0;
    for (const auto& field : fields)
        length +=
            size_t(std::snprintf(names + length, sizeof names - length, "%s%s %zu",
                                 length ? "\n" : "", field.name, field.offset / sizeof(int32_t)));
    return startWebgl(vertexShader, fragmentShader, int(sizeof(Vertex)), offsetof(Vertex, clip),
                      offsetof(Vertex, texCoord), offsetof(Vertex, colour), names) == 1;
}

}  // namespace layer

void glEnable(GLenum cap) {
    layer::setCap("glEnable", cap, true);
}

void glDisable(GLenum cap) {
    layer::setCap("glDisable", cap, false);
}

void glBlendFunc(GLenum source, GLenum destination) {
    layer::current.blendSource = int32_t(source),
    layer::current.blendDestination = int32_t(destination);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    const int given[4] = {x, y, width, height};
    std::memcpy(layer::gameViewport, given, sizeof given);
    layer::chooseState();
}

void glLineWidth(GLfloat width) {
    layer::width = width;
}

void glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    const GLfloat colour[4] = {r, g, b, a};
    std::memcpy(layer::clearColour, colour, sizeof colour);
}

void glClear(GLbitfield mask) {
    if (mask & ~GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT)) layer::fail("glClear", mask);
    layer::drawPending();  // what came before the clear
    const GLfloat* c = layer::clearColour;
    clearBuffers(int(mask), c[0], c[1], c[2], c[3]);
}
