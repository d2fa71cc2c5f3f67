// The assets' GL side in a real window on a virtual X server: the pictures
// under their fixed texture names, untextured drawing with BlankTexture,
// padded pictures uploaded unsheared, and what drawMesh leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/bitmap.h"
#include "assets/mesh_draw.h"
#include "assets/texture.h"
#include "support/gl_window.h"

namespace {

const std::string dataDir = SKORVANE_DATA_DIR;

class AssetsGl : public testing::Test {
protected:
    static void SetUpTestSuite() {
        openTestWindow();
        glutDisplayFunc([] {});
        pumpEvents();
    }
    // A plain view: identity matrices, no lighting, cleared to black.
    void SetUp() override {
        glViewport(0, 0, 500, 500);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
};

BitmapImage picture(const std::string& file) {
    BitmapImage image;
    EXPECT_EQ(loadBitmap(file.c_str(), image), 1) << file;
    return image;
}

void expectTextureHolds(GLuint name, const std::string& file) {
    const BitmapImage image = picture(file);
    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0, height = 0, minFilter = 0, magFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    ASSERT_TRUE(width == GLint(image.width) && height == GLint(image.height)) << file;
    std::vector<unsigned char> got(size_t(width) * size_t(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, got.data());
    EXPECT_TRUE(std::equal(got.begin(), got.end(), image.pixels.get())) << file;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_TRUE(minFilter == GL_NEAREST && magFilter == GL_NEAREST) << file;
}

// The centre pixel of the back buffer, red, green and blue.
std::vector<int> centrePixel() {
    unsigned char pixel[4] = {0, 0, 0, 0};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(250, 250, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return {pixel[0], pixel[1], pixel[2]};
}

TEST_F(AssetsGl, StartupLoadsPutEachPictureUnderItsFixedNameAndPaddedOnesUnsheared) {
    const std::string names[] = {dataDir + "/asteroid.bmp", dataDir + "/fire.bmp",
                                 dataDir + "/smoke.bmp"};
    loadTexture(names[0].c_str(), AsteroidTexture);
    loadTexture(names[1].c_str(), FireTexture);
    loadTexture(names[2].c_str(), SmokeTexture);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, GLint(SmokeTexture));  // the last load stays bound
    expectTextureHolds(AsteroidTexture, names[0]);
    expectTextureHolds(FireTexture, names[1]);
    expectTextureHolds(SmokeTexture, names[2]);
    const std::string padded = std::string(SKORVANE_TESTDATA) + "/magick-bmp3-30x20.bmp";
    loadTexture(padded.c_str(), TextureName(9));
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "left as found";
    expectTextureHolds(9, padded);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(AssetsGl, BlankTextureDrawsUntexturedWhileTexturingStaysOn) {
    const std::string fire = dataDir + "/fire.bmp";
    loadTexture(fire.c_str(), FireTexture);
    glEnable(GL_TEXTURE_2D);
    auto quad = [](float r, float g,
                   float b) {  // over the whole view, the centre's texture coordinate
        glColor3f(r, g, b);
        glBegin(GL_QUADS);
        glTexCoord2f(0.5f, 0.5f);
        glVertex2f(-1, -1);
        glVertex2f(1, -1);
        glVertex2f(1, 1);
        glVertex2f(-1, 1);
        glEnd();
        return centrePixel();
    };
    glBindTexture(GL_TEXTURE_2D, BlankTexture);
    const std::vector<int> plain = quad(0.2f, 0.4f, 0.6f);
    EXPECT_TRUE(std::abs(plain[0] - 51) <= 1 && std::abs(plain[1] - 102) <= 1 &&
                std::abs(plain[2] - 153) <= 1);
    glBindTexture(GL_TEXTURE_2D, FireTexture);
    const std::vector<int> textured = quad(1, 1, 1);
    const BitmapImage image = picture(fire);
    const unsigned char* texel =
        image.pixels.get() + (size_t(image.height / 2) * image.width + image.width / 2) * 3;
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(textured[size_t(c)], texel[c], 1) << c;
    glBindTexture(GL_TEXTURE_2D, BlankTexture);
}

TEST_F(AssetsGl, DrawMeshLeavesTheColourWhiteAndTheStackAsFound) {
    mesh = Mesh();
    mesh.vertices = {{-0.5f, -0.5f, 0, Vec3(0, 0, 1)},
                     {0.5f, -0.5f, 0, Vec3(0, 0, 1)},
                     {0, 0.5f, 0, Vec3(0, 0, 1)}};
    mesh.faces = {{{1, 2, 3}}};
    glBindTexture(GL_TEXTURE_2D, BlankTexture);
    glColor3f(1, 0, 0);
    GLint depthBefore = 0, depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    drawMesh();
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    GLfloat colour[4] = {0, 0, 0, 0}, normal[3] = {0, 0, 0};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(colour[0] == 1.0f && colour[1] == 1.0f && colour[2] == 1.0f);
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_FLOAT_EQ(normal[2], 0.01f);  // normals go out at a hundredth
    EXPECT_EQ(centrePixel(), (std::vector<int>{255, 255, 255}))
        << "drawn white inside the triangle";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    mesh = Mesh();
    glColor3f(1, 0, 0);
    drawMesh();  // empty: draws nothing, touches nothing
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[1], 0.0f);
}

}  // namespace
