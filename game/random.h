// The game's only random source: a 15-bit linear congruential generator.
#pragma once

#include <cstdint>

void seedRandom(uint32_t seed);
int32_t nextRandom();          // 0 .. 32767
float randomUnit();            // one draw scaled to [0, 1], both ends possible
int32_t randomMod(int32_t n);  // one draw modulo n
