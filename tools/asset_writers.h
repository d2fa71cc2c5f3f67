// Writers for our own BMP pictures and ".m" meshes, shared by the data
// generator and the benchmarks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace assetwriters {

// RGB bytes, bottom row first, rows unpadded (as the game keeps pictures).
struct RgbPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<unsigned char> rgb;
};

inline void putU32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// A plain 24-bit BMP: 14-byte file header, 40-byte info header, pixels at 54,
// blue-green-red, rows padded to 4 bytes as readers of the format expect.
inline bool writeBmp24(const char* path, const RgbPicture& picture) {
    uint32_t rowBytes = picture.width * 3;
    uint32_t stride = (rowBytes + 3) & ~3u;
    uint32_t dataBytes = stride * picture.height;
    unsigned char header[54] = {'B', 'M'};
    putU32(header + 2, 54 + dataBytes);
    putU32(header + 10, 54);
    putU32(header + 14, 40);
    putU32(header + 18, picture.width);
    putU32(header + 22, picture.height);
    header[26] = 1;   // planes
    header[28] = 24;  // bits per pixel
    putU32(header + 34, dataBytes);
    putU32(header + 38, 2835);  // 72 dpi
    putU32(header + 42, 2835);
    std::vector<unsigned char> data(dataBytes, 0);
    for (uint32_t row = 0; row < picture.height; ++row) {
        for (uint32_t col = 0; col < picture.width; ++col) {
            const unsigned char* in = &picture.rgb[(size_t(row) * picture.width + col) * 3];
            unsigned char* out = &data[size_t(row) * stride + col * 3];
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    bool ok = std::fwrite(header, sizeof header, 1, file) == 1 &&
              (dataBytes == 0 || std::fwrite(data.data(), dataBytes, 1, file) == 1);
    return std::fclose(file) == 0 && ok;
}

struct MeshPoint {
    float x, y, z;
};

struct MeshTriangle {
    int a, b, c;  // 1-based vertex numbers
    bool coloured = false;
    float r = 0, g = 0, b2 = 0;
    int matid = 0;
};

struct MeshText {
    std::vector<std::string> comments;  // written as "# " lines at the top
    std::vector<MeshPoint> vertices;
    std::vector<MeshTriangle> faces;
};

// Writes the ".m" text, numbers in "%g" form.
inline bool writeMesh(const char* path, const MeshText& mesh) {
    std::FILE* file = std::fopen(path, "w");
    if (!file) return false;
    for (const std::string& line : mesh.comments) std::fprintf(file, "# %s\n", line.c_str());
    size_t number = 0;
    for (const MeshPoint& v : mesh.vertices)
        std::fprintf(file, "Vertex %zu  %g %g %g\n", ++number, double(v.x), double(v.y),
                     double(v.z));
    number = 0;
    for (const MeshTriangle& f : mesh.faces) {
        std::fprintf(file, "Face %zu  %d %d %d", ++number, f.a, f.b, f.c);
        if (f.coloured)
            std::fprintf(file, " {rgb=(%g %g %g) matid=%d}", double(f.r), double(f.g), double(f.b2),
                         f.matid);
        std::fputc('\n', file);
    }
    return std::fclose(file) == 0;
}

}  // namespace assetwriters
