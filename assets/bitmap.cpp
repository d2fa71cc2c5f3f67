// BMP file parsing: header checks, pixel rows into a tight RGB buffer.
#include "assets/bitmap.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr long headerSize = 54;  // file header plus the 40-byte info header

uint32_t readU32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

unsigned readU16(const unsigned char* p) {
    return unsigned(p[0]) | unsigned(p[1]) << 8;
}

// Bytes from pos to the end of the file, or -1 when the stream cannot seek.
long bytesAfter(std::FILE* file, long pos) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    if (end < 0) return -1;
    return end > pos ? end - pos : 0;
}

// Blue-green-red to red-green-blue, in place.
void swapRedBlue(unsigned char* p, uint64_t count) {
    unsigned char* end = p + count;
    for (; p != end; p += 3) {
        unsigned char b = p[0];
        p[0] = p[2];
        p[2] = b;
    }
}

// Top-down files: mirror the rows so the bottom row comes first.
void flipRows(unsigned char* pixels, uint64_t rowBytes, uint32_t rows) {
    for (uint32_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
        unsigned char* a = pixels + top * rowBytes;
        unsigned char* b = pixels + bottom * rowBytes;
        for (uint64_t i = 0; i < rowBytes; ++i) {
            unsigned char t = a[i];
            a[i] = b[i];
            b[i] = t;
        }
    }
}

// Padded rows are read one at a time so the buffer stays tight.
bool readRows(std::FILE* file, unsigned char* pixels, uint64_t rowBytes, uint32_t rows,
              uint64_t padding) {
    unsigned char pad[4];
    for (uint32_t row = 0; row < rows; ++row) {
        if (std::fread(pixels + row * rowBytes, rowBytes, 1, file) != 1) return false;
        if (row + 1 < rows && std::fread(pad, padding, 1, file) != 1) return false;
    }
    return true;
}

// What the header promises, once it has passed every test.
struct PixelLayout {
    long start = headerSize;  // where the first row begins
    uint64_t rowBytes = 0;    // 3 * width, as kept in memory
    uint64_t padding = 0;     // behind every stored row but perhaps the last
    bool topDown = false;
};

bool readHeader(std::FILE* file, const char* fileName, BitmapImage& image, PixelLayout& layout) {
    // A field the file ends inside reads as zero, so a short file fails the
    // plane or bpp test.
    unsigned char header[headerSize] = {};
    size_t got = std::fread(header, 1, sizeof header, file);
    image.width = readU32(header + 18);
    uint32_t storedHeight = readU32(header + 22);
    unsigned planes = got >= 28 ? readU16(header + 26) : 0;
    if (planes != 1) {
        std::printf("Planes from %s is not 1: %u\n", fileName, planes);
        return false;
    }
    unsigned bpp = got >= 30 ? readU16(header + 28) : 0;
    if (bpp != 24) {
        std::printf("Bpp from %s is not 24: %u\n", fileName, bpp);
        return false;
    }
    layout.topDown = (storedHeight & 0x80000000u) != 0;
    image.height = layout.topDown ? 0u - storedHeight : storedHeight;
    if (image.width == 0 || image.height == 0) {
        std::printf("Error reading image data from %s.\n", fileName);
        return false;
    }
    if (image.width > maxBitmapSide || image.height > maxBitmapSide) {
        std::printf("Picture %s is too large: %u x %u pixels (at most %u a side)\n", fileName,
                    image.width, image.height, maxBitmapSide);
        return false;
    }
    // Some writers put more header or a palette first; below 54 the offset is
    // nonsense and the classic layout is assumed.
    uint32_t offset = readU32(header + 10);
    layout.start = offset >= headerSize ? long(offset) : headerSize;
    layout.rowBytes = uint64_t(image.width) * 3;
    layout.padding = (4 - layout.rowBytes % 4) % 4;
    return true;
}

bool readPixels(std::FILE* file, const char* fileName, BitmapImage& image,
                const PixelLayout& layout) {
    uint64_t count = layout.rowBytes * image.height;
    uint64_t stored = (layout.rowBytes + layout.padding) * image.height - layout.padding;
    long available = bytesAfter(file, layout.start);
    // Checked before allocating, so a lying header costs nothing.
    if ((available >= 0 && uint64_t(available) < stored) ||
        std::fseek(file, layout.start, SEEK_SET) != 0) {
        std::printf("Error reading image data from %s.\n", fileName);
        return false;
    }
    image.pixels.reset(new (std::nothrow) unsigned char[count]);
    if (!image.pixels) {
        std::printf("Error allocating memory for color-corrected image data");
        return false;
    }
    unsigned char* pixels = image.pixels.get();
    bool whole = layout.padding == 0
                     ? std::fread(pixels, count, 1, file) == 1
                     : readRows(file, pixels, layout.rowBytes, image.height, layout.padding);
    if (!whole) {
        std::printf("Error reading image data from %s.\n", fileName);
        return false;
    }
    if (layout.topDown) flipRows(pixels, layout.rowBytes, image.height);
    swapRedBlue(pixels, count);
    return true;
}

}  // namespace

int readBitmap(std::FILE* file, const char* fileName, BitmapImage& image) {
    PixelLayout layout;
    return readHeader(file, fileName, image, layout) && readPixels(file, fileName, image, layout)
               ? 1
               : 0;
}

int loadBitmap(const char* fileName, BitmapImage& image) {
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) {
        std::printf("File Not Found : %s\n", fileName);
        return 0;
    }
    int ok = readBitmap(file, fileName, image);
    std::fclose(file);
    return ok;
}
