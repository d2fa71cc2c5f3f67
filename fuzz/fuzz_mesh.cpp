// libFuzzer target: arbitrary text through the mesh reader; it must neither
// crash nor read outside the Mesh, and no normal may come out non-finite.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "assets/mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;  // fmemopen needs a non-empty buffer
    std::string text(reinterpret_cast<const char*>(data), size);
    std::FILE* file = fmemopen(text.data(), size, "r");
    if (!file) return 0;
    mesh = Mesh();
    readMeshStream(file, "fuzz.m");
    std::fclose(file);
    for (const MeshVertex& v : mesh.vertices)
        if (!std::isfinite(v.normal.x) || !std::isfinite(v.normal.y) || !std::isfinite(v.normal.z))
            __builtin_trap();
    return 0;
}
