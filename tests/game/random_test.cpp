// The random source against the generator's known outputs and an independent model.
#include <gtest/gtest.h>

#include <cstdint>

#include "game/random.h"

namespace {

// The same rule in 64-bit arithmetic, reduced explicitly.
int32_t modelDraw(uint64_t& state) {
    state = (state * 214013u + 2531011u) % 4294967296u;
    return static_cast<int32_t>((state >> 16) & 32767u);
}

}  // namespace

TEST(Random, MatchesKnownVectorsAndALongRun) {
    seedRandom(1);
    for (int32_t expected : {41, 18467, 6334, 26500, 19169}) {
        EXPECT_EQ(nextRandom(), expected);
    }
    for (uint32_t seed : {0u, 1u, 20260101u, 0xFFFFFFFFu}) {
        uint64_t state = seed;
        int32_t expected = 0;
        for (int i = 0; i < 10000; ++i) {
            expected = modelDraw(state);
        }
        seedRandom(seed);
        for (int i = 0; i < 9999; ++i) {
            nextRandom();
        }
        EXPECT_EQ(nextRandom(), expected) << "seed " << seed;
    }
}

TEST(Random, UnitAndModuloKeepTheirRanges) {
    seedRandom(7);
    float lowest = 1.0f;
    float highest = 0.0f;
    bool seen[10] = {};
    for (int i = 0; i < 200000; ++i) {
        const float u = randomUnit();
        lowest = u < lowest ? u : lowest;
        highest = u > highest ? u : highest;
        const int32_t m = randomMod(10);
        ASSERT_GE(m, 0);
        ASSERT_LT(m, 10);
        seen[m] = true;
    }
    EXPECT_GE(lowest, 0.0f);
    EXPECT_LE(highest, 1.0f);
    EXPECT_LT(lowest, 0.001f);
    EXPECT_GT(highest, 0.999f);
    for (bool s : seen) {
        EXPECT_TRUE(s);
    }
    // The largest draw must scale to at most 1: find a seed whose next draw is 32767.
    uint32_t seed = 0;
    for (;; ++seed) {
        uint64_t state = seed;
        if (modelDraw(state) == 32767) {
            break;
        }
    }
    seedRandom(seed);
    const float top = randomUnit();
    EXPECT_LE(top, 1.0f);
    EXPECT_GT(top, 0.99999f);
}
