// Reads the XWD dumps that xwd writes: a big-endian header, colour entries, pixel rows.
#include "image.h"

namespace {

constexpr size_t headerWords = 25;

uint32_t bigEndian32(const std::string& b, size_t at) {
    auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(b[at + i])); };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

int shiftOf(uint32_t mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1u) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

struct XwdHeader {
    uint32_t headerSize, version, format, width, height, byteOrder, bitsPerPixel, bytesPerLine;
    uint32_t redMask, greenMask, blueMask, colourEntries;
};

XwdHeader readHeader(const std::string& b) {
    auto w = [&](size_t i) { return bigEndian32(b, i * 4); };
    return {w(0), w(1), w(2), w(4), w(5), w(7), w(11), w(12), w(14), w(15), w(16), w(19)};
}

uint32_t pixelAt(const std::string& b, size_t at, uint32_t bytes, bool lsbFirst) {
    uint32_t v = 0;
    for (uint32_t i = 0; i < bytes; ++i) {
        uint32_t byte = static_cast<uint8_t>(b[at + i]);
        v |= lsbFirst ? byte << (8 * i) : byte << (8 * (bytes - 1 - i));
    }
    return v;
}

}  // namespace

Image parseXwd(const std::string& bytes, std::string* error) {
    auto fail = [&](const char* why) {
        if (error != nullptr) *error = why;
        return Image{};
    };
    if (bytes.size() < headerWords * 4) return fail("shorter than an XWD header");
    XwdHeader h = readHeader(bytes);
    if (h.version != 7) return fail("not XWD version 7");
    if (h.format != 2) return fail("not a ZPixmap");
    if (h.bitsPerPixel != 24 && h.bitsPerPixel != 32) return fail("not 24 or 32 bits a pixel");
    size_t dataStart = size_t{h.headerSize} + size_t{h.colourEntries} * 12;
    uint32_t pixelBytes = h.bitsPerPixel / 8;
    if (h.bytesPerLine < h.width * pixelBytes) return fail("rows shorter than the width");
    if (bytes.size() < dataStart + size_t{h.bytesPerLine} * h.height)
        return fail("truncated pixel data");

    Image image;
    image.width = static_cast<int>(h.width);
    image.height = static_cast<int>(h.height);
    image.rgb.assign(size_t{h.width} * h.height * 3, 0);
    int rs = shiftOf(h.redMask), gs = shiftOf(h.greenMask), bs = shiftOf(h.blueMask);
    size_t out = 0;
    for (uint32_t y = 0; y < h.height; ++y) {
        size_t row = dataStart + size_t{y} * h.bytesPerLine;
        for (uint32_t x = 0; x < h.width; ++x) {
            uint32_t p = pixelAt(bytes, row + size_t{x} * pixelBytes, pixelBytes, h.byteOrder == 0);
            image.rgb[out++] = static_cast<uint8_t>((p & h.redMask) >> rs);
            image.rgb[out++] = static_cast<uint8_t>((p & h.greenMask) >> gs);
            image.rgb[out++] = static_cast<uint8_t>((p & h.blueMask) >> bs);
        }
    }
    return image;
}

Image crop(const Image& image, int x, int y, int width, int height) {
    Image out;
    out.width = width;
    out.height = height;
    out.rgb.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            int sx = x + col, sy = y + row;
            if (sx < 0 || sy < 0 || sx >= image.width || sy >= image.height) continue;
            Rgb p = image.at(sx, sy);
            size_t i =
                (static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(col)) *
                3;
            out.rgb[i] = static_cast<uint8_t>(p.r);
            out.rgb[i + 1] = static_cast<uint8_t>(p.g);
            out.rgb[i + 2] = static_cast<uint8_t>(p.b);
        }
    }
    return out;
}
