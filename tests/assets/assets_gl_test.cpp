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
const std::string testdata = SKORVANE_TESTDATA;

class AssetsGl : public testing::Test {
protected:
    static void SetUpTestSuite() {
        openTestWindow();
        glutDisplayFunc([] {});
        pumpEvents();
    }
};

std::vector<unsigned char> textureImage(GLuint name, GLint& width, GLint& height) {
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void expectTextureHolds(GLuint name, const std::string& file) {
    BitmapImage image;
    ASSERT_EQ(loadBitmap(file.c_str(), image), 1);
    GLint width = 0, height = 0;
    std::vector<unsigned char> got = textureImage(name, width, height);
    ASSERT_EQ(width, GLint(image.width)) << file;
    ASSERT_EQ(height, GLint(image.height)) << file;
    EXPECT_TRUE(std::equal(got.begin(), got.end(), image.pixels.get())) << file;
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);
}

TEST_F(AssetsGl, StartupLoadsPutEachPictureUnderItsFixedName) {
    const std::string asteroid = dataDir + "/asteroid.bmp", fire = dataDir + "/fire.bmp",
                      smoke = dataDir + "/smoke.bmp";
    loadTexture(asteroid.c_str(), AsteroidTexture);
    loadTexture(fire.c_str(), FireTexture);
    loadTexture(smoke.c_str(), SmokeTexture);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, GLint(SmokeTexture));  // the last load stays bound
    expectTextureHolds(AsteroidTexture, asteroid);
    expectTextureHolds(FireTexture, fire);
    expectTextureHolds(SmokeTexture, smoke);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(AssetsGl, PaddedPictureUploadsUnshearedAndLeavesTheAlignmentAsFound) {
    const std::string padded = testdata + "/magick-bmp3-30x20.bmp";
    loadTexture(padded.c_str(), TextureName(9));
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
    expectTextureHolds(9, padded);
}

// One quad over the whole view with the centre's texture coordinate.
std::vector<unsigned char> drawQuadAndRead(float r, float g, float b) {
    glViewport(0, 0, 500, 500);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(r, g, b);
    glBegin(GL_QUADS);
    glTexCoord2f(0.5f, 0.5f);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    std::vector<unsigned char> pixel(4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(250, 250, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    return pixel;
}

TEST_F(AssetsGl, BlankTextureDrawsUntexturedWhileTexturingStaysOn) {
    const std::string fire = dataDir + "/fire.bmp";
    loadTexture(fire.c_str(), FireTexture);
    glBindTexture(GL_TEXTURE_2D, BlankTexture);
    std::vector<unsigned char> plain = drawQuadAndRead(0.2f, 0.4f, 0.6f);
    EXPECT_NEAR(plain[0], 51, 1);
    EXPECT_NEAR(plain[1], 102, 1);
    EXPECT_NEAR(plain[2], 153, 1);

    glBindTexture(GL_TEXTURE_2D, FireTexture);
    std::vector<unsigned char> textured = drawQuadAndRead(1, 1, 1);
    BitmapImage image;
    ASSERT_EQ(loadBitmap(fire.c_str(), image), 1);
    const unsigned char* texel = image.pixels.get() + (size_t(image.height / 2) * image.width + image.width / 2) * 3;
    EXPECT_NEAR(textured[0], texel[0], 1);
    EXPECT_NEAR(textured[1], texel[1], 1);
    EXPECT_NEAR(textured[2], texel[2], 1);
    glBindTexture(GL_TEXTURE_2D, BlankTexture);
}

TEST_F(AssetsGl, DrawMeshLeavesTheColourWhiteAndTheStackAsFound) {
    mesh = Mesh();
    mesh.vertices = {{-0.5f, -0.5f, 0, Vec3(0, 0, 1)}, {0.5f, -0.5f, 0, Vec3(0, 0, 1)},
                     {0, 0.5f, 0, Vec3(0, 0, 1)}};
    mesh.faces = {{{1, 2, 3}}};
    glViewport(0, 0, 500, 500);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, BlankTexture);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 0, 0);
    GLint depthBefore = 0, depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    drawMesh();
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    GLfloat colour[4] = {0, 0, 0, 0}, normal[3] = {0, 0, 0};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_FLOAT_EQ(normal[2], 0.01f);  // normals go out at a hundredth
    unsigned char pixel[4] = {0, 0, 0, 0};
    glReadPixels(250, 250, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);  // drawn white inside the triangle
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    mesh = Mesh();
    glColor3f(1, 0, 0);
    drawMesh();  // empty: draws nothing, touches nothing
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[1], 0.0f);
}

}  // namespace
