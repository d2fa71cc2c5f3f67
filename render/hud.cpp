// The flat overlay: score, level, lives and rockets bars, crosshair, game-over text.
#include "render/hud.h"

#include <cstdio>

#include <GL/glut.h>

#include "game/world.h"
#include "render/projection.h"

namespace {

void drawText(float x, float y, const char* text) {
    glColor3f(1.0f, 1.0f, 1.0f);  // before the raster position: it takes this colour
    glRasterPos2f(x, y);
    for (const char* c = text; *c != '\0'; ++c) {
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, static_cast<unsigned char>(*c));
    }
}

void drawLabel(float x, float y, const char* text) {
    glPushMatrix();
    drawText(x, y, text);
    glPopMatrix();
}

// A bar as long as its count, centred on x = 0.
void drawBar(float length, float y, float width, float r, float g, float b) {
    glPushMatrix();
    glTranslatef(-0.5f * length, y, 0.0f);
    glLineWidth(width);
    glColor3f(r, g, b);
    glBegin(GL_LINES);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(length, 0.0f);
    glEnd();
    glPopMatrix();
}

void enterOverlay() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    loadOverlayOrtho();
}

void leaveOverlay() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    loadScenePerspective();
}

}  // namespace

void drawHud() {
    enterOverlay();
    if (world.playState == Playing) drawCrosshair();
    char text[24];  // "LEVEL -2147483648" is the longest, 17 characters
    std::snprintf(text, sizeof text, "%d", world.score);
    drawLabel(-9.5f, 9.0f, text);
    std::snprintf(text, sizeof text, "LEVEL %d", world.level);
    drawLabel(6.5f, 9.0f, text);
    drawBar(world.lives, 9.5f, 8.0f, 1.0f, 0.0f, 0.0f);
    drawBar(world.rocketsLeft, 9.0f, 5.0f, 0.0f, 1.0f, 0.0f);
    glutPostRedisplay();  // frames follow one another back to back
    leaveOverlay();
    glEnable(GL_LIGHTING);
}

void drawCrosshair() {
    glLineWidth(2.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_LINES);
    glVertex3f(0.0f, 0.1f, 0.0f);
    glVertex3f(0.0f, 0.3f, 0.0f);
    glVertex3f(0.1f, 0.0f, 0.0f);
    glVertex3f(0.3f, 0.0f, 0.0f);
    glVertex3f(0.0f, -0.1f, 0.0f);
    glVertex3f(0.0f, -0.3f, 0.0f);
    glVertex3f(-0.1f, 0.0f, 0.0f);
    glVertex3f(-0.3f, 0.0f, 0.0f);
    glEnd();
}

void drawGameOver() {
    enterOverlay();
    drawLabel(-2.0f, 0.0f, "GAME OVER");
    glutPostRedisplay();
    leaveOverlay();
    glEnable(GL_LIGHTING);
}
