// Drawing of the World's slot arrays: stars, asteroids, flashes, debris, shots, trails.
#include "render/entities.h"

#include <GL/glu.h>

#include "assets/texture.h"
#include "game/world.h"
#include "render/frame.h"

namespace {

// One quadric for the whole run, set up once: its settings never change, so
// the drawing operations only borrow it.
GLUquadric* sphereQuadric() {
    static GLUquadric* quadric = [] {
        GLUquadric* made = gluNewQuadric();
        gluQuadricDrawStyle(made, GLU_FILL);
        gluQuadricNormals(made, GLU_SMOOTH);
        gluQuadricTexture(made, GL_TRUE);
        return made;
    }();
    return quadric;
}

bool particleShows(const Particle& p) {
    return p.life > 0.0f && p.size > 0.0f;
}

void drawFireball(const Asteroid& a, GLUquadric* quadric) {
    glDisable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, FireTexture);
    glPushMatrix();
    glTranslatef(a.x, a.y, a.z);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);  // poles vertical: the viewer sees its side
    gluSphere(quadric, static_cast<GLdouble>(a.fireballRadius), 4, 4);
    glPopMatrix();
    glBindTexture(GL_TEXTURE_2D, BlankTexture);
    glEnable(GL_LIGHTING);
}

void drawTrailSquare(const Particle& p) {
    glColor4f(1.0f, 1.0f, 1.0f, p.life);
    glPushMatrix();
    glTranslatef(p.x, p.y, p.z);
    // The sign of vx picks the turning sense; with vx 0 the axis would be
    // undefined, so such a particle stays upright.
    if (p.vx != 0.0f) glRotatef(p.angle, 0.0f, 0.0f, p.vx);
    const float s = p.size;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-s, -s, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-s, s, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(s, s, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(s, -s, 0.0f);
    glEnd();
    glPopMatrix();
}

}  // namespace

void drawStars() {
    const float tail = world.hyperspeed == 0 ? 1.0f : 6.0f;
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    for (const Star& s : world.stars) {
        glColor3f(s.r, s.g, s.b);
        glVertex3f(s.x, s.y, s.z);
        glColor3f(0.0f, 0.0f, 0.0f);
        glVertex3f(s.x, s.y, s.z - tail);
    }
    glEnd();
}

void drawAsteroids() {
    setMaterial(asteroidMaterial);
    GLUquadric* quadric = sphereQuadric();
    glColor3f(1.0f, 1.0f, 1.0f);
    for (const Asteroid& a : world.asteroids) {
        if (a.alive == 1) {
            glBindTexture(GL_TEXTURE_2D, AsteroidTexture);
            glPushMatrix();
            glTranslatef(a.x, a.y, a.z);
            glRotatef(a.angle, a.axisX, a.axisY, a.axisZ);
            gluSphere(quadric, static_cast<GLdouble>(a.radius), 5, 5);
            glPopMatrix();
            glBindTexture(GL_TEXTURE_2D, BlankTexture);
        }
        if (a.fireballRadius > 0.0f) drawFireball(a, quadric);
    }
}

void drawImpactFlashes() {
    glDisable(GL_LIGHTING);
    GLUquadric* quadric = sphereQuadric();
    glColor3f(1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, FireTexture);
    for (const ImpactFlash& f : world.impactFlashes) {
        if (f.active != 1) continue;
        glPushMatrix();
        glTranslatef(f.x, f.y, f.z);
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
        gluSphere(quadric, static_cast<GLdouble>(f.size), 8, 8);
        glPopMatrix();
    }
    glBindTexture(GL_TEXTURE_2D, BlankTexture);
    glEnable(GL_LIGHTING);
}

void drawDebris() {
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    GLUquadric* quadric = sphereQuadric();
    glBindTexture(GL_TEXTURE_2D, AsteroidTexture);
    // Debris plays out after its asteroid is gone, so alive is not consulted.
    for (const Asteroid& a : world.asteroids) {
        for (const Particle& p : a.debris) {
            if (!particleShows(p)) continue;
            glColor4f(1.0f, 1.0f, 1.0f, p.life);
            glPushMatrix();
            glTranslatef(p.x, p.y, p.z);
            glRotatef(p.angle, 0.0f, 0.0f, 1.0f);
            gluSphere(quadric, static_cast<GLdouble>(p.size), 5, 5);
            glPopMatrix();
        }
    }
    glBindTexture(GL_TEXTURE_2D, BlankTexture);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
}

void drawBullets() {
    glDisable(GL_LIGHTING);
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    for (const Bullet& b : world.bullets) {
        if (b.alive != 1) continue;
        glColor3f(0.0f, 0.5f, 1.0f);
        glVertex3f(b.x, b.y, b.z);
        glVertex3f(b.x, b.y, b.z - 0.5f);  // the dash trails away from the viewer
    }
    glEnd();
    glEnable(GL_LIGHTING);
}

void drawRockets() {
    static const GLfloat atRocket[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    GLUquadric* quadric = sphereQuadric();
    glColor3f(1.0f, 1.0f, 1.0f);  // lit: the material in force decides the look
    for (int i = 0; i < rocketSlots; ++i) {
        const Rocket& r = world.rockets[i];
        if (r.alive != 1) continue;
        const GLenum light = static_cast<GLenum>(GL_LIGHT1 + i);
        glPushMatrix();
        glTranslatef(r.x, r.y, r.z);
        glEnable(light);
        glLightfv(light, GL_POSITION, atRocket);
        gluSphere(quadric, 0.08, 4, 4);
        glPopMatrix();
    }
}

void drawRocketTrails() {
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);  // smoke is painted over everything and hides nothing
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, SmokeTexture);
    // A trail fades out after its rocket has ended, so alive is not consulted.
    for (const Rocket& r : world.rockets) {
        for (const Particle& p : r.trail) {
            if (particleShows(p)) drawTrailSquare(p);
        }
    }
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, BlankTexture);
    glEnable(GL_LIGHTING);
}
