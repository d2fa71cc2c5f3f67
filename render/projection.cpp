// The scene's perspective and the overlay's orthographic bounds, from the window size.
#include "render/projection.h"

#include <GL/glu.h>

#include "game/world.h"

namespace {

// A height of 0 (a minimised window) counts as 1, so no division by zero
// reaches GL.
double windowAspect() {
    const int32_t height = world.windowHeight < 1 ? 1 : world.windowHeight;
    return static_cast<double>(world.windowWidth) / static_cast<double>(height);
}

}  // namespace

void loadScenePerspective() {
    gluPerspective(60.0, windowAspect(), 0.5, 50.0);
}

void loadOverlayOrtho() {
    const double halfWidth = 10.0 * windowAspect();
    glOrtho(-halfWidth, halfWidth, -10.0, 10.0, -100.0, 100.0);
}
