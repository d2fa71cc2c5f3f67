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

struct Average {
    double r = 0, g = 0, b = 0;
};

// Mean colour of a square around (cx, cy), in pixel fractions of the picture.
Average averageAround(const BitmapImage& image, double cx, double cy, double half) {
    Average sum;
    int n = 0;
    auto lo = [&](double c, uint32_t size) { return uint32_t(std::fmax(0, (c - half) * size)); };
    auto hi = [&](double c, uint32_t size) { return uint32_t(std::fmin(size, (c + half) * size)); };
    for (uint32_t y = lo(cy, image.height); y < hi(cy, image.height); ++y)
        for (uint32_t x = lo(cx, image.width); x < hi(cx, image.width); ++x, ++n) {
            const unsigned char* p = image.pixels.get() + (size_t(y) * image.width + x) * 3;
            sum.r += p[0];
            sum.g += p[1];
            sum.b += p[2];
        }
    sum.r /= n;
    sum.g /= n;
    sum.b /= n;
    return sum;
}

BitmapImage loadDataPicture(const char* name) {
    std::string path = dataDir + "/" + name;
    std::string bytes = readFileBytes(path);
    EXPECT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM") << name;
    EXPECT_EQ(bytes[14], 40) << name << ": 40-byte info header";
    BitmapImage image;
    EXPECT_EQ(loadBitmap(path.c_str(), image), 1) << name;
    EXPECT_EQ(image.width, image.height) << name;
    EXPECT_TRUE(image.width == 128 || image.width == 256) << name;
    return image;
}

TEST(DataFiles, PicturesLookLikeRockFlameAndSmoke) {
    BitmapImage rock = loadDataPicture("asteroid.bmp");
    Average all = averageAround(rock, 0.5, 0.5, 0.5);
    EXPECT_GT(all.r, all.g);  // grey-brown: a little more red than green than blue
    EXPECT_GT(all.g, all.b);
    EXPECT_GT(all.r - all.b, 8);
    EXPECT_GT(all.r, 60);
    EXPECT_LT(all.r, 200);

    BitmapImage fire = loadDataPicture("fire.bmp");
    Average core = averageAround(fire, 0.5, 0.5, 0.05);
    Average edge = averageAround(fire, 0.03, 0.03, 0.03);
    EXPECT_GT(core.r, 230);
    EXPECT_GT(core.g, 150);
    EXPECT_GT(core.r, core.b);
    EXPECT_LT(edge.r + edge.g + edge.b, 30);

    BitmapImage smoke = loadDataPicture("smoke.bmp");
    Average puff = averageAround(smoke, 0.5, 0.5, 0.05);
    Average rim = averageAround(smoke, 0.03, 0.03, 0.03);
    EXPECT_GT(puff.r, 150);
    EXPECT_NEAR(puff.r, puff.g, 3);
    EXPECT_LT(rim.r + rim.g + rim.b, 15);
}

Vec3 at(int index) {
    const MeshVertex& v = mesh.vertices[size_t(index) - 1];
    return {v.x, v.y, v.z};
}

TEST(DataFiles, CraftIsClosedOutwardFacingAndSizedForTheGame) {
    mesh = Mesh();
    testing::internal::CaptureStdout();
    loadMesh((dataDir + "/cessna500.m").c_str());
    std::fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("Skipped"), std::string::npos) << out;
    EXPECT_NE(out.find("set color to: "), std::string::npos);
    ASSERT_GE(mesh.faces.size(), 200u);
    ASSERT_LE(mesh.faces.size(), 1000u);

    Vec3 lo(1e9f, 1e9f, 1e9f), hi(-1e9f, -1e9f, -1e9f);
    for (const MeshVertex& v : mesh.vertices) {
        lo = {std::fmin(lo.x, v.x), std::fmin(lo.y, v.y), std::fmin(lo.z, v.z)};
        hi = {std::fmax(hi.x, v.x), std::fmax(hi.y, v.y), std::fmax(hi.z, v.z)};
    }
    EXPECT_GE(hi.x - lo.x, 30);  // length along x
    EXPECT_LE(hi.x - lo.x, 40);
    EXPECT_GE(hi.z - lo.z, 30);  // wingspan along z
    EXPECT_LE(hi.z - lo.z, 40);
    EXPECT_LT(hi.y - lo.y, 15);  // flatter than wide
    double volume = 0;
    for (const MeshFace& f : mesh.faces) {
        Vec3 a = at(f.indices[0]), b = at(f.indices[1]), c = at(f.indices[2]);
        Vec3 n = cross(b - a, c - b);
        EXPECT_GT(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1e-4f) << "degenerate face";
        Vec3 bc = cross(b, c);
        volume += double(a.x * bc.x + a.y * bc.y + a.z * bc.z) / 6;
    }
    EXPECT_GT(volume, 100) << "corners counter-clockwise seen from outside give positive volume";
    // The nose is the point furthest towards -x, on the axis.
    for (const MeshVertex& v : mesh.vertices) {
        EXPECT_TRUE(v.x != lo.x || std::fabs(v.y) + std::fabs(v.z) < 0.5f);
    }
    mesh = Mesh();
}

}  // namespace
