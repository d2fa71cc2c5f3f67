// Renders reference texts in a separate, differently titled window beside the game's.
#include "reference_text.h"

#include <GL/freeglut.h>
#include <unistd.h>

#include <cstdio>

#include "process.h"

namespace {

void initGlutOnce() {
    static bool done = false;
    if (done) return;
    int argc = 1;
    char name[] = "e2e-reference";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    done = true;
}

void drawTexts(int width, int height, const std::vector<TextAt>& texts) {
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    double halfWidth = 10.0 * width / height;
    glOrtho(-halfWidth, halfWidth, -10, 10, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    for (const TextAt& t : texts) {
        glRasterPos2f(t.x, t.y);
        for (char c : t.text) glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, c);
    }
    glFinish();
}

}  // namespace

namespace {

// In the child: opens the window, draws, writes the rows to `path`, ends.
[[noreturn]] void renderInChild(int width, int height, const std::vector<TextAt>& texts,
                                const std::string& path) {
    initGlutOnce();
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB);  // read back from the private back buffer
    glutInitWindowSize(width, height);
    glutInitWindowPosition(700, 100);  // beside the game's window, never over it
    glutCreateWindow("e2e reference");
    glutDisplayFunc([] {});  // drawn below, outside any main loop
    for (int i = 0; i < 5; ++i) glutMainLoopEvent();
    drawTexts(width, height, texts);

    size_t stride = static_cast<size_t>(width) * 3;
    std::vector<unsigned char> bottomUp(stride * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::string rows;
    for (int y = height - 1; y >= 0; --y)
        rows.append(
            reinterpret_cast<const char*>(bottomUp.data()) + static_cast<size_t>(y) * stride,
            stride);
    writeFile(path, rows);
    _exit(0);
}

}  // namespace

// The drawing runs in a child process: GLUT ends its process when it cannot reach
// the X server, which now and then happens on this kind of machine, and the child
// is then simply run again.
Image renderReferenceTexts(int width, int height, const std::vector<TextAt>& texts) {
    char path[] = "/tmp/skorvane-e2e-text-XXXXXX";
    int fd = mkstemp(path);
    if (fd >= 0) close(fd);
    Image image;
    size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    for (int attempt = 0; attempt < 5 && image.empty(); ++attempt) {
        std::fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) renderInChild(width, height, texts, path);
        ExitResult end = waitForExit(pid, 60);
        std::string rows = readFile(path);
        if (end.exited && end.status == 0 && rows.size() == size) {
            image.width = width;
            image.height = height;
            image.rgb.assign(rows.begin(), rows.end());
        }
    }
    unlink(path);
    return image;
}
