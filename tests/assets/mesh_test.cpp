// The mesh reader: a real file from another tool, the format's edge cases,
// bad and degenerate input, the summary, and the exact output of a file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "assets/mesh.h"
#include "assets/test_files.h"

namespace {

class MeshReader : public testing::Test {
protected:
    void SetUp() override { mesh = Mesh(); }
    void TearDown() override { mesh = Mesh(); }

    // Loads a file (written from text when given) and returns the standard output.
    std::string load(const std::string& text, const std::string& file = "") {
        path = file.empty() ? dir_.write("m.m", text) : file;
        mesh = Mesh();
        testing::internal::CaptureStdout();
        loadMesh(path.c_str());
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
    // Only what the line reader printed: the loader's own lines left out.
    std::string parse(std::string text) {
        mesh = Mesh();
        testing::internal::CaptureStdout();
        std::FILE* file = fmemopen(text.data(), text.size(), "r");
        readMeshStream(file, "t.m");
        std::fclose(file);
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
    std::string head() const {
        return "file " + path + "\nReading coordinates from " + path + "\n";
    }

private:
    ScratchDir dir_;

protected:
    std::string path = dir_.file("m.m");
};

void expectNormal(Vec3 n, float x, float y, float z, float tolerance = 1e-6f) {
    EXPECT_TRUE(std::fabs(n.x - x) <= tolerance && std::fabs(n.y - y) <= tolerance &&
                std::fabs(n.z - z) <= tolerance)
        << n.x << " " << n.y << " " << n.z;
}

const std::string triangleXY = "Vertex 1 0 0 0\nVertex 2 1 0 0\nVertex 3 0 1 0\n";
const std::string skipped = "Skipped line ";

TEST_F(MeshReader, RealFileFromAnotherToolGivesUnitNormalsEverywhere) {
    const std::string out = load("", std::string(SKORVANE_TESTDATA) + "/cap.m");
    EXPECT_TRUE(mesh.faces.size() == 325u && mesh.vertices.size() == 186u);
    for (const MeshVertex& v : mesh.vertices)
        EXPECT_NEAR(
            std::sqrt(v.normal.x * v.normal.x + v.normal.y * v.normal.y + v.normal.z * v.normal.z),
            1.0f, 1e-5f);
    EXPECT_EQ(out.find("Skipped"), std::string::npos);
    EXPECT_NE(out.find("first vertex: -0.004186 0.931910 4.223680 \n"), std::string::npos) << out;
    EXPECT_NE(out.find("third face: "), std::string::npos);
}

TEST_F(MeshReader, VerticesCountByPositionAndKeywordsAreExact) {
    EXPECT_EQ(parse("Vertex 10 1 2 3\n  Vertex 11 4 5 6\n\t\tVertex 12 7 8 9e0\nFace 1 1 2 3\n"
                    "vertex 1 1 2 3\nVERTEX 1 1 2 3\nVertex\t1 1 2 3\nVertex1 1 2 3\n"
                    "face 1 1 2 3\nFace\t1 1 2 3\n# Vertex 1 1 2 3\nhello\n"), "");
    ASSERT_EQ(mesh.vertices.size(), 3u);
    EXPECT_EQ(mesh.vertices[2].z, 9.0f);
    ASSERT_EQ(mesh.faces.size(), 1u);
    EXPECT_TRUE(mesh.faces[0].indices[0] == 1 && mesh.faces[0].indices[2] == 3);
}

TEST_F(MeshReader, NormalsAreSmoothedFaceByFace) {
    parse(triangleXY + "Face 1 1 2 3\n");
    for (const MeshVertex& v : mesh.vertices)
        expectNormal(v.normal, 0, 0, 1, 0);  // counter-clockwise
    // Vertex 1 meets faces with normals x, y, then z; vertex 3 only x and y.
    const std::string corner =
        "Vertex 1 0 0 0\nVertex 2 0 1 0\nVertex 3 0 0 1\nVertex 4 1 0 0\n"
        "Face 1 1 2 3\nFace 2 1 3 4\n";
    parse(corner);
    expectNormal(mesh.vertices[1].normal, 1, 0, 0, 0);  // used once: exactly its face's
    expectNormal(mesh.vertices[3].normal, 0, 1, 0, 0);
    expectNormal(mesh.vertices[0].normal, 0.7071068f, 0.7071068f, 0);
    expectNormal(mesh.vertices[2].normal, 0.7071068f, 0.7071068f, 0);
    // Renormalised after every face, so later faces weigh more than an average would.
    parse(corner + "Face 3 1 4 2\n");
    const float h = 0.70710677f, k = 1 / std::sqrt(h * h + h * h + 1);
    expectNormal(mesh.vertices[0].normal, k * h, k * h, k);
}

TEST_F(MeshReader, FaceLineNumbersAndAttributeBlocks) {
    const std::string out = parse(triangleXY + "Vertex 4 0 0 1\nFace 7 1 2 3 4\n"
                                  "Face 8 1 2 3{rgb=(1 0.5 0) matid=2}\n"
                                  "Face 9 1 2 3 {rgb=(1 0.5 0) matid=2}\n"
                                  "Face 10 1 2 3 4 {matid=2}\nFace 11 1 2 3 {rgbx}\n"
                                  "Face 12 1 2 3 {rgb=(0.25 1e-3 -2.5)\n"
                                  "Face 13 1 2 3 {rgb=(1.5 \n");
    const std::string colour = "trying to parse color 1\nset color to: ";
    EXPECT_EQ(out, colour + "1 0.5 0\n" + colour + "1 0.5 0\ntrying to parse color 0\n"
                   "trying to parse color 1\n" + colour + "0.25 0.001 -2.5\n" + colour +
                   "1.5 0 0\n");
    ASSERT_EQ(mesh.faces.size(), 7u);
    for (const MeshFace& f : mesh.faces)
        EXPECT_TRUE(f.indices[0] == 1 && f.indices[1] == 2 && f.indices[2] == 3);
}

TEST_F(MeshReader, LongLinesAreCutAt255AndTheirRestDropped) {
    const std::string face = "Face 1 1 2 3";  // 300 characters with the block beyond the cut
    const std::string cut = face + std::string(255 - face.size(), ' ') + "{rgb=(1 0.5 0) matid=2}" +
                            std::string(22, 'x');
    EXPECT_EQ(parse(triangleXY + cut + "\nVertex 4 7 8 9\n"), "");
    EXPECT_EQ(mesh.faces.size(), 1u);
    ASSERT_EQ(mesh.vertices.size(), 4u);
    EXPECT_EQ(mesh.vertices[3].x, 7.0f);
    // Beyond 255 + 9999 characters the remainder comes back as a line of its own.
    parse("# " + std::string(253 + 9999, 'x') + "Vertex 5 1 2 3\nVertex 6 4 5 6\n# " +
          std::string(253 + 9998, 'y') + "\nVertex 7 1 1 1");
    ASSERT_EQ(mesh.vertices.size(), 3u);
    EXPECT_TRUE(mesh.vertices[0].x == 1.0f && mesh.vertices[1].x == 4.0f);
    EXPECT_EQ(mesh.vertices[2].z, 1.0f);  // last line without a line break
}

TEST_F(MeshReader, BadLinesAreSkippedWithTheirLineNumberAndReason) {
    const std::string out = parse(triangleXY + "Face 1 0 2 3\n\nFace 2 1 2 4\nFace 3 1 2\n"
                                  "Face 4 1 2 {rgb=(1 1 1)}\nFace 5 1 -2 3\nFace 6 1 2 3 x\n"
                                  "Face 7 1 2 99999999999999999999999999\nFace 8 1 2 3\n");
    const std::string few = ": a face line needs three vertex numbers, found 2\n";
    const std::string unknown = ", but vertices beyond those read so far are unknown\n";
    const std::string odd = " in a face line\n";
    EXPECT_EQ(out, skipped + "4 of t.m: face names vertex 0, but vertices count from 1\n" +
                   skipped + "6 of t.m: face names vertex 4" + unknown +
                   skipped + "7 of t.m" + few + skipped + "8 of t.m" + few +
                   skipped + "9 of t.m: unexpected character '-'" + odd +
                   skipped + "10 of t.m: unexpected character 'x'" + odd +
                   skipped + "11 of t.m: face names vertex 1000000000000000" + unknown);
    ASSERT_EQ(mesh.faces.size(), 1u);
    EXPECT_EQ(mesh.faces[0].indices[2], 3);
    const std::string vertex =
        " of t.m: a vertex line needs its own number and three coordinates\n";
    EXPECT_EQ(parse("Vertex 1 1 2\nVertex x 1 2 3\nVertex 1 1 2 z\nVertex 1 1 2 3 extra\n"),
              skipped + "1" + vertex + skipped + "2" + vertex + skipped + "3" + vertex);
    ASSERT_EQ(mesh.vertices.size(), 1u);
    EXPECT_EQ(mesh.vertices[0].z, 3.0f);
}

TEST_F(MeshReader, DegenerateFacesAreKeptAndLeaveNormalsFinite) {
    parse("Vertex 1 0 0 0\nVertex 2 1 0 0\nVertex 3 2 0 0\nVertex 4 0 1 0\nVertex 5 1 1e-30 0\n"
          "Face 1 1 2 3\nFace 2 1 1 1\n"  // on one line; one point
          "Face 3 1 2 4\nFace 4 1 4 2\n"  // normal (0, 0, 1), then the same corners turned over
          "Face 5 1 2 5\n");             // tiny but not flat
    ASSERT_EQ(mesh.faces.size(), 5u);
    for (const MeshVertex& v : mesh.vertices)
        EXPECT_TRUE(std::isfinite(v.normal.x) && std::isfinite(v.normal.y) &&
                    std::isfinite(v.normal.z));
    expectNormal(mesh.vertices[2].normal, 0, 0, 0, 0);  // only a flat face used it
    expectNormal(mesh.vertices[3].normal, 0, 0, 1, 0);  // the opposite normal cannot be added
    expectNormal(mesh.vertices[4].normal, 0, 0, 1, 0);
}

TEST_F(MeshReader, OutputByteForByteWithTheSummaryOfWhatExists) {
    EXPECT_EQ(load("Vertex 1 1 2 3\nVertex 2 1 2 3\nVertex 3 1 2 3\nVertex 4 1 2 3\n"), head());
    EXPECT_EQ(load(triangleXY + "Vertex 4 0 0 1\nVertex 5 2 2 2\nFace 1 1 2 3\nFace 2 1 2 4\n"),
              head() + "first vertex: 0.000000 0.000000 0.000000 \nfirst face: 1 2 3 \n"
                       "second vertex: 1.000000 0.000000 0.000000 \nsecond face: 1 2 4 \n"
                       "third vertex: 0.000000 1.000000 0.000000 \n");
    const std::string out = load("# a small craft\r\n"
                                 "Vertex 1  0 0 0\nVertex 2  1 0 0\r\nVertex 3  0 1 0\n"
                                 "Vertex 4  0 0 1\nVertex 5  -1.5 2.25e1 +3\n"
                                 "Face 1  1 2 3 {rgb=(0.1 0.2 0.3) matid=1}\n"
                                 "Face 2  1 3 4{rgb=(1 1 1) matid=0}\r\n"
                                 "Face 3  1 2 5 {matid=3}\nFace 4  1 2 6\n");
    EXPECT_EQ(out, head() + "trying to parse color 1\nset color to: 0.1 0.2 0.3\n"
                            "trying to parse color 1\nset color to: 1 1 1\n"
                            "trying to parse color 0\n" +
                   skipped + "10 of " + path + ": face names vertex 6, but vertices beyond those"
                   " read so far are unknown\n"
                   "first vertex: 0.000000 0.000000 0.000000 \nfirst face: 1 2 3 \n"
                   "second vertex: 1.000000 0.000000 0.000000 \nsecond face: 1 3 4 \n"
                   "third vertex: 0.000000 1.000000 0.000000 \nthird face: 1 2 5 \n");
    EXPECT_TRUE(mesh.vertices[4].y == 22.5f && mesh.vertices[4].z == 3.0f);
    const std::string missing = "/nonexistent/craft.m";
    EXPECT_EQ(load("", missing), "file " + missing + "\nReading coordinates from " + missing +
                                     "\nCould not open file " + missing + "\n");
    EXPECT_TRUE(mesh.vertices.empty() && mesh.faces.empty());
}

}  // namespace
