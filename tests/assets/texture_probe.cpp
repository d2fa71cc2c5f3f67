// Start-up's three texture loads, in their order, without a window: every
// failure ends the process before any GL call, which is what the tests watch.
#include <cstdio>

#include "assets/texture.h"

int main() {
    loadTexture("asteroid.bmp", AsteroidTexture);
    loadTexture("fire.bmp", FireTexture);
    loadTexture("smoke.bmp", SmokeTexture);
    std::printf("all three loaded\n");
    return 0;
}
