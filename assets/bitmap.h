// Reading uncompressed 24-bit BMP files into RGB pixels, without any GL.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

struct BitmapImage {
    uint32_t width = 0;
    uint32_t height = 0;                      // absolute value for top-down files
    std::unique_ptr<unsigned char[]> pixels;  // RGB, bottom row first, rows unpadded
};

// Larger pictures are refused before anything is allocated.
constexpr uint32_t maxBitmapSide = 16384;

// Fills image from the file; on failure prints the reason on standard output
// and returns 0 (image then must not be used).
int loadBitmap(const char* fileName, BitmapImage& image);

// The same from an open stream; fileName only names it in messages.
int readBitmap(std::FILE* file, const char* fileName, BitmapImage& image);
