// RGB pictures taken from the X server, with the readers and writers the tests need.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    int r = 0, g = 0, b = 0;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // rows top to bottom, 3 bytes a pixel

    Rgb at(int x, int y) const {
        size_t i =
            (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
    bool empty() const { return width == 0 || height == 0; }
};

// Parses an XWD dump (ZPixmap, 24 or 32 bits a pixel, either byte order).
// Returns an empty image and sets error when the bytes are not one.
Image parseXwd(const std::string& bytes, std::string* error);

Image crop(const Image& image, int x, int y, int width, int height);

// Writes an 8-bit RGB PNG; returns false if the file cannot be written.
bool writePng(const std::string& path, const Image& image);
