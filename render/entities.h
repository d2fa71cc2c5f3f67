// Drawing of the World's slot arrays: stars, asteroids, flashes, debris, shots, trails.
#pragma once

void drawStars();  // called with lighting off; leaves it off
void drawAsteroids();
void drawImpactFlashes();
void drawDebris();
void drawBullets();
void drawRockets();  // switches on and places the light of each rocket in flight
void drawRocketTrails();
