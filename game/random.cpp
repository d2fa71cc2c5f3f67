// The game's only random source: a 15-bit linear congruential generator.
#include "game/random.h"

namespace {

uint32_t state = 0;  // unsigned, so the step wraps modulo 2^32 without overflow

}  // namespace

void seedRandom(uint32_t seed) {
    state = seed;
}

int32_t nextRandom() {
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 32767u);
}

float randomUnit() {
    return static_cast<float>(nextRandom()) * 3.0518509e-05f;
}

int32_t randomMod(int32_t n) {
    return nextRandom() % n;
}
