// The ".m" triangle mesh: value types, the one loaded Mesh and its reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

struct Vec3 {
    float x = 0, y = 0, z = 0;
    Vec3() = default;
    Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 cross(Vec3 a, Vec3 b);
Vec3 normalized(Vec3 v);
Vec3 unitNormal(Vec3 a, Vec3 b);

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

void loadMesh(const char* fileName);
void readMeshFile(const char* fileName);
void parseMeshLine(const char* line);
void printMeshSummary();

// Runs the line reader over an open text stream, through a buffer of
// chunkBytes plus one longest line; readMeshFile uses a megabyte.
// fileName only names messages.
void readMeshStream(std::FILE* file, const char* fileName, size_t chunkBytes);

// Runs the line reader over a whole file's text held in memory. text[size]
// must be writable: lines are cut in place. fileName only names messages.
void parseMeshText(char* text, size_t size, const char* fileName);
