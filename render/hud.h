// The flat overlay: score, level, lives and rockets bars, crosshair, game-over text.
#pragma once

// Both leave GL_PROJECTION selected with the scene's perspective loaded and lighting on.
void drawHud();
void drawGameOver();
void drawCrosshair();
