// The display callback: overlay, fixed camera, scene light and the draw order.
#include "render/frame.h"

#include <GL/glut.h>

#include "assets/mesh_draw.h"
#include "game/world.h"
#include "render/entities.h"
#include "render/hud.h"

const Material craftMaterial = {
    {0.3f, 0.3f, 0.35f, 1.0f}, {0.7f, 0.7f, 0.9f, 1.0f}, {0.9f, 0.9f, 1.0f, 1.0f}, 100.0f};
const Material asteroidMaterial = {
    {0.2f, 0.2f, 0.2f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, 100.0f};

void setMaterial(Material material) {
    glMaterialfv(GL_FRONT, GL_AMBIENT, material.ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, material.diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, material.specular);
    glMaterialfv(GL_FRONT, GL_SHININESS, &material.shininess);
}

namespace {

// The star layer moves by a fifth of the aim offset: it seems farther away.
void drawStarLayer() {
    glDisable(GL_LIGHTING);
    glPushMatrix();
    glTranslatef(-0.2f * world.aimX, -0.2f * world.aimY, 0.0f);
    drawStars();
    glPopMatrix();
    glEnable(GL_LIGHTING);
}

// The craft sits 1 unit before the eye, 0.3 below the view axis; the scale
// 0.01 and the mesh's 0.01 normals give unit normals together.
void drawCraft() {
    glPushMatrix();
    glTranslatef(0.0f, -0.3f, 0.0f);
    glTranslatef(0.0f, 0.0f, 49.0f);
    glScalef(0.01f, 0.01f, 0.01f);
    glRotatef(world.craftRoll, 0.0f, 0.0f, 1.0f);
    glRotatef(world.craftPitch, 1.0f, 0.0f, 0.0f);
    setMaterial(craftMaterial);
    glPushMatrix();
    glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
    drawMesh();
    glPopMatrix();
    glPopMatrix();
}

// The world moves instead of the camera: the aim point lands on the view axis.
void drawWorldEntities() {
    glPushMatrix();
    glTranslatef(-world.aimX, -world.aimY, 0.0f);
    glPushMatrix();
    drawAsteroids();
    drawImpactFlashes();
    drawDebris();
    glPopMatrix();
    glPushMatrix();
    glTranslatef(0.0f, -0.3f, 0.0f);  // shots seem to leave the craft
    drawBullets();
    drawRockets();
    drawRocketTrails();
    glPopMatrix();
    glEnable(GL_LIGHT0);
    glPopMatrix();
}

}  // namespace

void onDisplay() {
    static const GLfloat towardsScene[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    drawHud();
    glEnable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPushMatrix();
    gluLookAt(0.0, 0.0, 50.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glLightfv(GL_LIGHT0, GL_POSITION, towardsScene);
    if (world.playState == GameOver) {
        drawGameOver();
    } else {
        drawStarLayer();
        drawCraft();
        drawWorldEntities();
    }
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glutSwapBuffers();
}
