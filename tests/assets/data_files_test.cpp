// The game's own data files as the build made them: pictures of the right
// kind and look, and a craft that is closed, outward-facing and the right size.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "assets/bitmap.h"
#include "assets/mesh.h"
#include "assets/test_files.h"

namespace {

const std::string dataDir = SKORVANE_DATA_DIR;

// Mean colour of a square around (cx, cy), in fractions of the picture's side.
Vec3 averageAround(const BitmapImage& image, double cx, double cy, double half) {
    double sum[3] = {0, 0, 0};
    int n = 0;
    const uint32_t size = image.width;  // square pictures
    auto from = [&](double c) { return uint32_t(std::fmax(0, (c - half) * size)); };
    auto to = [&](double c) { return uint32_t(std::fmin(size, (c + half) * size)); };
    for (uint32_t y = from(cy); y < to(cy); ++y)
        for (uint32_t x = from(cx); x < to(cx); ++x, ++n)
            for (int c = 0; c < 3; ++c)
                sum[c] += image.pixels[(size_t(y) * size + x) * 3 + size_t(c)];
    return Vec3(float(sum[0] / n), float(sum[1] / n), float(sum[2] / n));
}

BitmapImage loadDataPicture(const char* name) {
    const std::string path = dataDir + "/" + name, bytes = readFileBytes(path);
    EXPECT_TRUE(bytes.size() >= 54u && bytes.substr(0, 2) == "BM" && bytes[14] == 40)
        << name << ": a 40-byte info header";
    BitmapImage image;
    EXPECT_EQ(loadBitmap(path.c_str(), image), 1) << name;
    EXPECT_TRUE(image.width == image.height && (image.width == 128 || image.width == 256)) << name;
    return image;
}

TEST(DataFiles, PicturesLookLikeRockFlameAndSmoke) {
    const Vec3 rock = averageAround(loadDataPicture("asteroid.bmp"), 0.5, 0.5, 0.5);
    EXPECT_TRUE(rock.x > rock.y && rock.y > rock.z && rock.x - rock.z > 8) << "grey-brown";
    EXPECT_TRUE(rock.x > 60 && rock.x < 200);
    const BitmapImage fire = loadDataPicture("fire.bmp");
    const Vec3 core = averageAround(fire, 0.5, 0.5, 0.05),
               edge = averageAround(fire, 0.03, 0.03, 0.03);
    EXPECT_TRUE(core.x > 230 && core.y > 150 && core.x > core.z);
    EXPECT_LT(edge.x + edge.y + edge.z, 30);
    const BitmapImage smoke = loadDataPicture("smoke.bmp");
    const Vec3 puff = averageAround(smoke, 0.5, 0.5, 0.05),
               rim = averageAround(smoke, 0.03, 0.03, 0.03);
    EXPECT_TRUE(puff.x > 150 && std::fabs(puff.x - puff.y) <= 3);
    EXPECT_LT(rim.x + rim.y + rim.z, 15);
}

TEST(DataFiles, CraftIsClosedOutwardFacingAndSizedForTheGame) {
    mesh = Mesh();
    testing::internal::CaptureStdout();
    loadMesh((dataDir + "/cessna500.m").c_str());
    std::fflush(stdout);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("Skipped"), std::string::npos) << out;
    EXPECT_NE(out.find("set color to: "), std::string::npos);
    ASSERT_TRUE(mesh.faces.size() >= 200u && mesh.faces.size() <= 1000u);
    Vec3 lo(1e9f, 1e9f, 1e9f), hi(-1e9f, -1e9f, -1e9f);
    for (const MeshVertex& v : mesh.vertices) {
        lo = {std::fmin(lo.x, v.x), std::fmin(lo.y, v.y), std::fmin(lo.z, v.z)};
        hi = {std::fmax(hi.x, v.x), std::fmax(hi.y, v.y), std::fmax(hi.z, v.z)};
    }
    EXPECT_TRUE(hi.x - lo.x >= 30 && hi.x - lo.x <= 40) << "length along x";
    EXPECT_TRUE(hi.z - lo.z >= 30 && hi.z - lo.z <= 40) << "wingspan along z";
    EXPECT_LT(hi.y - lo.y, 15);
    auto at = [](int index) {
        const MeshVertex& v = mesh.vertices[size_t(index) - 1];
        return Vec3(v.x, v.y, v.z);
    };
    auto minus = [](Vec3 a, Vec3 b) { return Vec3(a.x - b.x, a.y - b.y, a.z - b.z); };
    auto cross = [](Vec3 a, Vec3 b) {
        return Vec3(a.y * b.z - b.y * a.z, a.z * b.x - a.x * b.z, a.x * b.y - b.x * a.y);
    };
    double volume = 0;
    for (const MeshFace& f : mesh.faces) {
        const Vec3 a = at(f.indices[0]), b = at(f.indices[1]), c = at(f.indices[2]),
                   n = cross(minus(b, a), minus(c, b));
        EXPECT_GT(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1e-4f) << "degenerate face";
        const Vec3 bc = cross(b, c);
        volume += double(a.x * bc.x + a.y * bc.y + a.z * bc.z) / 6;
    }
    EXPECT_GT(volume, 100) << "corners counter-clockwise seen from outside give positive volume";
    for (const MeshVertex& v : mesh.vertices)  // the nose: furthest towards -x, on the axis
        EXPECT_TRUE(v.x != lo.x || std::fabs(v.y) + std::fabs(v.z) < 0.5f);
    mesh = Mesh();
}

}  // namespace
