// The frame's triangles in one buffer in WebAssembly, drawn with WebGL only
// where the state they need changes (texture, blending, depth test, viewport);
// the GL calls that set that state, and the textures.
#include <emscripten.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "web/layer.h"

// The browser's side, in JavaScript: one WebGL context, program and vertex
// buffer, and the textures by index; 0 is white, which untextured drawing samples.
// clang-format off
EM_JS(int, startWebgl, (const char* vertexShader, const char* fragmentShader, int stride), {
    var gl = Module.canvas.getContext("webgl", {alpha: false, depth: true, stencil: false, antialias: false});
    if (!gl) return 0;
    // The shaders compile while the game loads; the first draw asks how that went.
    var program = gl.createProgram(), shaders = [];
    [[gl.VERTEX_SHADER, vertexShader], [gl.FRAGMENT_SHADER, fragmentShader]].forEach(function(part) {
        var shader = gl.createShader(part[0]);
        gl.shaderSource(shader, UTF8ToString(part[1]));
        gl.compileShader(shader);
        gl.attachShader(program, shader);
        shaders.push(shader);
    });
    ["position", "texCoord", "colour"].forEach(function(name, i) { gl.bindAttribLocation(program, i, name); });
    gl.linkProgram(program);
    gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
    [[4, gl.FLOAT, 0], [2, gl.FLOAT, 16], [4, gl.UNSIGNED_BYTE, 24]].forEach(function(a, i) {
        gl.vertexAttribPointer(i, a[0], a[1], a[1] == gl.UNSIGNED_BYTE, stride, a[2]);
        gl.enableVertexAttribArray(i);
    });
    Module.webgl = {gl: gl, textures: [gl.createTexture()], unchecked: function() {
        if (gl.getProgramParameter(program, gl.LINK_STATUS)) return gl.useProgram(program);
        var logs = shaders.map(function(s) { return gl.getShaderInfoLog(s); }).join(" ");
        throw new Error("The GL layer's shaders do not build: " + logs + " " + gl.getProgramInfoLog(program));
    }};
    gl.bindTexture(gl.TEXTURE_2D, Module.webgl.textures[0]);
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, 1, 1, 0, gl.RGB, gl.UNSIGNED_BYTE, new Uint8Array([255, 255, 255]));
    return 1;
});

EM_JS(void, uploadTexture, (int index, int width, int height, int alignment, const void* pixels, int bytes, int wrap), {
    var gl = Module.webgl.gl, textures = Module.webgl.textures;
    gl.bindTexture(gl.TEXTURE_2D, textures[index] = textures[index] || gl.createTexture());
    gl.pixelStorei(gl.UNPACK_ALIGNMENT, alignment);
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, width, height, 0, gl.RGB, gl.UNSIGNED_BYTE, HEAPU8.subarray(pixels, pixels + bytes));
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, wrap);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, wrap);
});

EM_JS(void, setFilters, (int index, int minFilter, int magFilter), {
    var gl = Module.webgl.gl;
    gl.bindTexture(gl.TEXTURE_2D, Module.webgl.textures[index]);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, minFilter);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, magFilter);
});

// The vertices once, then a draw for each stretch of one state.
EM_JS(void, drawStretches, (const void* vertices, int bytes, const int* stretches, int count), {
    var gl = Module.webgl.gl;
    if (Module.webgl.unchecked) Module.webgl.unchecked(), Module.webgl.unchecked = null;
    gl.bufferData(gl.ARRAY_BUFFER, HEAPU8.subarray(vertices, vertices + bytes), gl.STREAM_DRAW);
    for (var i = 0; i < count; i++) {
        var s = HEAP32.subarray((stretches >> 2) + 11 * i, (stretches >> 2) + 11 * i + 11);
        gl.bindTexture(gl.TEXTURE_2D, Module.webgl.textures[s[0]]);
        gl[s[1] ? "enable" : "disable"](gl.BLEND);
        gl.blendFunc(s[2], s[3]);
        gl[s[4] ? "enable" : "disable"](gl.DEPTH_TEST);
        gl.viewport(s[5], s[6], s[7], s[8]);
        gl.drawArrays(gl.TRIANGLES, s[9], s[10]);
    }
});

EM_JS(void, publishDraws, (int draws), { Module.drawsPerFrame = draws; });  // for the benchmark

EM_JS(void, clearBuffers, (int mask, float r, float g, float b, float a), {
    var gl = Module.webgl.gl;
    gl.clearColor(r, g, b, a);
    gl.clear(mask);
});
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

// Names are used without glGenTextures, as GL 1.1 allows; a name without a
// picture, or whose filter wants mipmaps it does not have, draws untextured.
struct Texture {
    bool hasImage = false;
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR, magFilter = GL_LINEAR;  // GL's defaults
};
Texture textures[16];
GLuint boundName = 0;
bool texturing = false;

Stretch current = {0, 0, GL_ONE, GL_ZERO, 0, {0, 0, 0, 0}, 0, 0};
int gameViewport[4] = {0, 0, 0, 0};  // window pixels, as the game gave it
float pixelScale = 1.0f, width = 1.0f;
GLfloat clearColour[4] = {0, 0, 0, 0};
GLint unpackAlignment = 4;

// A frame at full load is about 70,000 vertices; a larger one is drawn in turns.
Vertex vertices[1 << 17];
int vertexCount = 0;
Stretch stretches[1024];
int stretchCount = 0, frameDraws = 0;

void chooseState() {
    const Texture& t = textures[boundName];
    const bool mipmapped = t.minFilter != GL_NEAREST && t.minFilter != GL_LINEAR;
    current.texture = texturing && t.hasImage && !mipmapped ? int32_t(boundName) + 1 : 0;
    for (int i = 0; i < 4; ++i)
        current.viewport[i] = int32_t(float(gameViewport[i]) * pixelScale + 0.5f);
}

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

void drawPending() {
    if (vertexCount > 0)
        drawStretches(vertices, int(sizeof(Vertex)) * vertexCount, &stretches[0].texture,
                      stretchCount);
    frameDraws += stretchCount;
    vertexCount = stretchCount = 0;
}

void finishFrame() {
    drawPending();
    publishDraws(frameDraws);
    frameDraws = 0;
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
    static_assert(sizeof(Vertex) == 28 && sizeof(Stretch) == 44,
                  "the layouts the browser's side reads");
    return startWebgl(vertexShader, fragmentShader, int(sizeof(Vertex))) == 1;
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

void glBindTexture(GLenum target, GLuint name) {
    if (target != GL_TEXTURE_2D || name >= 16)
        layer::fail("glBindTexture: a 2-D texture below 16, not", name);
    layer::boundName = name;
    layer::chooseState();
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    layer::Texture& t = layer::textures[layer::boundName];
    const bool plain = value == GL_NEAREST || value == GL_LINEAR;
    const bool mipmap = value >= GL_NEAREST_MIPMAP_NEAREST && value <= GL_LINEAR_MIPMAP_LINEAR;
    if (target != GL_TEXTURE_2D || !(plain || (mipmap && name == GL_TEXTURE_MIN_FILTER))) {
        layer::fail("glTexParameteri", GLenum(value));
    } else if (name == GL_TEXTURE_MIN_FILTER || name == GL_TEXTURE_MAG_FILTER) {
        (name == GL_TEXTURE_MIN_FILTER ? t.minFilter : t.magFilter) = value;
    } else {
        layer::fail("glTexParameteri", name);
    }
    if (t.hasImage) setFilters(int(layer::boundName) + 1, t.minFilter, t.magFilter);
    layer::chooseState();
}

void glPixelStorei(GLenum name, GLint value) {
    if (name != GL_UNPACK_ALIGNMENT) layer::fail("glPixelStorei", name);
    layer::unpackAlignment = value;
}

void glGetIntegerv(GLenum name, GLint* value) {
    if (name != GL_UNPACK_ALIGNMENT) layer::fail("glGetIntegerv", name);
    *value = layer::unpackAlignment;
}

// Internal format 3 is GL 1.0's count of components: RGB. WebGL 1 repeats only
// pictures whose sides are powers of two; others are clamped at their edges.
void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void* pixels) {
    const bool rgb = (internalFormat == 3 || internalFormat == GL_RGB) && format == GL_RGB &&
                     type == GL_UNSIGNED_BYTE;
    if (target != GL_TEXTURE_2D || level != 0 || border != 0 || !rgb || width < 1 || height < 1)
        layer::fail("glTexImage2D: only a whole RGB picture of bytes, not", format);
    layer::drawPending();  // drawn with the picture they were given
    layer::Texture& t = layer::textures[layer::boundName];
    t.hasImage = true;
    const int align = layer::unpackAlignment, rowBytes = (3 * width + align - 1) / align * align;
    const bool repeats = (width & (width - 1)) == 0 && (height & (height - 1)) == 0;
    uploadTexture(int(layer::boundName) + 1, width, height, align, pixels,
                  rowBytes * (height - 1) + 3 * width, repeats ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    setFilters(int(layer::boundName) + 1, t.minFilter, t.magFilter);
    layer::chooseState();
}
