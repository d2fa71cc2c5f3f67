// The real game in this process, on the test's own virtual X server: the GL
// state start-up sets, what frames leave and show, and the input callbacks.
#include <dlfcn.h>

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/input.h"
#include "app/startup.h"
#include "assets/bitmap.h"
#include "game/platform.h"
#include "game/random.h"
#include "game/tick.h"
#include "game/weapons.h"
#include "game/world.h"
#include "render/frame.h"

// The game's calls pass through here to the real library: a rotation about a
// zero axis is undefined, and some drivers draw garbage for it.
int zeroAxisTurns = 0;
extern "C" void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    using Rotate = void (*)(GLfloat, GLfloat, GLfloat, GLfloat);
    static const auto real = reinterpret_cast<Rotate>(dlsym(RTLD_NEXT, "glRotatef"));
    zeroAxisTurns += x == 0 && y == 0 && z == 0;
    real(angle, x, y, z);
}

extern std::size_t newCalls;  // support/count_new.cpp

namespace {

int ticks = 0;  // updates run, counted through the redisplay the tick asks for
void countTick() {
    ++ticks;
    glutPostRedisplay();
}

// Runs GLUT's loop (frames, timers, input) for a while of real time.
void runFor(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) glutMainLoopEvent();
}

class Game : public testing::Test {
protected:
    static void SetUpTestSuite() {  // what main does, but the endless loop
        int argc = 1;
        char name[] = "game_gl_tests";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        createGameWindow();
        registerCallbacks();
        initGame();
        armTick(world.playState);
        platformHooks.requestRedisplay = countTick;
        while (world.windowWidth != 500) glutMainLoopEvent();
    }

    // Paused, the last chain run out, and an empty sky: no star, asteroid or shot.
    void SetUp() override {
        world.playState = Paused;
        runFor(300);  // a chain left running makes its last update meanwhile
        seedRandom(1);
        newGame();
        world.playState = Paused, ticks = 0;
        for (Star& s : world.stars) s.z = -1000;
        for (Asteroid& a : world.asteroids) a.alive = 0, a.fireballRadius = 0;
        for (Bullet& b : world.bullets) b.alive = 0;
        for (Rocket& r : world.rockets) r = Rocket{};
        for (GLenum light : {GL_LIGHT1, GL_LIGHT2, GL_LIGHT3}) glDisable(light);
    }

    // The first and last column of a row bright in the one channel given (0 red,
    // 1 green) alone.
    static std::pair<int, int> run(const std::vector<unsigned char>& rgb, int row, int channel) {
        std::pair<int, int> ends{-1, -1};
        for (int x = 0; x < 500; ++x) {
            const unsigned char* p = &rgb[size_t(row * 500 + x) * 3];
            if ((p[0] > 200) == (channel == 0) && (p[1] > 200) == (channel == 1) && p[2] < 200)
                ends = {ends.first < 0 ? x : ends.first, x};
        }
        return ends;
    }
};

// Ambient, diffuse and specular colours and one more value of a light or a material.
template <typename Get>
std::vector<float> colours(Get get, GLenum of, GLenum last) {
    std::vector<float> v(13);
    get(of, GL_AMBIENT, &v[0]);
    get(of, GL_DIFFUSE, &v[4]);
    get(of, GL_SPECULAR, &v[8]);
    get(of, last, &v[12]);
    return v;
}

TEST_F(Game, StartUpSetsTheLightsMaterialsAndTextureNames) {
    using V = std::vector<float>;
    const V white{0.6f, 0.6f, 0.6f, 1, 0.8f, 0.8f, 0.8f, 1, 0, 0, 0, 1, 0};
    const V orange{0.8f, 0.25f, 0, 1, 0.8f, 0.25f, 0, 1, 1, 0.4f, 0, 1, 0.01f};
    const V fasterFading{0.8f, 0.25f, 0, 1, 0.8f, 0.25f, 0, 1, 1, 0.4f, 0, 1, 0.02f};
    EXPECT_EQ(colours(glGetLightfv, GL_LIGHT0, GL_QUADRATIC_ATTENUATION), white);
    EXPECT_EQ(colours(glGetLightfv, GL_LIGHT1, GL_QUADRATIC_ATTENUATION), orange);
    EXPECT_EQ(colours(glGetLightfv, GL_LIGHT2, GL_QUADRATIC_ATTENUATION), orange);
    EXPECT_EQ(colours(glGetLightfv, GL_LIGHT3, GL_QUADRATIC_ATTENUATION), fasterFading);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0) && glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_TEXTURE_2D));
    setMaterial(craftMaterial);
    EXPECT_EQ(colours(glGetMaterialfv, GL_FRONT, GL_SHININESS),
              (V{0.3f, 0.3f, 0.35f, 1, 0.7f, 0.7f, 0.9f, 1, 0.9f, 0.9f, 1, 1, 100}));
    setMaterial(asteroidMaterial);
    EXPECT_EQ(colours(glGetMaterialfv, GL_FRONT, GL_SHININESS),
              (V{0.2f, 0.2f, 0.2f, 1, 1, 1, 1, 1, 1, 1, 1, 1, 100}));
    // The names are fixed numbers; each holds its picture exactly, and 5 none.
    auto size = [](GLuint name) {
        GLint width = -1, height = -1;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        return std::pair{width, height};
    };
    const char* const pictures[] = {"asteroid.bmp", "fire.bmp", "smoke.bmp"};
    for (GLuint name = 0; name < 3; ++name) {
        BitmapImage picture;
        ASSERT_EQ(loadBitmap(pictures[name], picture), 1);
        ASSERT_EQ(size(name), std::pair(GLint(picture.width), GLint(picture.height))) << name;
        std::vector<unsigned char> texels(3 * picture.width * picture.height);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        EXPECT_EQ(std::memcmp(texels.data(), picture.pixels.get(), texels.size()), 0) << name;
    }
    EXPECT_EQ(size(5), std::pair(0, 0));
}

TEST_F(Game, FramesLeaveBothMatrixStacksAndLightRocketsWhileTheyFly) {
    fireBullet();
    fireRocket();
    world.rockets[0].trail[0] = Particle{0, 0, 40, 0, 0, 0, 0.01f, 0.5f, 0.1f, 30, 1, 0};  // vx 0
    world.asteroids[0].alive = 1;
    world.asteroids[0].debris[0].life = world.asteroids[0].debris[0].size = 0.5f;
    zeroAxisTurns = 0;
    for (int32_t state : {Playing, Paused, GameOver, Playing}) {
        world.playState = state;
        onDisplay();
        GLint depths[2] = {};
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depths[0]);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depths[1]);
        EXPECT_TRUE(depths[0] == 1 && depths[1] == 1) << state;
    }
    EXPECT_EQ(zeroAxisTurns, 0) << "a trail particle with vx 0 stays upright";
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1) && !glIsEnabled(GL_LIGHT2)) << "the rocket's light";
    world.rockets[0].z = 0;  // at the far plane: the next tick ends it
    updateWorld();
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    onReshape(500, 0);  // minimised
    onDisplay();
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (float f : projection) EXPECT_TRUE(std::isfinite(f));
    EXPECT_GT(projection[0], 0) << "a perspective that still shows something";
    onReshape(500, 500);
}

TEST_F(Game, TheOverlayShowsLivesRocketsAndTheCrosshairWhilePlaying) {
    // 25 pixels an overlay unit; lives at row 487, rockets at 475, crosshair above 250.
    world.lives = 2.5f;
    fireRocket();
    for (int32_t state : {Playing, Paused}) {
        world.playState = state;
        onDisplay();  // the software renderer swaps by copying: the back buffer holds the frame
        std::vector<unsigned char> rgb(500 * 500 * 3);
        glReadPixels(0, 0, 500, 500, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        const auto [livesFrom, livesTo] = run(rgb, 487, 0);  // 2.5 units centred on 250
        const auto [rocketsFrom, rocketsTo] = run(rgb, 475, 1);
        EXPECT_TRUE(std::abs(livesFrom - 219) < 2 && std::abs(livesTo - 281) < 2) << livesFrom;
        EXPECT_TRUE(std::abs(rocketsFrom - 225) < 2 && std::abs(rocketsTo - 275) < 2) << rocketsTo;
        const unsigned char* armUp = &rgb[(255 * 500 + 250) * 3];
        EXPECT_EQ(armUp[0] > 200 && armUp[1] > 200 && armUp[2] > 200, state == Playing);
        EXPECT_LT(rgb[(250 * 500 + 250) * 3], 200) << "an open centre";
    }
}

TEST_F(Game, EveryKeyActsInEitherCaseAndNoCallbackAllocates) {
    const std::string help =
        "\nSkorvane\n Left Click:  Shoot single bullet\n Right Click:  Shoot single rocket\n"
        " Space Bar:  Shoot single bullet\n 'r':  Shoot single rocket\n 'p':  Play/Pause Toggle\n"
        " 's':  Hyperspeed Toggle\n 'q':  Quit Game\n 'h':  Help\n\n";
    for (unsigned char key : {'h', 'H'}) {
        testing::internal::CaptureStdout();
        onKeyboard(key, 0, 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), help) << key;
    }
    const size_t allocations = newCalls;
    for (unsigned char key : {' ', 'r', 'R'}) onKeyboard(key, 0, 0);
    EXPECT_TRUE(world.bullets[0].alive && world.rockets[0].alive && world.rockets[1].alive);
    onKeyboard('s', 0, 0);
    EXPECT_TRUE(world.hyperspeed == 1 && world.starSpeed == 0.6f);
    onKeyboard('S', 0, 0);
    EXPECT_TRUE(world.hyperspeed == 0 && world.starSpeed == 0.4f);
    onKeyboard('P', 0, 0);
    EXPECT_EQ(world.playState, Playing);
    onKeyboard('p', 0, 0);
    EXPECT_EQ(world.playState, Paused);
    static World before;
    before = world;
    for (unsigned char key : {'x', '1', '\x1b', 'A'}) onKeyboard(key, 0, 0);
    onMouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 0, 0);
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
    EXPECT_EQ(std::memcmp(&before, &world, sizeof world), 0) << "other keys and buttons do nothing";
    onPassiveMotion(10, 0);
    onReshape(500, 500);
    EXPECT_TRUE(world.mouseX == 10 && world.mouseY == 499);
    EXPECT_EQ(newCalls, allocations);
}

TEST_F(Game, AClickOnTheGameOverScreenFiresThenStartsANewGameAndItsTicks) {
    world.playState = GameOver;
    world.lives = 0;
    world.aimX = 3;
    onMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
    EXPECT_TRUE(world.rockets[0].alive == 1 && world.playState == GameOver);
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    EXPECT_TRUE(world.bullets[0].alive == 1 && world.bullets[0].x == 3) << "from the old aim";
    EXPECT_TRUE(world.playState == Playing && world.lives == 5 && world.aimX == 0);
    runFor(1500);
    EXPECT_GT(ticks, 0);
}

// Wall-clock margins are wide: a busy machine gives fewer ticks, never more.
TEST_F(Game, PauseAndResumeWithinOneTickKeepOneChain) {
    for (int i = 0; i < 3; ++i) onKeyboard('p', 0, 0);  // resumed, paused, resumed in one tick
    runFor(1000);
    EXPECT_TRUE(ticks > 0 && ticks <= 30) << ticks << " ticks in a second: one chain gives 24";
    onKeyboard('p', 0, 0);
    ticks = 0;
    runFor(300);
    EXPECT_LE(ticks, 1) << "one more update, the one already pending";
}

}  // namespace
