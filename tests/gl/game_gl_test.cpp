// The real game in this process, started as main starts it, on the test's own
// virtual X server: what start-up sets and arms, what frames show, the input
// callbacks, and what the game plays as OpenAL Soft's wave writer records it.
#include <AL/alc.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <GL/freeglut.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/input.h"
#include "app/pad.h"
#include "app/startup.h"
#include "game/platform_hooks.h"
#include "game/random.h"
#include "game/tick.h"
#include "game/weapons.h"
#include "game/world.h"
#include "render/frame.h"
#include "tests/support/scripted_world.h"

// The game's calls pass through these recorders to the real libraries.
template <typename Function>
Function real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// A rotation about a zero axis is undefined, and some drivers draw garbage for it.
int zeroAxisTurns = 0;
extern "C" void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    static const auto rotate = real<void (*)(GLfloat, GLfloat, GLfloat, GLfloat)>("glRotatef");
    zeroAxisTurns += x == 0 && y == 0 && z == 0;
    rotate(angle, x, y, z);
}

using ArmedTick = std::pair<unsigned, int>;  // milliseconds, the state it carries
ArmedTick lastArmed;
int pendingTicks = 0;  // armed and not yet fired, whatever state they carry
void fireTick(int value) {
    --pendingTicks;
    onTimer(value);
}
// The ticks only: the pads' slow chain while no tick runs passes through.
extern "C" void glutTimerFunc(unsigned milliseconds, void (*callback)(int), int value) {
    static const auto arm = real<void (*)(unsigned, void (*)(int), int)>("glutTimerFunc");
    if (callback != onTimer) return arm(milliseconds, callback, value);
    lastArmed = {milliseconds, value};
    ++pendingTicks;
    arm(milliseconds, fireTick, value);
}

// The first frame is shown before sound is set up, which it needs none of.
int swaps = 0, swapsBeforeSound = -1;
extern "C" void glutSwapBuffers() {
    static const auto swap = real<void (*)()>("glutSwapBuffers");
    ++swaps;
    swap();
}
extern "C" ALCdevice* alcOpenDevice(const ALCchar* name) {
    static const auto open = real<ALCdevice* (*)(const ALCchar*)>("alcOpenDevice");
    if (swapsBeforeSound < 0) swapsBeforeSound = swaps;
    return open(name);
}

extern std::size_t newCalls;  // support/count_new.cpp

namespace {

int ticks = 0;  // updates run, counted through the redisplay the tick asks for
void countTick() {
    ++ticks;
    glutPostRedisplay();
}

// Runs GLUT's loop (frames, timers, input) until done() holds or ten seconds pass.
template <typename Done>
bool runUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < end) glutMainLoopEvent();
    return done();
}

// The game's sound so far, recorded in real time into SKORVANE_GL_SOUND:
// stereo 32-bit float at 44.1 kHz after a header of 68 bytes.
double recorded() {
    struct stat file {};
    return stat(std::getenv("SKORVANE_GL_SOUND"), &file) == 0 ? double(file.st_size - 68) / 352800
                                                              : 0;
}
std::vector<double> leftChannel(double from, double seconds) {
    EXPECT_TRUE(runUntil([&] { return recorded() >= from + seconds; })) << from + seconds;
    std::vector<float> frames(size_t(seconds * 44100) * 2);
    std::ifstream(std::getenv("SKORVANE_GL_SOUND"), std::ios::binary)
        .seekg(68 + std::streamoff(from * 44100) * 8)
        .read(reinterpret_cast<char*>(frames.data()), std::streamsize(frames.size() * 4));
    std::vector<double> left;
    for (size_t i = 0; i < frames.size(); i += 2) left.push_back(double(frames[i]));
    return left;
}
double rms(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x * x;
    return std::sqrt(sum / double(v.size()));
}
// How fast a sound moves against how loud it is: higher and busier music is brighter.
double brightness(const std::vector<double>& v) {
    double moved = 0, level = 0;
    for (size_t i = 1; i < v.size(); ++i)
        moved += std::fabs(v[i] - v[i - 1]), level += std::fabs(v[i]);
    return moved / level;
}

// One drawn frame, read back; x from the left and y from the top, as in a screenshot.
struct Frame {
    std::vector<unsigned char> rgb = std::vector<unsigned char>(500 * 500 * 3);
    const unsigned char* at(int x, int y) const { return &rgb[size_t((499 - y) * 500 + x) * 3]; }
    bool lit(int x, int y) const { return *std::max_element(at(x, y), at(x, y) + 3) > 40; }
    int litIn(int x0, int y0, int x1, int y1) const {  // the box's ends included
        int count = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) count += lit(x, y);
        return count;
    }
};

const Frame& drawFrame() {
    static Frame frame;
    onDisplay();  // the software renderer swaps by copying: the back buffer holds the frame
    glReadPixels(0, 0, 500, 500, GL_RGB, GL_UNSIGNED_BYTE, frame.rgb.data());
    return frame;
}

// A live asteroid that holds still while it is drawn.
Asteroid& place(int slot, float x, float y, float z, float radius) {
    Asteroid& a = world.asteroids[slot];
    a.x = x, a.y = y, a.z = z, a.radius = radius, a.alive = 1, a.angle = 0;
    return a;
}

class Game : public testing::Test {
protected:
    static void SetUpTestSuite() {
        int argc = 1;
        char name[] = "game_gl_tests";
        char* argv[] = {name, nullptr};
        startGame(argc, argv);
        platformHooks.requestRedisplay = countTick;
        runUntil([] { return world.windowWidth == 500; });
    }

    // Paused, the last chain run out, and an empty sky: no star, asteroid or shot.
    void SetUp() override {
        world.playState = Paused;
        ASSERT_TRUE(runUntil([] { return pendingTicks == 0; }));
        seedRandom(1);
        newGame();
        world.playState = Paused, ticks = 0;
        clearSky();
    }

    // Playing in an empty sky that stays empty: no asteroid comes back.
    static void playQuietly() {
        for (Asteroid& a : world.asteroids) a.z = -1000, a.fireballRadius = 1e6f;
        onKeyboard('p', 0, 0);
    }
};

// Every colour, place, texture and tessellation of the scene at once, like the
// core's replay hash: the scripted World the browser's test draws too, with
// every kind of thing in view, steered off the centre, and the overlay over it
// (score, level, the lives and rockets bars; paused, so no crosshair).
TEST_F(Game, AScriptedSceneLooksAsItAlwaysHas) {
    ASSERT_TRUE(showScriptedWorld(20275176u));  // a fire-ball, debris and flashes in view
    drawFrame();  // the rocket lights stand where the previous frame put them
    const Frame& frame = drawFrame();
    if (const char* path = std::getenv("SKORVANE_SCENE_FRAME"))  // for the browser's test
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(frame.rgb.data()), frame.rgb.size());
    uint64_t hash = 14695981039346656037u;  // FNV-1a
    for (unsigned char byte : frame.rgb) hash = (hash ^ byte) * 1099511628211u;
    EXPECT_EQ(hash, 0xf903732aff874bc0u)
        << std::hex << hash << ": see the frame with convert -size 500x500 "
        << "-depth 8 -flip rgb:$SKORVANE_SCENE_FRAME scene.png";
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

TEST_F(Game, TheGameOverScreenShowsItsTextAndNothingOfTheScene) {
    newGame();  // stars in view, and an asteroid below the text
    place(0, 0, -4, 40, 1);
    fireRocket();
    world.playState = GameOver;
    const Frame& frame = drawFrame();
    EXPECT_GT(frame.litIn(195, 230, 320, 255), 100) << "GAME OVER, left of the centre";
    EXPECT_EQ(frame.litIn(0, 41, 499, 229) + frame.litIn(0, 256, 499, 499), 0);
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
    EXPECT_TRUE(runUntil([] { return ticks > 0; }));
}

TEST_F(Game, PauseAndResumeWithinOneTickKeepOneChainOf41Milliseconds) {
    for (int i = 0; i < 3; ++i) onKeyboard('p', 0, 0);  // resumed, paused, resumed in one tick
    EXPECT_EQ(pendingTicks, 1);
    EXPECT_TRUE(runUntil([] { return ticks >= 3; }));
    EXPECT_EQ(pendingTicks, 1);
    EXPECT_EQ(lastArmed, ArmedTick(41, Playing));
    onKeyboard('p', 0, 0);
    ticks = 0;
    EXPECT_TRUE(runUntil([] { return pendingTicks == 0; }));
    EXPECT_EQ(ticks, 1) << "one more update, the one already pending";
}

Uint16 rumbled = 0;  // the last rumble's strength
constexpr int leftTrigger = SDL_CONTROLLER_BUTTON_MAX + SDL_CONTROLLER_AXIS_TRIGGERLEFT;
constexpr int rightTrigger = SDL_CONTROLLER_BUTTON_MAX + SDL_CONTROLLER_AXIS_TRIGGERRIGHT;

// A pad as SDL's virtual game controller, plugged in for the test's length: its
// buttons and axes in SDL's own order, a trigger past them. The game reads it at pollPads.
class Pad {
public:
    Pad() {
        SDL_VirtualJoystickDesc pad{};
        pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION,
        pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        pad.naxes = SDL_CONTROLLER_AXIS_MAX, pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        pad.Rumble = [](void*, Uint16 low, Uint16) { return rumbled = low, 0; };
        joystick = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&pad));
        hold(leftTrigger, false).hold(rightTrigger, false);
        pollPads();  // the game opens it
    }
    ~Pad() { unplug(); }
    void stick(float x, float y) {
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, Sint16(x * 32767));
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, Sint16(y * 32767));
    }
    Pad& hold(int button, bool down = true) {
        const int axis = button - SDL_CONTROLLER_BUTTON_MAX;
        if (axis < 0)
            SDL_JoystickSetVirtualButton(joystick, button, down);
        else
            SDL_JoystickSetVirtualAxis(joystick, axis, down ? 32767 : -32768);
        return *this;
    }
    void unplug() {  // its device index moves down as others go
        for (int i = 0; joystick != nullptr && i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == SDL_JoystickInstanceID(joystick))
                SDL_JoystickClose(joystick), SDL_JoystickDetachVirtual(i), joystick = nullptr;
    }

private:
    SDL_Joystick* joystick = nullptr;
};

// A new game's pointer rests in a corner until it moves: here, at the centre.
void newGameAtCentre() {
    seedRandom(1), newGame(), clearSky();
    world.mouseX = world.prevMouseX = world.mouseY = world.prevMouseY = 250;
}

void tickWithPad(int count = 1) {
    for (int i = 0; i < count; ++i) pollPads(), updateWorld();
}

// Beyond the dead zone the aim turns at the one rate the pointer resting at
// that edge gives, and the stick's travel banks or pitches the craft as the
// pointer's move across the window would; within it, nothing.
TEST_F(Game, TheStickSteersAsThePointerDoesBeyondItsDeadZone) {
    const struct {
        float x, y;
        float aimX, aimY, roll, pitch;  // after four ticks held
    } cases[] = {
        {1, 0, 1, 0, -50, 0},         {-1, 0, -1, 0, 50, 0},      {0, -1, 0, 1, 0, 12.5f},
        {0, 1, 0, -1, 0, -50.0f / 3}, {0.1f, -0.12f, 0, 0, 0, 0}, {0.2f, 0, 1, 0, -3, 0},
    };
    for (const auto& c : cases) {
        newGameAtCentre();
        Pad pad;
        pad.stick(c.x, c.y);
        tickWithPad(4);
        EXPECT_TRUE(world.aimX == c.aimX && world.aimY == c.aimY &&
                    std::abs(world.craftRoll - c.roll) < 0.5f &&
                    std::abs(world.craftPitch - c.pitch) < 0.5f)
            << c.x << " " << c.y << ": " << world.aimX << " " << world.aimY << " "
            << world.craftRoll << " " << world.craftPitch;
        pad.stick(0, 0);
        tickWithPad();  // back to rest, as the pointer's move back to the centre
        const float aimX = world.aimX, aimY = world.aimY;
        tickWithPad(3);
        EXPECT_TRUE(world.aimX == aimX && world.aimY == aimY) << "at rest it steers nowhere";
    }
}

// Held over two reads, each acts once: bullets, rockets, hyperspeed, the
// state and the help text after it; X does nothing.
TEST_F(Game, EachButtonActsOncePerPress) {
    const std::vector<std::pair<int, std::vector<int>>> cases = {
        {SDL_CONTROLLER_BUTTON_A, {1, 0, 0, Paused, 0}},
        {rightTrigger, {1, 0, 0, Paused, 0}},
        {SDL_CONTROLLER_BUTTON_B, {0, 1, 0, Paused, 0}},
        {leftTrigger, {0, 1, 0, Paused, 0}},
        {SDL_CONTROLLER_BUTTON_Y, {0, 0, 1, Paused, 0}},
        {SDL_CONTROLLER_BUTTON_START, {0, 0, 0, Playing, 0}},
        {SDL_CONTROLLER_BUTTON_BACK, {0, 0, 0, Paused, 1}},
        {SDL_CONTROLLER_BUTTON_X, {0, 0, 0, Paused, 0}},
    };
    Pad pad;
    for (const auto& [button, acted] : cases) {
        newGameAtCentre();
        world.playState = Paused;
        testing::internal::CaptureStdout();
        pad.hold(button);
        tickWithPad(2);
        pad.hold(button, false);
        pollPads();
        const bool help = testing::internal::GetCapturedStdout().rfind("\nSkorvane\n Left", 0) == 0;
        EXPECT_EQ(std::vector<int>({world.bullets[0].alive + world.bullets[1].alive,
                                    world.rockets[0].alive + world.rockets[1].alive,
                                    world.hyperspeed, world.playState, help}),
                  acted)
            << button;
    }
}

// Through the game's own loop: at "GAME OVER", with no tick running, A starts a new game.
TEST_F(Game, APadStartsTheNextGameOnTheGameOverScreen) {
    world.playState = GameOver, world.lives = 0;
    Pad pad;
    pad.hold(SDL_CONTROLLER_BUTTON_A);
    EXPECT_TRUE(runUntil([] { return world.playState == Playing && world.lives == 5; }));
}

// Two pads plugged in mid-game: either plays, and only the loss of the one in
// use pauses; then any key resumes, and does nothing else.
TEST_F(Game, UnpluggingThePadInUsePausesTheGame) {
    world.playState = Playing;
    startTickChain();
    Pad idle, used;
    used.hold(SDL_CONTROLLER_BUTTON_A);
    ASSERT_TRUE(runUntil([] { return world.bullets[0].alive == 1; }));
    idle.unplug();
    EXPECT_TRUE(runUntil([] { return ticks > 3; }) && world.playState == Playing);
    used.unplug();
    EXPECT_TRUE(runUntil([] { return world.playState == Paused; }));
    onKeyboard('r', 0, 0);
    EXPECT_TRUE(world.playState == Playing && world.rockets[0].alive == 0);
}

// Whichever moved last steers: the pointer takes over from a held stick
// (its jump from the stick's place banks nothing), the stick's next move takes it back.
TEST_F(Game, ThePointerTakesOverFromTheStickAndBack) {
    newGameAtCentre();
    Pad pad;
    pad.stick(1, 0);
    tickWithPad();
    onPassiveMotion(250, 250);
    tickWithPad(3);
    EXPECT_TRUE(world.aimX == 0.25f && world.craftRoll == -35)
        << world.aimX << " " << world.craftRoll;
    pad.stick(-1, 0);
    tickWithPad(2);
    EXPECT_FLOAT_EQ(world.aimX, -0.25f);
}

// A life lost rumbles the pad in use, a rocket's burst more lightly, a bullet's not at all.
TEST_F(Game, ThePadInUseRumblesAtALifeLostAndARocketsBurst) {
    Pad pad;
    pad.hold(SDL_CONTROLLER_BUTTON_Y);
    pollPads();
    world.asteroidSpeedFactor = 0, world.hyperspeed = 0;  // Y made the pad the one in use
    const std::function<void()> events[] = {
        [] { place(0, 0, 0, 49, 1).speed = 0; },  // reaches the craft
        [] { place(1, 5, 5, 10, 1).speed = 0, world.rockets[0] = Rocket{5, 5, 10.5f, 1, 1, {}}; },
        [] {
            place(2, -5, -5, 10, 0.2f).speed = 0, world.bullets[0] = Bullet{-5, -5, 10.5f, 1, 1};
        },
    };
    std::vector<Uint16> felt;
    for (const auto& event : events) event(), rumbled = 0, updateWorld(), felt.push_back(rumbled);
    EXPECT_EQ(felt, std::vector<Uint16>({65535, 26214, 0}));
}

TEST_F(Game, SoundIsSetUpOnlyOnceTheFirstFrameIsShown) {
    playQuietly();
    ASSERT_TRUE(runUntil([] { return swapsBeforeSound >= 0; }));
    EXPECT_GT(swapsBeforeSound, 0);
}

// Level 2's music, once the crossfade and the level's own sound are over,
// against level 1's.
TEST_F(Game, TheMusicChangesWithTheLevel) {
    playQuietly();
    const double start = recorded();
    const double first = brightness(leftChannel(start + 1, 1));
    world.score = 101;
    checkLevelUp();
    ASSERT_EQ(world.level, 2);
    const double second = brightness(leftChannel(start + 3.5, 1));
    EXPECT_GT(second, 1.3 * first) << first;
}

// Paused as the last life goes: "GAME OVER" takes the pause's place. Its
// screen is silent, shots and all; a click starts a game that is heard.
TEST_F(Game, TheGameOverScreenIsSilentAndTheNextGameHeardAfterAPauseInTheLastTick) {
    playQuietly();
    world.lives = 1;
    place(0, world.aimX, world.aimY, 48, 2).speed = 0;
    onKeyboard('p', 0, 0);
    ASSERT_TRUE(runUntil([] { return world.playState == GameOver; }));
    const double over = recorded();
    leftChannel(over, 2);  // the game-over sound
    onKeyboard(' ', 0, 0);
    onKeyboard('r', 0, 0);
    EXPECT_LT(rms(leftChannel(over + 2, 0.5)), 0.0005) << "a shot on the game-over screen";
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    onKeyboard(' ', 0, 0);
    EXPECT_GT(rms(leftChannel(recorded(), 0.5)), 0.005) << "the next game";
}

}  // namespace
