// Textures: GL's names, filters and pictures, and the picture that the current
// state samples; the pictures themselves live on the browser's side.
#include <emscripten.h>

#include "web/gl/layer.h"

// clang-format off
EM_JS(void, uploadTexture, (int index, int width, int height, int alignment, const void* pixels, int bytes, int wrap), {
    Module.layer.upload(index, width, height, alignment, HEAPU8.subarray(pixels, pixels + bytes), wrap);
});
EM_JS(void, setFilters, (int index, int minFilter, int magFilter), { Module.layer.filter(index, minFilter, magFilter); });
// clang-format on

namespace layer {
namespace {

// Names are used without glGenTextures, as GL 1.1 allows; a name without a
// picture, or whose filter wants mipmaps it does not have, draws untextured.
struct Texture {
    bool hasImage = false;
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR, magFilter = GL_LINEAR;  // GL's defaults
};
Texture textures[16];
GLuint boundName = 0;
GLint unpackAlignment = 4;

}  // namespace

int boundTexture() {
    const Texture& t = textures[boundName];
    const bool mipmapped = t.minFilter != GL_NEAREST && t.minFilter != GL_LINEAR;
    return t.hasImage && !mipmapped ? int(boundName) + 1 : 0;  // 0 is white on the browser's side
}

}  // namespace layer

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
