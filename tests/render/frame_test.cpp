// Real frames of the game under a virtual X server: the GL state each frame
// leaves behind, and what the overlay and the scene put on screen.
#include <dlfcn.h>

#include <cmath>
#include <cstring>

#include <GL/glu.h>
#include <gtest/gtest.h>

#include "app/input.h"
#include "assets/texture.h"
#include "game/tick.h"
#include "game/weapons.h"
#include "render/frame.h"
#include "render/game_harness.h"
#include "render/hud.h"

// The game's calls of two GL entry points pass through here on their way to
// the real library, so that the arguments can be checked.
namespace {
int zeroAxisRotations = 0;
bool orthoBoundsFinite = true;
}  // namespace

extern "C" void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    using Fn = void (*)(GLfloat, GLfloat, GLfloat, GLfloat);
    static const Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "glRotatef"));
    if (x == 0.0f && y == 0.0f && z == 0.0f) ++zeroAxisRotations;
    real(angle, x, y, z);
}

extern "C" void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    using Fn = void (*)(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble);
    static const Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "glOrtho"));
    for (GLdouble v : {l, r, b, t, n, f}) orthoBoundsFinite = orthoBoundsFinite && std::isfinite(v);
    real(l, r, b, t, n, f);
}

namespace {

class Frames : public ::testing::Test {
protected:
    void SetUp() override {
        startGameInTest();
        if (world.windowWidth != 500 || world.windowHeight != 500) {
            glutReshapeWindow(500, 500);
            ASSERT_TRUE(
                runLoopUntil([] { return world.windowWidth == 500 && world.windowHeight == 500; }));
        }
        // Let the start-up chain end so that nothing moves behind the test's back.
        world.playState = Paused;
        runLoopFor(120);
        seedRandom(2024);
        newGame();
        world.playState = Playing;
        // Shots of earlier tests end, so that each test sees only its own.
        for (Rocket& r : world.rockets) r.alive = 0;
        for (Bullet& b : world.bullets) b.alive = 0;
        for (GLenum light : {GL_LIGHT1, GL_LIGHT2, GL_LIGHT3}) glDisable(light);
    }

    static Picture frame() {
        onDisplay();
        return screenshot();
    }
};

GLint integer(GLenum which) {
    GLint value = -1;
    glGetIntegerv(which, &value);
    return value;
}

std::vector<float> light(GLenum light, GLenum what, size_t count = 4) {
    std::vector<float> v(4, -1.0f);
    glGetLightfv(light, what, v.data());
    v.resize(count);
    return v;
}

// First and last column of the matching pixels on a row, or -1.
std::pair<int, int> runOnRow(const Picture& p, int row, bool (*match)(const unsigned char*)) {
    int first = -1, last = -1;
    for (int x = 0; x < p.width; ++x)
        if (match(p.at(x, row))) {
            if (first < 0) first = x;
            last = x;
        }
    return {first, last};
}

bool isRed(const unsigned char* c) { return c[0] > 200 && c[1] < 60 && c[2] < 60; }
bool isGreen(const unsigned char* c) { return c[0] < 60 && c[1] > 200 && c[2] < 60; }

struct Box {
    int left = 1 << 30, bottom = 1 << 30, right = -1, top = -1, count = 0;
};

Box changedPixels(const Picture& a, const Picture& b) {
    Box box;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            if (std::memcmp(a.at(x, y), b.at(x, y), 3) == 0) continue;
            box = {std::min(box.left, x), std::min(box.bottom, y), std::max(box.right, x),
                   std::max(box.top, y), box.count + 1};
        }
    return box;
}

}  // namespace

TEST_F(Frames, StartUpSetsTheLightTableAndTheFixedState) {
    const std::vector<float> black{0.0f, 0.0f, 0.0f, 1.0f}, orange{0.8f, 0.25f, 0.0f, 1.0f};
    EXPECT_EQ(light(GL_LIGHT0, GL_AMBIENT), (std::vector<float>{0.6f, 0.6f, 0.6f, 1.0f}));
    EXPECT_EQ(light(GL_LIGHT0, GL_DIFFUSE), (std::vector<float>{0.8f, 0.8f, 0.8f, 1.0f}));
    EXPECT_EQ(light(GL_LIGHT0, GL_SPECULAR), black);
    EXPECT_EQ(light(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 1), std::vector<float>{0.0f});
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    const float quadratic[3] = {0.01f, 0.01f, 0.02f};
    for (int i = 0; i < 3; ++i) {
        const GLenum rocketLight = static_cast<GLenum>(GL_LIGHT1 + i);
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(light(rocketLight, GL_AMBIENT), orange);
        EXPECT_EQ(light(rocketLight, GL_DIFFUSE), orange);
        EXPECT_EQ(light(rocketLight, GL_SPECULAR), (std::vector<float>{1.0f, 0.4f, 0.0f, 1.0f}));
        EXPECT_EQ(light(rocketLight, GL_QUADRATIC_ATTENUATION, 1),
                  std::vector<float>{quadratic[i]});
        EXPECT_EQ(light(rocketLight, GL_CONSTANT_ATTENUATION, 1), std::vector<float>{1.0f});
        EXPECT_EQ(light(rocketLight, GL_LINEAR_ATTENUATION, 1), std::vector<float>{0.0f});
        EXPECT_FALSE(glIsEnabled(rocketLight)) << "no rocket flies yet";
    }
    EXPECT_EQ(integer(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_TEXTURE_2D));
    GLfloat clear[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<float>(clear, clear + 4), black);
}

TEST_F(Frames, EveryStateLeavesStacksModeLightingAndBlankTextureAsExpected) {
    const GLint modelview = integer(GL_MODELVIEW_STACK_DEPTH),
                projection = integer(GL_PROJECTION_STACK_DEPTH);
    fireBullet();
    fireRocket();
    for (int32_t state : {Playing, Paused, GameOver, Playing, GameOver, Paused, Playing}) {
        SCOPED_TRACE(state);
        world.playState = state;
        for (int n = 0; n < 3; ++n) {
            onDisplay();
            EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), modelview);
            EXPECT_EQ(integer(GL_PROJECTION_STACK_DEPTH), projection);
            EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
            EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_DEPTH_TEST) &&
                        !glIsEnabled(GL_BLEND));
            if (state != GameOver) {
                EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), BlankTexture);
            }
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Frames, OverlayReturnsWithTheScenePerspectiveSelectedAndLightingOn) {
    for (int32_t state : {Playing, GameOver}) {
        world.playState = state;
        glDisable(GL_LIGHTING);
        if (state == Playing) drawHud(); else drawGameOver();
        EXPECT_EQ(integer(GL_MATRIX_MODE), GL_PROJECTION);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        GLfloat left[16], expected[16];
        glGetFloatv(GL_PROJECTION_MATRIX, left);
        glLoadIdentity();
        gluPerspective(60.0, 1.0, 0.5, 50.0);
        glGetFloatv(GL_PROJECTION_MATRIX, expected);
        for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(left[i], expected[i]) << i;
        glMatrixMode(GL_MODELVIEW);
    }
}

TEST_F(Frames, RocketLightShinesFromTheRocketWhileItFliesOnly) {
    onDisplay();
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1)) << "no rocket flies yet";
    fireRocket();
    onDisplay();
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1) && !glIsEnabled(GL_LIGHT2) && !glIsEnabled(GL_LIGHT3));
    // In eye space: 1 unit ahead of the eye, shown 0.3 lower like every shot.
    const std::vector<float> position = light(GL_LIGHT1, GL_POSITION);
    EXPECT_TRUE(std::fabs(position[0]) < 1e-4f && std::fabs(position[1] + 0.3f) < 1e-4f &&
                std::fabs(position[2] + 1.0f) < 1e-4f && position[3] == 1.0f);
    world.rockets[0].z = 0.0f;  // at the far plane: the next tick ends it
    updateWorld();
    EXPECT_EQ(world.rockets[0].alive, 0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    onDisplay();
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1)) << "a rocket that ended relights nothing";
}

TEST_F(Frames, BarsSpanLivesAndRocketsInOverlayUnits) {
    // 500 x 500: one overlay unit is 25 pixels, x = 0 at column 250.
    auto expectRun = [](std::pair<int, int> run, double halfWidth) {
        EXPECT_NEAR(run.first, 250 - halfWidth, 2.0);
        EXPECT_NEAR(run.second, 250 + halfWidth, 2.0);
    };
    const Picture start = frame();
    expectRun(runOnRow(start, 487, isRed), 62.5);
    expectRun(runOnRow(start, 475, isGreen), 37.5);
    fireRocket();
    const Picture flying = frame();
    expectRun(runOnRow(flying, 475, isGreen), 25.0);
    expectRun(runOnRow(flying, 487, isRed), 62.5);
}

TEST_F(Frames, CrosshairWhilePlayingOnlyPausedFramesRepeatAndABulletShowsBelowTheCentre) {
    const Picture playing = frame();
    world.playState = Paused;
    const Picture paused = frame();
    const Box crosshair = changedPixels(playing, paused);
    ASSERT_GT(crosshair.count, 0) << "the paused frame must lack the crosshair";
    // 0.3 units reach 7.5 pixels from the centre between columns 249 and 250.
    EXPECT_TRUE(crosshair.left >= 240 && crosshair.right <= 259 && crosshair.bottom >= 240 &&
                crosshair.top <= 259);
    for (int d : {-6, 5}) {
        EXPECT_TRUE(playing.isWhite(250 + d, 249) || playing.isWhite(250 + d, 250)) << d;
        EXPECT_TRUE(playing.isWhite(249, 250 + d) || playing.isWhite(250, 250 + d)) << d;
    }
    for (int y = 248; y <= 251; ++y)
        for (int x = 248; x <= 251; ++x)
            EXPECT_EQ(std::memcmp(playing.at(x, y), paused.at(x, y), 3), 0) << x << "," << y;
    fireBullet();
    const Picture shot = frame();
    EXPECT_TRUE(shot.rgb == frame().rgb) << "nothing moves while paused";
    const Box bullet = changedPixels(paused, shot);
    ASSERT_GT(bullet.count, 5);
    // From 1 to 1.5 units before the eye, 0.3 below the axis: rows 120 to 163.
    EXPECT_TRUE(bullet.left >= 246 && bullet.right <= 253 && bullet.bottom >= 110 &&
                bullet.top <= 170)
        << bullet.left << " " << bullet.right << " " << bullet.bottom << " " << bullet.top;
}

TEST_F(Frames, GameOverShowsItsTextOnBlackWithoutTheScene) {
    world.playState = GameOver;
    const Picture over = frame();
    int textPixels = 0;
    for (int y = 0; y < 465; ++y)
        for (int x = 0; x < over.width; ++x) {
            if (x >= 195 && x <= 340 && y >= 244 && y <= 272)
                textPixels += over.isWhite(x, y) ? 1 : 0;
            else ASSERT_TRUE(over.isBlack(x, y)) << "scene at " << x << "," << y;
        }
    EXPECT_GT(textPixels, 100) << "nine letters of white text left of the middle";
}

TEST_F(Frames, WideWindowKeepsTheScoreAtItsOverlayPlace) {
    glutReshapeWindow(1000, 500);
    ASSERT_TRUE(runLoopUntil([] { return world.windowWidth == 1000; }));
    const Picture wide = frame();
    ASSERT_EQ(wide.width, 1000);
    // -20 .. 20 across: x = -9.5 lies at column 262.5.
    int leftmostText = -1;
    for (int x = 0; x < 500 && leftmostText < 0; ++x)
        for (int y = 468; y < 495 && leftmostText < 0; ++y)
            if (wide.isWhite(x, y)) leftmostText = x;
    EXPECT_NEAR(leftmostText, 263, 4);
    const auto lives = runOnRow(wide, 487, isRed);
    EXPECT_NEAR(lives.first, 500 - 62.5, 2.0);
    EXPECT_NEAR(lives.second, 500 + 62.5, 2.0);
    glutReshapeWindow(500, 500);
    ASSERT_TRUE(runLoopUntil([] { return world.windowWidth == 500; }));
}

TEST_F(Frames, ZeroHeightWindowKeepsEveryProjectionFinite) {
    auto expectFiniteProjection = [] {
        GLfloat m[16];
        glGetFloatv(GL_PROJECTION_MATRIX, m);
        for (float v : m) EXPECT_TRUE(std::isfinite(v));
    };
    for (int width : {500, 0}) {
        SCOPED_TRACE(width);
        orthoBoundsFinite = true;
        onReshape(width, 0);
        expectFiniteProjection();
        for (int32_t state : {Playing, GameOver}) {
            world.playState = state;
            onDisplay();
        }
        EXPECT_TRUE(orthoBoundsFinite);
        expectFiniteProjection();
    }
    onReshape(500, 500);
}

TEST_F(Frames, TrailSquareWithoutSidewaysDriftStaysUpright) {
    // Only the particle in view, and a white smoke picture so that all its square shows.
    for (Star& s : world.stars) s.z = -1000.0f;
    for (Asteroid& a : world.asteroids) a = Asteroid{};
    for (Rocket& r : world.rockets) r = Rocket{};
    for (ImpactFlash& f : world.impactFlashes) f.active = 0;
    unsigned char white[2 * 2 * 4];
    std::memset(white, 255, sizeof white);
    glBindTexture(GL_TEXTURE_2D, SmokeTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glBindTexture(GL_TEXTURE_2D, BlankTexture);
    const Picture before = frame();
    Particle& p = world.rockets[0].trail[0];
    p.y = 1.8f;  // shown 0.3 lower: 1.5 above the axis
    p.z = 45.0f;
    p.vx = 0.0f;
    p.angle = 45.0f;
    p.size = 0.5f;
    p.life = 1.0f;
    zeroAxisRotations = 0;
    const Picture after = frame();
    EXPECT_EQ(zeroAxisRotations, 0);
    // Half-width 0.5 at 5 units: 43.3 pixels; turned by 45 degrees it would reach 61.
    const Box square = changedPixels(before, after);
    const int centreY = 250 + 130;
    EXPECT_TRUE(std::abs(square.left - 207) <= 2 && std::abs(square.right - 293) <= 2 &&
                std::abs(square.bottom - (centreY - 43)) <= 2 &&
                std::abs(square.top - (centreY + 43)) <= 2)
        << square.left << " " << square.right << " " << square.bottom << " " << square.top;
    EXPECT_TRUE(after.isWhite(250 + 40, centreY + 40)) << "the corner is covered";
    loadTexture("smoke.bmp", SmokeTexture);
}
