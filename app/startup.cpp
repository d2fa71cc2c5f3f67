// Start-up: the window, the callbacks, the one-time game set-up and the tick chain.
#include "app/startup.h"

#include <cstdint>
#include <cstring>
#include <ctime>

#include <GL/glut.h>

#include "app/input.h"
#include "app/pad.h"
#include "app/platform.h"
#include "assets/mesh.h"
#include "assets/texture.h"
#include "game/platform_hooks.h"
#include "game/random.h"
#include "game/tick.h"
#include "game/world.h"
#include "render/frame.h"
#include "sound/sound.h"

namespace {

constexpr unsigned int tickPeriodMs = 41;

// Ticks armed with Playing that have not fired yet: 0 or 1 while one chain runs.
int pendingPlayingTicks = 0;

bool muted = false;
bool framesShown = false;
bool soundReady = false;

// --mute plays silent and opens no device, --no-music keeps the effects
// alone; GLUT never sees either.
void takeSoundOptions(int& argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--mute") == 0) {
            muted = true;
        } else if (std::strcmp(argv[i], "--no-music") == 0) {
            setMusicOn(false);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
}

void switchOffRocketLight(int slot) {
    glDisable(static_cast<GLenum>(GL_LIGHT1 + slot));
}

void requestRedisplay() {
    glutPostRedisplay();
}

void showFrame() {
    onDisplay();
    framesShown = true;
}

// Sound waits for the first frame, which needs none of it: the synthesizer
// and the device's set-up come in pieces on the timers after it.
void setUpSoundAfterFirstFrame() {
    if (!soundReady && framesShown) soundReady = setUpSound(muted);
}

void setLightColours(GLenum light, const GLfloat* ambient, const GLfloat* diffuse,
                     const GLfloat* specular) {
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_AMBIENT, ambient);
    glLightfv(light, GL_SPECULAR, specular);
}

}  // namespace

void startGame(int& argc, char** argv) {
    takeSoundOptions(argc, argv);
    glutInit(&argc, argv);
    createGameWindow();
    registerCallbacks();
    initGame();
    armTick(world.playState);  // Playing: initGame ends with a new game
    prepareWindow();
}

void createGameWindow() {
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH | GLUT_RGB);
    glutInitWindowSize(500, 500);
    glutInitWindowPosition(100, 100);
    glutCreateWindow("Skorvane");
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
}

void registerCallbacks() {
    glutDisplayFunc(showFrame);
    glutMouseFunc(onMouse);
    glutKeyboardFunc(onKeyboard);
    glutReshapeFunc(onReshape);
    glutPassiveMotionFunc(onPassiveMotion);
}

void initGame() {
    // The core reaches GL, GLUT and OpenAL only through these hooks.
    platformHooks.disableRocketLight = switchOffRocketLight;
    platformHooks.requestRedisplay = requestRedisplay;
    platformHooks.soundAt = playSound;
    startPads();  // rumbles beside the sounds
    seedRandom(static_cast<uint32_t>(std::time(nullptr)));
    loadMesh("cessna500.m");
    loadTexture("asteroid.bmp", AsteroidTexture);
    loadTexture("fire.bmp", FireTexture);
    loadTexture("smoke.bmp", SmokeTexture);
    initMainLight();
    initRocketLights();
    newGame();
}

void initMainLight() {
    static const GLfloat ambient[4] = {0.6f, 0.6f, 0.6f, 1.0f};
    static const GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    static const GLfloat specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};  // no highlight
    glEnable(GL_LIGHT0);
    setLightColours(GL_LIGHT0, ambient, diffuse, specular);
    glShadeModel(GL_SMOOTH);
}

void initRocketLights() {
    static const GLfloat orange[4] = {0.8f, 0.25f, 0.0f, 1.0f};
    static const GLfloat specular[4] = {1.0f, 0.4f, 0.0f, 1.0f};
    // The third light fades twice as fast; the drawing switches them on.
    static const GLfloat attenuation[rocketSlots] = {0.01f, 0.01f, 0.02f};
    for (int i = 0; i < rocketSlots; ++i) {
        const GLenum light = static_cast<GLenum>(GL_LIGHT1 + i);
        setLightColours(light, orange, orange, specular);
        glLightf(light, GL_QUADRATIC_ATTENUATION, attenuation[i]);
    }
    glShadeModel(GL_SMOOTH);
}

void armTick(int state) {
    if (state == Playing) ++pendingPlayingTicks;
    glutTimerFunc(tickPeriodMs, onTimer, state);
}

void startTickChain() {
    // A Playing tick still pending keeps the old chain alive: it runs the
    // update and re-arms with the state as it then stands.
    if (pendingPlayingTicks == 0) armTick(Playing);
}

bool playingTickPending() {
    return pendingPlayingTicks > 0;
}

// A tick carrying another state ends its chain, but sound still follows it:
// the last ticks after a pause or "GAME OVER" finish the fades.
void onTimer(int value) {
    if (value == Playing) {
        if (pendingPlayingTicks > 0) --pendingPlayingTicks;
        pollPads();  // a press reaches the World at this tick
        updateWorld();
    }
    setUpSoundAfterFirstFrame();
    followWorld();
    if (value != Playing) return;
    armTick(world.playState);
    if (world.playState != Playing) pollPadsWhileIdle();  // Start or A must still be heard
}
