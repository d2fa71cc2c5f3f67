// A small PNG writer on zlib: 8-bit RGB, each row filtered with "Sub" for a smaller file.
#include <zlib.h>

#include <cstdio>

#include "image.h"

namespace {

void put32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((v >> shift) & 0xff));
}

void chunk(std::string& out, const char* type, const std::string& data) {
    put32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    put32(out, static_cast<uint32_t>(crc));
}

std::string filteredRows(const Image& image) {
    std::string rows;
    size_t stride = static_cast<size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = image.rgb.data() + static_cast<size_t>(y) * stride;
        rows.push_back(1);  // Sub: each byte minus the same channel of the pixel to its left
        for (size_t i = 0; i < stride; ++i) {
            int left = i >= 3 ? row[i - 3] : 0;
            rows.push_back(static_cast<char>((row[i] - left) & 0xff));
        }
    }
    return rows;
}

}  // namespace

bool writePng(const std::string& path, const Image& image) {
    std::string raw = filteredRows(image);
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return false;
    packed.resize(packedSize);

    std::string header;
    put32(header, static_cast<uint32_t>(image.width));
    put32(header, static_cast<uint32_t>(image.height));
    header +=
        std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, adaptive, no interlace

    std::string png("\x89PNG\r\n\x1a\n", 8);
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", packed);
    chunk(png, "IEND", "");

    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}
