// The frame's triangles in one buffer in WebAssembly, drawn with WebGL only
// where the state they need changes (texture, blending, depth test, viewport);
// the GL calls that set that state, and the textures.
#include <emscripten.h>

#include <cstring>

#include "web/layer.h"

// The browser's side: one WebGL context, one program, one vertex buffer, and
// the textures by index (0 is white: what untextured drawing samples).
EM_JS(int, startWebgl, (const char* vertexShader, const char* fragmentShader, int stride), {
    var gl = Module.canvas.getContext(
        "webgl", {alpha : false, depth : true, stencil : false, antialias : false});
    if (!gl) return 0;
    var program = gl.createProgram();
    [[gl.VERTEX_SHADER, vertexShader], [gl.FRAGMENT_SHADER, fragmentShader]].forEach(
        function(part) {
            var shader = gl.createShader(part[0]);
            gl.shaderSource(shader, UTF8ToString(part[1]));
            gl.compileShader(shader);
            if (!gl.getShaderParameter(shader, gl.COMPILE_STATUS))
                throw new Error("A shader of the GL layer does not compile: " +
                                gl.getShaderInfoLog(shader));
            gl.attachShader(program, shader);
        });
    [ "position", "texCoord", "colour" ].forEach(
        function(name, i) { gl.bindAttribLocation(program, i, name); });
    gl.linkProgram(program);
    if (!gl.getProgramParameter(program, gl.LINK_STATUS))
        throw new Error("The GL layer's shaders do not link: " + gl.getProgramInfoLog(program));
    gl.useProgram(program);
    gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
    gl.vertexAttribPointer(0, 4, gl.FLOAT, false, stride, 0);
    gl.vertexAttribPointer(1, 2, gl.FLOAT, false, stride, 16);
    gl.vertexAttribPointer(2, 4, gl.UNSIGNED_BYTE, true, stride, 24);
    for (var i = 0; i < 3; i++) gl.enableVertexAttribArray(i);
    var white = gl.createTexture();
    gl.bindTexture(gl.TEXTURE_2D, white);
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, 1, 1, 0, gl.RGB, gl.UNSIGNED_BYTE,
                  new Uint8Array([ 255, 255, 255 ]));
    Module.webgl = {gl : gl, textures : [white]};
    return 1;
});

EM_JS(void, uploadTexture,
      (int index, int width, int height, int alignment, const void* pixels, int bytes, int wrap), {
          var gl = Module.webgl.gl, textures = Module.webgl.textures;
          textures[index] = textures[index] || gl.createTexture();
          gl.bindTexture(gl.TEXTURE_2D, textures[index]);
          gl.pixelStorei(gl.UNPACK_ALIGNMENT, alignment);
          gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, width, height, 0, gl.RGB, gl.UNSIGNED_BYTE,
                        HEAPU8.subarray(pixels, pixels + bytes));
          gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, wrap);
          gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, wrap);
      });

EM_JS(void, setFilters, (int index, int minFilter, int magFilter), {
    var gl = Module.webgl.gl;
    gl.bindTexture(gl.TEXTURE_2D, Module.webgl.textures[index]);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, minFilter);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, magFilter);
});

EM_JS(void, uploadVertices, (const void* from, int bytes), {
    var gl = Module.webgl.gl;
    gl.bufferData(gl.ARRAY_BUFFER, HEAPU8.subarray(from, from + bytes), gl.STREAM_DRAW);
});

EM_JS(void, drawTriangles, (const int* state, int first, int count), {
    var gl = Module.webgl.gl, s = HEAP32.subarray(state >> 2, (state >> 2) + 9);
    gl.bindTexture(gl.TEXTURE_2D, Module.webgl.textures[s[0]]);
    if (s[1])
        gl.enable(gl.BLEND);
    else
        gl.disable(gl.BLEND);
    gl.blendFunc(s[2], s[3]);
    if (s[4])
        gl.enable(gl.DEPTH_TEST);
    else
        gl.disable(gl.DEPTH_TEST);
    gl.viewport(s[5], s[6], s[7], s[8]);
    gl.drawArrays(gl.TRIANGLES, first, count);
});

EM_JS(void, clearBuffers, (int mask, float r, float g, float b, float a), {
    var gl = Module.webgl.gl;
    gl.clearColor(r, g, b, a);
    gl.clear(mask);
});

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

// What a draw needs set, as plain ints for the browser's side to read.
struct DrawState {
    int32_t texture;  // index on the browser's side
    int32_t blend, blendSource, blendDestination;
    int32_t depthTest;
    int32_t viewport[4];  // in drawing-buffer pixels
};

bool operator!=(const DrawState& a, const DrawState& b) {
    return std::memcmp(&a, &b, sizeof a) != 0;
}

// Names are used without glGenTextures, as GL 1.1 allows; a name without a
// picture, or whose filter wants mipmaps it does not have, draws untextured.
struct Texture {
    bool hasImage = false;
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR;
    GLint magFilter = GL_LINEAR;
};
constexpr unsigned textureNames = 16;
Texture textures[textureNames];
GLuint boundName = 0;
bool texturing = false;

DrawState current = {0, 0, GL_ONE, GL_ZERO, 0, {0, 0, 0, 0}};
int gameViewport[4] = {0, 0, 0, 0};  // window pixels, as the game gave it
float pixelScale = 1.0f;
float width = 1.0f;
GLfloat clearColour[4] = {0, 0, 0, 0};
GLint unpackAlignment = 4;

// A whole frame at full load is about 70,000 vertices; more are drawn in turns.
constexpr int maxVertices = 1 << 17;
Vertex vertices[maxVertices];
int vertexCount = 0;
struct Draw {
    DrawState state;
    int first, count;
};
constexpr int maxDraws = 1024;
Draw draws[maxDraws];
int drawCount = 0;
int frameDraws = 0;

void chooseTexture() {
    const Texture& t = textures[boundName];
    const bool mipmapped = t.minFilter != GL_NEAREST && t.minFilter != GL_LINEAR;
    current.texture = texturing && t.hasImage && !mipmapped ? int32_t(boundName) + 1 : 0;
}

void scaleViewport() {
    for (int i = 0; i < 4; ++i)
        current.viewport[i] = int32_t(float(gameViewport[i]) * pixelScale + 0.5f);
}

bool isPowerOfTwo(GLsizei n) {
    return (n & (n - 1)) == 0;
}

}  // namespace

void addTriangle(const Vertex& a, const Vertex& b, const Vertex& c) {
    if (vertexCount + 3 > maxVertices) drawPending();
    if (drawCount == 0 || draws[drawCount - 1].state != current) {
        if (drawCount == maxDraws) drawPending();
        draws[drawCount++] = {current, vertexCount, 0};
    }
    vertices[vertexCount++] = a;
    vertices[vertexCount++] = b;
    vertices[vertexCount++] = c;
    draws[drawCount - 1].count += 3;
}

void drawPending() {
    if (vertexCount == 0) return;
    uploadVertices(vertices, int(sizeof(Vertex)) * vertexCount);
    for (int i = 0; i < drawCount; ++i)
        drawTriangles(&draws[i].state.texture, draws[i].first, draws[i].count);
    frameDraws += drawCount;
    vertexCount = drawCount = 0;
}

int takeFrameDraws() {
    const int count = frameDraws;
    frameDraws = 0;
    return count;
}

float lineWidth() {
    return width;
}

const int* viewport() {
    return gameViewport;
}

void setPixelScale(float scale) {
    pixelScale = scale;
    scaleViewport();
}

bool startPipeline() {
    static_assert(sizeof(Vertex) == 28, "the layout startWebgl gives the vertex buffer");
    return startWebgl(vertexShader, fragmentShader, int(sizeof(Vertex))) == 1;
}

}  // namespace layer

void glEnable(GLenum cap) {
    layer::DrawState& s = layer::current;
    switch (cap) {
        case GL_DEPTH_TEST:
            s.depthTest = 1;
            break;
        case GL_BLEND:
            s.blend = 1;
            break;
        case GL_TEXTURE_2D:
            layer::texturing = true, layer::chooseTexture();
            break;
        default:
            if (!layer::setLightingCap(cap, true)) layer::fail("glEnable", cap);
    }
}

void glDisable(GLenum cap) {
    layer::DrawState& s = layer::current;
    switch (cap) {
        case GL_DEPTH_TEST:
            s.depthTest = 0;
            break;
        case GL_BLEND:
            s.blend = 0;
            break;
        case GL_TEXTURE_2D:
            layer::texturing = false, layer::chooseTexture();
            break;
        default:
            if (!layer::setLightingCap(cap, false)) layer::fail("glDisable", cap);
    }
}

void glBlendFunc(GLenum source, GLenum destination) {
    layer::current.blendSource = int32_t(source);
    layer::current.blendDestination = int32_t(destination);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    const int given[4] = {x, y, width, height};
    std::memcpy(layer::gameViewport, given, sizeof given);
    layer::scaleViewport();
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
    if (target != GL_TEXTURE_2D) layer::fail("glBindTexture", target);
    if (name >= layer::textureNames) layer::fail("glBindTexture: a texture name above 15", name);
    layer::boundName = name;
    layer::chooseTexture();
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    layer::Texture& t = layer::textures[layer::boundName];
    const bool filter = value == GL_NEAREST || value == GL_LINEAR ||
                        (value >= GL_NEAREST_MIPMAP_NEAREST && value <= GL_LINEAR_MIPMAP_LINEAR);
    if (target != GL_TEXTURE_2D || !filter) layer::fail("glTexParameteri", GLenum(value));
    if (name == GL_TEXTURE_MIN_FILTER) {
        t.minFilter = value;
    } else if (name == GL_TEXTURE_MAG_FILTER && (value == GL_NEAREST || value == GL_LINEAR)) {
        t.magFilter = value;
    } else {
        layer::fail("glTexParameteri", name);
    }
    if (t.hasImage) setFilters(int(layer::boundName) + 1, t.minFilter, t.magFilter);
    layer::chooseTexture();
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
    if (target != GL_TEXTURE_2D || level != 0 || border != 0) layer::fail("glTexImage2D", target);
    if ((internalFormat != 3 && internalFormat != GL_RGB) || format != GL_RGB ||
        type != GL_UNSIGNED_BYTE)
        layer::fail("glTexImage2D: only RGB bytes, not", format);
    layer::drawPending();  // drawn with the picture they were given
    const int alignment = layer::unpackAlignment;
    const int rowBytes = (3 * width + alignment - 1) / alignment * alignment;
    layer::Texture& t = layer::textures[layer::boundName];
    const bool repeats = layer::isPowerOfTwo(width) && layer::isPowerOfTwo(height);
    uploadTexture(int(layer::boundName) + 1, width, height, alignment, pixels,
                  rowBytes * (height - 1) + 3 * width, repeats ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    setFilters(int(layer::boundName) + 1, t.minFilter, t.magFilter);
    t.hasImage = true;
    layer::chooseTexture();
}
