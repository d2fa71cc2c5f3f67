// The mesh reader: a real file from another tool, the format's edge cases,
// bad and degenerate input, the summary, and the exact output of a file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "assets/mesh.h"
#include "assets/test_files.h"

namespace {

const std::string testdata = SKORVANE_TESTDATA;

class MeshReader : public testing::Test {
protected:
    void SetUp() override { mesh = Mesh(); }
    void TearDown() override { mesh = Mesh(); }

    // Loads text through the real file path and returns the standard output.
    std::string loadText(const std::string& text, const std::string& name = "m.m") {
        path_ = dir_.write(name, text);
        testing::internal::CaptureStdout();
        loadMesh(path_.c_str());
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
    // Only what parseMeshText printed: the loader's own lines removed.
    std::string parseText(const std::string& text) {
        std::string copy = text;
        testing::internal::CaptureStdout();
        parseMeshText(copy.data(), copy.size(), "t.m");
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
    const std::string& path() const { return path_; }

private:
    ScratchDir dir_;
    std::string path_;
};

void expectNormal(Vec3 n, float x, float y, float z, float tolerance = 1e-6f) {
    EXPECT_NEAR(n.x, x, tolerance);
    EXPECT_NEAR(n.y, y, tolerance);
    EXPECT_NEAR(n.z, z, tolerance);
}

bool finite(Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

const char* const triangleXY = "Vertex 1 0 0 0\nVertex 2 1 0 0\nVertex 3 0 1 0\n";

TEST_F(MeshReader, RealFileFromAnotherToolGivesUnitNormalsEverywhere) {
    testing::internal::CaptureStdout();
    loadMesh((testdata + "/cap.m").c_str());
    std::fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(mesh.faces.size(), 325u);
    EXPECT_EQ(mesh.vertices.size(), 186u);
    for (const MeshVertex& v : mesh.vertices) {
        float length = std::sqrt(v.normal.x * v.normal.x + v.normal.y * v.normal.y + v.normal.z * v.normal.z);
        EXPECT_NEAR(length, 1.0f, 1e-5f);
    }
    EXPECT_EQ(out.find("Skipped"), std::string::npos);
    EXPECT_NE(out.find("first vertex: -0.004186 0.931910 4.223680 \n"), std::string::npos) << out;
    EXPECT_NE(out.find("third face: "), std::string::npos);
}

TEST_F(MeshReader, VerticesAreNumberedByPositionNotByTheirOwnNumbers) {
    parseText("Vertex 10 1 2 3\n  Vertex 11 4 5 6\n\t\tVertex 12 7 8 9e0\nFace 1 1 2 3\n");
    ASSERT_EQ(mesh.vertices.size(), 3u);
    EXPECT_EQ(mesh.vertices[2].z, 9.0f);
    ASSERT_EQ(mesh.faces.size(), 1u);
    EXPECT_EQ(mesh.faces[0].indices[0], 1);
    EXPECT_EQ(mesh.faces[0].indices[2], 3);
}

TEST_F(MeshReader, KeywordsAreCaseSensitiveAndNeedTheirBlank) {
    std::string out = parseText(
        "vertex 1 1 2 3\nVERTEX 1 1 2 3\nVertex\t1 1 2 3\nVertex1 1 2 3\n"
        "face 1 1 2 3\nFace\t1 1 2 3\n# Vertex 1 1 2 3\nhello\n");
    EXPECT_EQ(out, "");
    EXPECT_TRUE(mesh.vertices.empty());
    EXPECT_TRUE(mesh.faces.empty());
}

TEST_F(MeshReader, NormalsOfOneAndOfTwoFaces) {
    parseText(std::string(triangleXY) + "Face 1 1 2 3\n");
    for (const MeshVertex& v : mesh.vertices) expectNormal(v.normal, 0, 0, 1, 0);
    mesh = Mesh();
    // Shared vertex 1: first a face with normal (1, 0, 0), then one with (0, 1, 0).
    parseText("Vertex 1 0 0 0\nVertex 2 0 1 0\nVertex 3 0 0 1\nVertex 4 1 0 0\n"
              "Face 1 1 2 3\nFace 2 1 3 4\n");
    expectNormal(mesh.vertices[1].normal, 1, 0, 0, 0);      // used once: exactly its face's
    expectNormal(mesh.vertices[3].normal, 0, 1, 0, 0);
    expectNormal(mesh.vertices[0].normal, 0.7071068f, 0.7071068f, 0);
    expectNormal(mesh.vertices[2].normal, 0.7071068f, 0.7071068f, 0);
}

TEST_F(MeshReader, SmoothingRenormalisesAfterEveryFaceSoLaterFacesWeighMore) {
    // Vertex 1 meets faces with normals x, y, then z: running half-way turns give
    // normalized(normalized(x + y) + z), not the average (1, 1, 1) / sqrt(3).
    parseText("Vertex 1 0 0 0\nVertex 2 0 1 0\nVertex 3 0 0 1\nVertex 4 1 0 0\n"
              "Face 1 1 2 3\nFace 2 1 3 4\nFace 3 1 4 2\n");
    float h = 0.70710677f, k = 1 / std::sqrt(h * h + h * h + 1);
    expectNormal(mesh.vertices[0].normal, k * h, k * h, k);
}

TEST_F(MeshReader, FaceLineNumbersAndAttributeBlocks) {
    std::string out = parseText(std::string(triangleXY) + "Vertex 4 0 0 1\n" +
                                "Face 7 1 2 3 4\n"
                                "Face 8 1 2 3{rgb=(1 0.5 0) matid=2}\n"
                                "Face 9 1 2 3 {rgb=(1 0.5 0) matid=2}\n"
                                "Face 10 1 2 3 4 {matid=2}\n"
                                "Face 11 1 2 3 {rgbx}\n"
                                "Face 12 1 2 3 {rgb=(0.25 1e-3 -2.5)\n"
                                "Face 13 1 2 3 {rgb=(1.5 \n");
    EXPECT_EQ(out,
              "trying to parse color 1\nset color to: 1 0.5 0\n"
              "trying to parse color 1\nset color to: 1 0.5 0\n"
              "trying to parse color 0\n"
              "trying to parse color 1\n"
              "trying to parse color 1\nset color to: 0.25 0.001 -2.5\n"
              "trying to parse color 1\nset color to: 1.5 0 0\n");
    ASSERT_EQ(mesh.faces.size(), 7u);
    for (const MeshFace& f : mesh.faces) {
        EXPECT_EQ(f.indices[0], 1);
        EXPECT_EQ(f.indices[1], 2);
        EXPECT_EQ(f.indices[2], 3);
    }
}

TEST_F(MeshReader, LongLinesAreCutAt255AndTheirRestDropped) {
    std::string head = "Face 1 1 2 3";
    std::string cut = head + std::string(255 - head.size(), ' ') + "{rgb=(1 0.5 0) matid=2}" +
                      std::string(22, 'x');  // 300 characters: the block lies beyond the cut
    ASSERT_EQ(cut.size(), 300u);
    std::string out = parseText(std::string(triangleXY) + cut + "\nVertex 4 7 8 9\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(mesh.faces.size(), 1u);
    ASSERT_EQ(mesh.vertices.size(), 4u);
    EXPECT_EQ(mesh.vertices[3].x, 7.0f);

    // Beyond 255 + 9999 characters the remainder comes back as a line of its own.
    mesh = Mesh();
    std::string longLine = "# " + std::string(253 + 9999, 'x') + "Vertex 5 1 2 3";
    out = parseText(longLine + "\nVertex 6 4 5 6\n" + "# " + std::string(253 + 9998, 'y') + "\nVertex 7 1 1 1");
    ASSERT_EQ(mesh.vertices.size(), 3u);
    EXPECT_EQ(mesh.vertices[0].x, 1.0f);
    EXPECT_EQ(mesh.vertices[1].x, 4.0f);
    EXPECT_EQ(mesh.vertices[2].z, 1.0f);  // last line without a line break
}

TEST_F(MeshReader, BadFaceLinesAreSkippedWithTheirLineNumberAndReason) {
    std::string out = parseText(std::string(triangleXY) +
                                "Face 1 0 2 3\n"        // line 4
                                "\n"
                                "Face 2 1 2 4\n"        // line 6
                                "Face 3 1 2\n"          // line 7
                                "Face 4 1 2 {rgb=(1 1 1)}\n"
                                "Face 5 1 -2 3\n"
                                "Face 6 1 2 3 x\n"
                                "Face 7 1 2 99999999999999999999999999\n"
                                "Face 8 1 2 3\n");
    EXPECT_EQ(out,
              "Skipped line 4 of t.m: face names vertex 0, but vertices count from 1\n"
              "Skipped line 6 of t.m: face names vertex 4, but vertices beyond those read so far are unknown\n"
              "Skipped line 7 of t.m: a face line needs three vertex numbers, found 2\n"
              "Skipped line 8 of t.m: a face line needs three vertex numbers, found 2\n"
              "Skipped line 9 of t.m: unexpected character '-' in a face line\n"
              "Skipped line 10 of t.m: unexpected character 'x' in a face line\n"
              "Skipped line 11 of t.m: face names vertex 1000000000000000, but vertices beyond those read so far are unknown\n");
    ASSERT_EQ(mesh.faces.size(), 1u);
    EXPECT_EQ(mesh.faces[0].indices[2], 3);
}

TEST_F(MeshReader, VertexLinesWithoutFourNumbersAreSkipped) {
    std::string out = parseText("Vertex 1 1 2\nVertex x 1 2 3\nVertex 1 1 2 z\nVertex 1 1 2 3 extra\n");
    EXPECT_EQ(out,
              "Skipped line 1 of t.m: a vertex line needs its own number and three coordinates\n"
              "Skipped line 2 of t.m: a vertex line needs its own number and three coordinates\n"
              "Skipped line 3 of t.m: a vertex line needs its own number and three coordinates\n");
    ASSERT_EQ(mesh.vertices.size(), 1u);
    EXPECT_EQ(mesh.vertices[0].z, 3.0f);
}

TEST_F(MeshReader, DegenerateFacesAreKeptAndLeaveNormalsFinite) {
    parseText("Vertex 1 0 0 0\nVertex 2 1 0 0\nVertex 3 2 0 0\nVertex 4 0 1 0\nVertex 5 1 1e-30 0\n"
              "Face 1 1 2 3\n"   // on one line
              "Face 2 1 1 1\n"   // one point
              "Face 3 1 2 4\n"   // normal (0, 0, 1)
              "Face 4 1 4 2\n"   // the same corners turned over: normal (0, 0, -1)
              "Face 5 1 2 5\n"); // tiny but not flat
    ASSERT_EQ(mesh.faces.size(), 5u);
    for (const MeshVertex& v : mesh.vertices) EXPECT_TRUE(finite(v.normal));
    expectNormal(mesh.vertices[2].normal, 0, 0, 0, 0);  // only a flat face used it
    expectNormal(mesh.vertices[3].normal, 0, 0, 1, 0);  // opposite normal cannot be added
    expectNormal(mesh.vertices[4].normal, 0, 0, 1, 0);
}

TEST_F(MeshReader, SummaryPrintsOnlyWhatExists) {
    std::string four = loadText("Vertex 1 1 2 3\nVertex 2 1 2 3\nVertex 3 1 2 3\nVertex 4 1 2 3\n");
    EXPECT_EQ(four, "file " + path() + "\nReading coordinates from " + path() + "\n");
    mesh = Mesh();
    std::string five = loadText(std::string(triangleXY) + "Vertex 4 0 0 1\nVertex 5 2 2 2\n"
                                "Face 1 1 2 3\nFace 2 1 2 4\n");
    EXPECT_EQ(five, "file " + path() + "\nReading coordinates from " + path() + "\n"
                    "first vertex: 0.000000 0.000000 0.000000 \n"
                    "first face: 1 2 3 \n"
                    "second vertex: 1.000000 0.000000 0.000000 \n"
                    "second face: 1 2 4 \n"
                    "third vertex: 0.000000 1.000000 0.000000 \n");
}

TEST_F(MeshReader, MissingFileLeavesTheMeshEmpty) {
    std::string missing = "/nonexistent/craft.m";
    testing::internal::CaptureStdout();
    loadMesh(missing.c_str());
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "file " + missing + "\nReading coordinates from " + missing + "\nCould not open file " +
                  missing + "\n");
    EXPECT_TRUE(mesh.vertices.empty());
    EXPECT_TRUE(mesh.faces.empty());
}

TEST_F(MeshReader, SmallFileOutputByteForByte) {
    std::string out = loadText(
        "# a small craft\r\n"
        "Vertex 1  0 0 0\n"
        "Vertex 2  1 0 0\r\n"
        "Vertex 3  0 1 0\n"
        "Vertex 4  0 0 1\n"
        "Vertex 5  -1.5 2.25e1 +3\n"
        "Face 1  1 2 3 {rgb=(0.1 0.2 0.3) matid=1}\n"
        "Face 2  1 3 4{rgb=(1 1 1) matid=0}\r\n"
        "Face 3  1 2 5 {matid=3}\n"
        "Face 4  1 2 6\n",
        "small.m");
    std::string p = path();
    EXPECT_EQ(out, "file " + p + "\n" +
                       "Reading coordinates from " + p + "\n" +
                       "trying to parse color 1\n"
                       "set color to: 0.1 0.2 0.3\n"
                       "trying to parse color 1\n"
                       "set color to: 1 1 1\n"
                       "trying to parse color 0\n"
                       "Skipped line 10 of " + p + ": face names vertex 6, but vertices beyond those read so far are unknown\n"
                       "first vertex: 0.000000 0.000000 0.000000 \n"
                       "first face: 1 2 3 \n"
                       "second vertex: 1.000000 0.000000 0.000000 \n"
                       "second face: 1 3 4 \n"
                       "third vertex: 0.000000 1.000000 0.000000 \n"
                       "third face: 1 2 5 \n");
    EXPECT_EQ(mesh.vertices[4].y, 22.5f);
    EXPECT_EQ(mesh.vertices[4].z, 3.0f);
}

TEST(MeshVectors, CrossAndNormalizedFollowTheirFormulas) {
    Vec3 c = cross(Vec3(1, 2, 3), Vec3(4, 5, 6));
    EXPECT_EQ(c.x, -3.0f);
    EXPECT_EQ(c.y, 6.0f);
    EXPECT_EQ(c.z, -3.0f);
    Vec3 n = normalized(Vec3(3, 0, 4));
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
    Vec3 u = unitNormal(Vec3(0, 0, 0) - Vec3(1, 0, 0), Vec3(1, 0, 0) - Vec3(0, 1, 0));
    expectNormal(u, 0, 0, 1, 0);
}

}  // namespace
