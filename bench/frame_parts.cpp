// Times each part of a full-load frame in the game's own window, to show where a frame's time goes.
// Each part is drawn many times and waited for with glFinish, so the figures include
// the rasteriser's work and are meant to be compared with one another.
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/startup.h"
#include "assets/mesh_draw.h"
#include "bench/full_load.h"
#include "game/world.h"
#include "render/entities.h"
#include "render/frame.h"
#include "render/hud.h"

namespace {

struct Part {
    const char* name;
    void (*draw)();
};

// The camera of the frame, and the world offset the entities are drawn under.
void underCamera() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 50, 0, 0, 0, 0, 1, 0);
    glTranslatef(-world.aimX, -world.aimY, 0.0f);
}

const Part parts[] = {
    {"whole frame", [] { onDisplay(); }},
    {"clear + swap", [] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); glutSwapBuffers(); }},
    {"overlay", [] { glDisable(GL_LIGHTING); drawHud(); glEnable(GL_LIGHTING); }},
    {"stars", [] { underCamera(); glDisable(GL_LIGHTING); drawStars(); glEnable(GL_LIGHTING); }},
    {"craft", [] { underCamera(); glTranslatef(world.aimX, world.aimY - 0.3f, 49.0f); glScalef(0.01f, 0.01f, 0.01f); drawMesh(); }},
    {"asteroids + fire-balls", [] { underCamera(); drawAsteroids(); }},
    {"debris", [] { underCamera(); drawDebris(); }},
    {"bullets + rockets", [] { underCamera(); drawBullets(); drawRockets(); }},
    {"rocket trails", [] { underCamera(); drawRocketTrails(); }},
};

double millisecondsPerCall(void (*draw)()) {
    std::vector<double> rounds;
    for (int round = 0; round < 5; ++round) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 20; ++i) draw();
        glFinish();
        std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
        rounds.push_back(spent.count() / 20);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[2];
}

void startGame() {
    int argc = 1;
    char name[] = "frame-parts";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    createGameWindow();
    registerCallbacks();
    initGame();
    for (int i = 0; i < 100 && world.windowWidth == 0; ++i) glutMainLoopEvent();
}

}  // namespace

// Run from the folder with the data files, on an X display.
int main(int argc, char** argv) {
    const char* rows = argc > 2 && std::strcmp(argv[1], "--rows") == 0 ? argv[2] : nullptr;
    startGame();
    World load = world;
    fullload::fillFullLoad(load, fullload::burningField);
    world = load;
    std::string value;
    for (const Part& part : parts) {
        part.draw();  // the renderer compiles what a part needs on first use
        glFinish();
        char text[64];
        std::snprintf(text, sizeof text, "%s%s %.2f", value.empty() ? "" : ", ", part.name, millisecondsPerCall(part.draw));
        value += text;
    }
    FILE* out = rows ? std::fopen(rows, "a") : stdout;
    if (!out) return 1;
    std::fprintf(out, "frame parts at full load, ms each\t%s\t\t\n", value.c_str());
    if (out != stdout) std::fclose(out);
    return 0;
}
