// The yardstick for start-up: the least a freeglut program does to show the same window with one frame.
#include <GL/freeglut.h>

namespace {

void onDisplay() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH | GLUT_RGB);
    glutInitWindowSize(500, 500);
    glutInitWindowPosition(100, 100);
    glutCreateWindow("Skorvane");
    glutDisplayFunc(onDisplay);
    glutMainLoop();
    return 0;
}
