// The mesh reader: the format's edge cases as rows of text, output and counts;
// the smoothed normals; the loader's summary.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>

#include "assets/mesh.h"

namespace {

// What the reader printed while it read text, or the loader a file.
std::string readText(std::string text) {
    mesh = Mesh();
    testing::internal::CaptureStdout();
    std::FILE* file = fmemopen(text.data(), text.size(), "r");
    readMeshStream(file, "t.m");
    std::fclose(file);
    return testing::internal::GetCapturedStdout();
}
std::string load(const char* path) {
    mesh = Mesh();
    testing::internal::CaptureStdout();
    loadMesh(path);
    return testing::internal::GetCapturedStdout();
}

const std::string triangle = "Vertex 1 0 0 0\nVertex 2 1 0 0\nVertex 3 0 1 0\n";

TEST(Mesh, TheFormatsEdgeCasesReadAsTheyShould) {
    const std::string face = "Face 1 1 2 3", colour = "trying to parse color 1\nset color to: ";
    auto skipped = [](int line, const std::string& reason) {
        return "Skipped line " + std::to_string(line) + " of t.m: " + reason + "\n";
    };
    const std::string unknown = ", but vertices beyond those read so far are unknown",
                      shortVertex = "a vertex line needs its own number and three coordinates";
    const std::tuple<std::string, std::string, size_t, size_t> cases[] = {
        {"Vertex 10 1 2 3\n  Vertex 11 4 5 6\n\tVertex 12 7 8 9e0 extra\nvertex 1 1 2 3\n"
         "Vertex\t1 1 2 3\n# Vertex 1 1 2 3\nFace\t1 1 2 3\nface 1 1 2 3\nFace 1 1 2 3 4\nhello",
         "", 3, 1},
        {triangle + "Face 8 1 2 3{rgb=(1 0.5 0) matid=2}\nFace 9 1 2 3 {matid=2}\n"
                    "Face 10 1 2 3 {rgbx}\nFace 11 1 2 3 {rgb=(1.5 \n",
         colour + "1 0.5 0\ntrying to parse color 0\ntrying to parse color 1\n" + colour +
             "1.5 0 0\n",
         3, 4},
        {triangle + face + std::string(243, ' ') + "{rgb=(1 1 1)}\nVertex 4 7 8 9", "", 4, 1},
        {"# " + std::string(253 + 9999, 'x') + "Vertex 5 1 2 3\nVertex 6 4 5 6\n", "", 2, 0},
        {"# " + std::string(253 + 9998, 'x') + "Vertex 5 1 2 3\nVertex 6 4 5 6", "", 1, 0},
        {triangle + "Face 1 0 2 3\n\nFace 2 1 2 4\nFace 3 1 2\nFace 4 1 -2 3\nFace 5 1 2 3 x\n" +
             "Face 6 1 2 99999999999999999999\nFace 7 1 2 3\x01\n" + face,
         skipped(4, "face names vertex 0, but vertices count from 1") +
             skipped(6, "face names vertex 4" + unknown) +
             skipped(7, "a face line needs three vertex numbers, found 2") +
             skipped(8, "unexpected character '-' in a face line") +
             skipped(9, "unexpected character 'x' in a face line") +
             skipped(10, "face names vertex 1000000000000000" + unknown) +
             skipped(11, "unexpected character 0x01 in a face line"),
         3, 1},
        {"Vertex 1 1 2\nVertex 1 1 2 z\n", skipped(1, shortVertex) + skipped(2, shortVertex), 0, 0},
    };
    for (const auto& [text, output, vertices, faces] : cases) {
        EXPECT_EQ(readText(text), output) << text.substr(0, 80);
        EXPECT_EQ(std::pair(mesh.vertices.size(), mesh.faces.size()), std::pair(vertices, faces));
    }
}

bool normalIs(const MeshVertex& v, float x, float y, float z) {
    return std::fabs(v.normal.x - x) + std::fabs(v.normal.y - y) + std::fabs(v.normal.z - z) <
           1e-6f;
}

// Faces with the normals (0, 0, 1), (0, 1, 0) and (1, 0, 0) meet at vertex 1:
// each turns it half-way, so the last read weighs most.
TEST(Mesh, NormalsTurnHalfWayTowardsEachFaceAndNeverGoNonFinite) {
    readText(triangle +
             "Vertex 4 0 0 1\nVertex 5 0 0 2\nFace 1 1 2 3\nFace 2 1 4 2\nFace 3 1 3 5\n");
    EXPECT_TRUE(normalIs(mesh.vertices[4], 1, 0, 0)) << "one counter-clockwise face";
    EXPECT_TRUE(normalIs(mesh.vertices[1], 0, 0.70710677f, 0.70710677f)) << "two faces";
    EXPECT_TRUE(normalIs(mesh.vertices[0], 0.70710677f, 0.5f, 0.5f)) << "three faces";
    readText(triangle +
             "Vertex 4 2 0 0\nVertex 5 1 1e-30 0\nFace 1 1 2 4\nFace 2 1 1 1\n"
             "Face 3 1 2 3\nFace 4 1 3 2\nFace 5 1 2 5\n");
    EXPECT_TRUE(normalIs(mesh.vertices[3], 0, 0, 0)) << "only a flat face used it";
    EXPECT_TRUE(normalIs(mesh.vertices[2], 0, 0, 1)) << "its opposite cannot be added";
    EXPECT_TRUE(normalIs(mesh.vertices[4], 0, 0, 1)) << "tiny, but not flat";
}

TEST(Mesh, TheLoaderSumsUpWhatExists) {
    std::ofstream("four.m") << "Vertex 1 1 2 3\nVertex 2 1 2 3\nVertex 3 1 2 3\nVertex 4 1 2 3\n";
    EXPECT_EQ(load("four.m"), "file four.m\nReading coordinates from four.m\n");
    std::ofstream("five.m") << triangle << "Vertex 4 0 0 1\nVertex 5 2 2 2\nFace 1 1 2 3\n";
    EXPECT_EQ(load("five.m"),
              "file five.m\nReading coordinates from five.m\n"
              "first vertex: 0.000000 0.000000 0.000000 \nfirst face: 1 2 3 \n"
              "second vertex: 1.000000 0.000000 0.000000 \n"
              "third vertex: 0.000000 1.000000 0.000000 \n");
}

}  // namespace
