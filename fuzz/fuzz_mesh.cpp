// libFuzzer target: arbitrary text through the mesh reader, whole and through
// a small refill buffer; both must agree with the plain istream + sscanf
// reader and never make a non-finite normal.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "assets/mesh.h"
#include "assets/mesh_reference.h"

namespace {

bool sameFloat(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool agrees(const reference::Reader& plain) {
    if (mesh.vertices.size() != plain.vertices.size() || mesh.faces.size() != plain.faces.size())
        return false;
    for (size_t i = 0; i < plain.vertices.size(); ++i) {
        const MeshVertex& a = mesh.vertices[i];
        const MeshVertex& b = plain.vertices[i];
        if (!sameFloat(a.x, b.x) || !sameFloat(a.y, b.y) || !sameFloat(a.z, b.z)) return false;
        if (!std::isfinite(a.normal.x) || !std::isfinite(a.normal.y) || !std::isfinite(a.normal.z))
            return false;
    }
    for (size_t i = 0; i < plain.faces.size(); ++i)
        if (std::memcmp(mesh.faces[i].indices, plain.faces[i].indices, sizeof(MeshFace)) != 0)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    reference::Reader plain;
    plain.read(text, "fuzz.m");

    std::string cut = text;  // the reader cuts lines in place
    mesh = Mesh();
    parseMeshText(cut.data(), cut.size(), "fuzz.m");
    if (!agrees(plain)) __builtin_trap();

    if (size > 0) {
        std::string streamed = text;
        std::FILE* file = fmemopen(streamed.data(), streamed.size(), "r");
        if (!file) return 0;
        mesh = Mesh();
        readMeshStream(file, "fuzz.m", 1 + data[0] % 64);
        std::fclose(file);
        if (!agrees(plain)) __builtin_trap();
    }
    mesh = Mesh();
    return 0;
}
