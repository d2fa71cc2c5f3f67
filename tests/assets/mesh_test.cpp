// The mesh reader: the format's edge cases as rows of text, output and counts;
// the smoothed normals; the loader's summary; and our own generated data files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "assets/bitmap.h"
#include "assets/mesh.h"

namespace {

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
const std::string skip = "Skipped line ";

TEST(Mesh, TheFormatsEdgeCasesReadAsTheyShould) {
    const std::string face = "Face 1 1 2 3", colour = "trying to parse color 1\nset color to: ";
    const struct { std::string text, output; size_t vertices, faces; } cases[] = {
        {"Vertex 10 1 2 3\n  Vertex 11 4 5 6\n\tVertex 12 7 8 9e0 extra\nvertex 1 1 2 3\n"
         "Vertex\t1 1 2 3\n# Vertex 1 1 2 3\nFace\t1 1 2 3\nface 1 1 2 3\nFace 1 1 2 3 4\nhello",
         "", 3, 1},
        {triangle + "Face 8 1 2 3{rgb=(1 0.5 0) matid=2}\nFace 9 1 2 3 {matid=2}\n"
                    "Face 10 1 2 3 {rgbx}\nFace 11 1 2 3 {rgb=(1.5 \n",
         colour + "1 0.5 0\ntrying to parse color 0\ntrying to parse color 1\n" + colour + "1.5 0 0\n",
         3, 4},
        {triangle + face + std::string(243, ' ') + "{rgb=(1 1 1)}\nVertex 4 7 8 9", "", 4, 1},
        {"# " + std::string(253 + 9999, 'x') + "Vertex 5 1 2 3\nVertex 6 4 5 6\n", "", 2, 0},
        {"# " + std::string(253 + 9998, 'x') + "Vertex 5 1 2 3\nVertex 6 4 5 6", "", 1, 0},
        {triangle + "Face 1 0 2 3\n\nFace 2 1 2 4\nFace 3 1 2\nFace 4 1 -2 3\nFace 5 1 2 3 x\n"
                    "Face 6 1 2 99999999999999999999\nFace 7 1 2 3\x01\n" + face,
         skip + "4 of t.m: face names vertex 0, but vertices count from 1\n" + skip +
             "6 of t.m: face names vertex 4, but vertices beyond those read so far are unknown\n" +
             skip + "7 of t.m: a face line needs three vertex numbers, found 2\n" + skip +
             "8 of t.m: unexpected character '-' in a face line\n" + skip +
             "9 of t.m: unexpected character 'x' in a face line\n" + skip +
             "10 of t.m: face names vertex 1000000000000000, but vertices beyond those read so far"
             " are unknown\n" + skip + "11 of t.m: unexpected character 0x01 in a face line\n",
         3, 1},
        {"Vertex 1 1 2\nVertex x 1 2 3\nVertex 1 1 2 z\n",
         skip + "1 of t.m: a vertex line needs its own number and three coordinates\n" + skip +
             "2 of t.m: a vertex line needs its own number and three coordinates\n" + skip +
             "3 of t.m: a vertex line needs its own number and three coordinates\n",
         0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readText(c.text), c.output) << c.text.substr(0, 80);
        EXPECT_TRUE(mesh.vertices.size() == c.vertices && mesh.faces.size() == c.faces)
            << c.text.substr(0, 80);
    }
}

bool normalIs(const MeshVertex& v, float x, float y, float z) {
    return std::fabs(v.normal.x - x) < 1e-6f && std::fabs(v.normal.y - y) < 1e-6f &&
           std::fabs(v.normal.z - z) < 1e-6f;
}

TEST(Mesh, NormalsTurnHalfWayTowardsEachFaceAndNeverGoNonFinite) {
    readText(triangle + "Vertex 4 0 0 1\nFace 1 1 2 3\nFace 2 1 4 2\n");
    EXPECT_TRUE(normalIs(mesh.vertices[2], 0, 0, 1)) << "one counter-clockwise face";
    EXPECT_TRUE(normalIs(mesh.vertices[0], 0, 0.70710677f, 0.70710677f)) << "two faces";
    readText(triangle + "Vertex 4 2 0 0\nVertex 5 1 1e-30 0\nFace 1 1 2 4\nFace 2 1 1 1\n"
                        "Face 3 1 2 3\nFace 4 1 3 2\nFace 5 1 2 5\n");
    EXPECT_TRUE(normalIs(mesh.vertices[3], 0, 0, 0)) << "only a flat face used it";
    EXPECT_TRUE(normalIs(mesh.vertices[2], 0, 0, 1)) << "its opposite cannot be added";
    EXPECT_TRUE(normalIs(mesh.vertices[4], 0, 0, 1)) << "tiny, but not flat";
    for (const MeshVertex& v : mesh.vertices)
        EXPECT_TRUE(std::isfinite(v.normal.x + v.normal.y + v.normal.z));
}

TEST(Mesh, TheLoaderSumsUpWhatExists) {
    std::ofstream("four.m") << "Vertex 1 1 2 3\nVertex 2 1 2 3\nVertex 3 1 2 3\nVertex 4 1 2 3\n";
    EXPECT_EQ(load("four.m"), "file four.m\nReading coordinates from four.m\n");
    std::ofstream("five.m") << triangle << "Vertex 4 0 0 1\nVertex 5 2 2 2\nFace 1 1 2 3\n";
    EXPECT_EQ(load("five.m"), "file five.m\nReading coordinates from five.m\n"
                              "first vertex: 0.000000 0.000000 0.000000 \nfirst face: 1 2 3 \n"
                              "second vertex: 1.000000 0.000000 0.000000 \n"
                              "third vertex: 0.000000 1.000000 0.000000 \n");
    EXPECT_EQ(load("none.m"), "file none.m\nReading coordinates from none.m\n"
                              "Could not open file none.m\n");
}

// The files the build generates with tools/make_assets.
TEST(DataFiles, PicturesAndCraftAreAsTheGameNeedsThem) {
    const struct { const char* name; uint32_t side; } pictures[] = {
        {"asteroid.bmp", 256}, {"fire.bmp", 128}, {"smoke.bmp", 128}};
    for (const auto& picture : pictures) {
        BitmapImage image;
        ASSERT_EQ(loadBitmap((SKORVANE_DATA_DIR "/" + std::string(picture.name)).c_str(), image), 1);
        EXPECT_TRUE(image.width == picture.side && image.height == picture.side) << picture.name;
    }
    const std::string out = load(SKORVANE_DATA_DIR "/cessna500.m");
    EXPECT_EQ(out.find("Skipped"), std::string::npos) << out;
    auto extreme = [](float MeshVertex::*axis, bool highest) {
        return *std::min_element(mesh.vertices.begin(), mesh.vertices.end(),
                                 [=](const MeshVertex& a, const MeshVertex& b) {
                                     return highest ? a.*axis > b.*axis : a.*axis < b.*axis;
                                 });
    };
    auto span = [&](float MeshVertex::*axis) { return extreme(axis, true).*axis - extreme(axis, false).*axis; };
    EXPECT_TRUE(span(&MeshVertex::x) > 30 && span(&MeshVertex::x) < 40) << "nose to tail along x";
    EXPECT_TRUE(span(&MeshVertex::z) > 30 && span(&MeshVertex::z) < 40) << "wingspan along z";
    EXPECT_LT(span(&MeshVertex::y), 15);
    const MeshVertex nose = extreme(&MeshVertex::x, false);
    EXPECT_LT(std::fabs(nose.y) + std::fabs(nose.z), 0.5f) << "the nose points to -x, on the axis";
    // Corners counter-clockwise seen from outside give the closed craft a positive volume.
    double volume = 0;
    for (const MeshFace& f : mesh.faces) {
        const MeshVertex &a = mesh.vertices[size_t(f.indices[0]) - 1],
                         &b = mesh.vertices[size_t(f.indices[1]) - 1],
                         &c = mesh.vertices[size_t(f.indices[2]) - 1];
        volume += double(a.x * (b.y * c.z - b.z * c.y) + a.y * (b.z * c.x - b.x * c.z) +
                         a.z * (b.x * c.y - b.y * c.x)) / 6;
    }
    EXPECT_GT(volume, 100);
}

}  // namespace
