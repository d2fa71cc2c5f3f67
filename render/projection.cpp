// The scene's perspective and the overlay's orthographic bounds, from the window size.
#include "render/projection.h"

#include <GL/glu.h>

#include "game/world.h"

namespace {

struct WindowShape {
    int32_t width = -1;
    int32_t height = -1;
    double aspect = 1.0;
};

WindowShape shape;

// Recomputed only when the window changes size; a height of 0 (minimised)
// counts as 1 so that no division by zero reaches GL.
double windowAspect() {
    if (world.windowWidth != shape.width || world.windowHeight != shape.height) {
        shape.width = world.windowWidth;
        shape.height = world.windowHeight;
        const int32_t height = shape.height < 1 ? 1 : shape.height;
        shape.aspect = static_cast<double>(shape.width) / static_cast<double>(height);
    }
    return shape.aspect;
}

}  // namespace

void loadScenePerspective() {
    gluPerspective(60.0, windowAspect(), 0.5, 50.0);
}

void loadOverlayOrtho() {
    const double halfWidth = 10.0 * windowAspect();
    glOrtho(-halfWidth, halfWidth, -10.0, 10.0, -100.0, 100.0);
}
