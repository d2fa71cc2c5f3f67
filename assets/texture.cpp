// Texture upload: one BMP file becomes the image of a fixed texture name.
#include "assets/texture.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "assets/bitmap.h"

namespace {

// Rows of the buffer are tight (3 * width bytes); GL must not assume padding
// that is not there, or it reads past the end and shears the picture.
void uploadImage(const BitmapImage& image) {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    uint64_t rowBytes = uint64_t(image.width) * 3;
    bool tight = alignment > 0 && rowBytes % uint64_t(alignment) == 0;
    if (!tight) glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, GLsizei(image.width), GLsizei(image.height), 0, GL_RGB,
                 GL_UNSIGNED_BYTE, image.pixels.get());
    if (!tight) glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

}  // namespace

void loadTexture(const char* fileName, TextureName name) {
    std::unique_ptr<BitmapImage> image(new (std::nothrow) BitmapImage);
    if (!image) {
        std::printf("Error allocating space for image");
        std::exit(1);
    }
    std::printf("trying to load %s\n", fileName);
    if (!loadBitmap(fileName, *image)) std::exit(1);
    glBindTexture(GL_TEXTURE_2D, name);
    uploadImage(*image);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
}
