// The scene's perspective and the overlay's orthographic bounds, from the window size.
#pragma once

// gluPerspective(60, W / H, 0.5, 50) on the current matrix; H counts as at least 1.
void loadScenePerspective();

// glOrtho over the overlay space: 20 units high, centred, y up.
void loadOverlayOrtho();
