// The ".m" triangle mesh: the one loaded Mesh and its reader.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

struct Vec3 {
    float x = 0, y = 0, z = 0;
    Vec3() = default;
    Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
};

struct MeshVertex {
    float x, y, z;
    Vec3 normal;  // smoothed unit normal; zero until a face uses the vertex
};

struct MeshFace {
    int32_t indices[3];  // 1-based positions in Mesh::vertices
};

struct Mesh {
    std::vector<MeshVertex> vertices;
    std::vector<MeshFace> faces;
};

extern Mesh mesh;

// Reads the named file into the Mesh with its progress lines and summary;
// a file that cannot be opened is reported and leaves the Mesh as it was.
void loadMesh(const char* fileName);

// Reads the lines of an open text stream into the Mesh; fileName only names
// the stream in the lines it prints.
void readMeshStream(std::FILE* text, const char* fileName);
