// newGame: the fresh state, what it leaves alone, repeatability and the zero divisor.
#include <cstring>
#include <memory>

#include "core_fixture.h"

namespace {

constexpr int drawsPerStar = 3;
constexpr int drawsPerAsteroid = 10;

// A seeded newGame over a World filled with a byte pattern, so untouched fields show.
void newGameOver(unsigned char pattern, uint32_t seed) {
    std::memset(&world, pattern, sizeof world);
    seedRandom(seed);
    newGame();
}

}  // namespace

TEST_F(CoreTest, NewGameSetsEveryFieldWithinItsRange) {
    int farBeyond20 = 0;
    float deepest = 0.0f;
    for (uint32_t seed = 1; seed <= 100; ++seed) {
        newGameOver(0x5a, seed);
        EXPECT_TRUE(world.playState == Playing && world.score == 0 && world.level == 1 &&
                    world.asteroidSpeedFactor == 0.05f && world.lives == 5.0f &&
                    world.rocketsLeft == 3.0f && world.hyperspeed == 0 && world.starSpeed == 0.4f);
        for (float f : {world.aimX, world.aimY, world.craftRoll, world.craftPitch})
            EXPECT_EQ(f, 0.0f);
        for (int32_t p : {world.mouseX, world.mouseY, world.prevMouseX, world.prevMouseY})
            EXPECT_EQ(p, 0);
        for (const Star& s : world.stars) {
            ASSERT_TRUE(s.r == 1.0f && s.g == 1.0f && s.b == 1.0f);
            ASSERT_TRUE(std::fabs(s.x) <= 15.0f && std::fabs(s.y) <= 15.0f &&
                        std::fabs(s.z) <= 50.0f);
        }
        for (const Asteroid& a : world.asteroids) {
            ASSERT_TRUE(std::fabs(a.x) <= 10.0f && std::fabs(a.y) <= 10.0f);
            ASSERT_TRUE(std::isfinite(a.z) && a.z <= 0.0f);
            ASSERT_TRUE(a.angle == 0.0f && std::fabs(a.spin) <= 5.0f && a.alive == 1);
            for (float axis : {a.axisX, a.axisY, a.axisZ}) ASSERT_LE(std::fabs(axis), 0.5f);
            ASSERT_TRUE(a.health == a.radius && a.radius >= 0.0f && a.radius <= 2.0f);
            ASSERT_TRUE(isStepOf(a.speed, 0.05f, 0, 9)) << a.speed;
            for (const Particle& p : a.debris) ASSERT_EQ(p.life, 0.0f);
            farBeyond20 += a.z < -20.0f ? 1 : 0;
            deepest = std::fmin(deepest, a.z);
        }
    }
    // The ratio of two raw draws has median 1 and a long tail.
    EXPECT_TRUE(farBeyond20 > 400 && farBeyond20 < 600) << farBeyond20;
    EXPECT_LT(deepest, -1000.0f);
}

TEST_F(CoreTest, NewGameLeavesShotsFireballsDebrisAndWindowAloneAndRepeatsItself) {
    std::memset(&world, 0x3c, sizeof world);
    const auto before = std::make_unique<World>(world);
    newGameOver(0x3c, 99);
    const World& b = *before;
    EXPECT_EQ(std::memcmp(world.bullets, b.bullets, sizeof b.bullets), 0);
    EXPECT_EQ(std::memcmp(world.impactFlashes, b.impactFlashes, sizeof b.impactFlashes), 0);
    EXPECT_EQ(std::memcmp(world.rockets, b.rockets, sizeof b.rockets), 0);
    EXPECT_TRUE(world.windowWidth == b.windowWidth && world.windowHeight == b.windowHeight);
    for (int k = 0; k < asteroidCount; ++k) {
        EXPECT_EQ(world.asteroids[k].fireballRadius, b.asteroids[k].fireballRadius);
        for (int d = 0; d < debrisPerAsteroid; ++d) {
            Particle p = world.asteroids[k].debris[d];
            p.life = b.asteroids[k].debris[d].life;  // the one debris field it resets
            EXPECT_EQ(std::memcmp(&p, &b.asteroids[k].debris[d], sizeof p), 0);
        }
    }
    const auto first = std::make_unique<World>(world);
    newGameOver(0x3c, 99);
    EXPECT_EQ(std::memcmp(&world, first.get(), sizeof world), 0) << "same seed, same bytes";
    newGameOver(0x3c, 100);
    EXPECT_NE(std::memcmp(&world, first.get(), sizeof world), 0);
}

// The fields take their draws in order; a zero divisor for a depth is drawn
// again, and the asteroid's later fields follow on from the extra draw.
TEST_F(CoreTest, NewGameTakesItsDrawsInFieldOrderAndRedrawsAZeroDivisor) {
    constexpr int slot = 3, n = starCount * drawsPerStar + slot * drawsPerAsteroid;
    // Wind a state whose draw has bits 16 to 30 clear back to a seed, so that
    // draw n + 3 is 0; the multiplier is odd, so it has an inverse mod 2^32.
    uint32_t inverse = 214013u;
    for (int i = 0; i < 5; ++i) inverse *= 2u - 214013u * inverse;
    uint32_t seed = 0x80001234u;
    for (int i = 0; i <= n + 3; ++i) seed = (seed - 2531011u) * inverse;
    seedRandom(seed);
    float u[n + drawsPerAsteroid + 2];
    for (float& v : u) v = static_cast<float>(nextRandom());
    ASSERT_TRUE(u[n + 3] == 0.0f && u[n + 4] != 0.0f) << "the set-up must give d2 = 0 once";
    auto unit = [&](int i) { return u[i] * 3.0518509e-05f; };
    newGameOver(0, seed);
    const Star& s = world.stars[0];
    EXPECT_TRUE(s.x == (unit(0) - 0.5f) * 30.0f && s.y == (unit(1) - 0.5f) * 30.0f &&
                s.z == (unit(2) - 0.5f) * 100.0f);
    EXPECT_EQ(world.asteroids[0].x, (unit(starCount * drawsPerStar) - 0.5f) * 20.0f);
    const Asteroid& a = world.asteroids[slot];
    EXPECT_TRUE(a.x == (unit(n) - 0.5f) * 20.0f && a.y == (unit(n + 1) - 0.5f) * 20.0f);
    EXPECT_EQ(a.z, -(u[n + 2] / u[n + 4]) * 20.0f);
    EXPECT_EQ(a.spin, (unit(n + 5) - 0.5f) * 10.0f);
    EXPECT_TRUE(a.axisX == unit(n + 6) - 0.5f && a.axisY == unit(n + 7) - 0.5f &&
                a.axisZ == unit(n + 8) - 0.5f);
    EXPECT_EQ(a.radius, unit(n + 9) * 2.0f);
    EXPECT_EQ(a.speed, static_cast<float>(static_cast<int>(u[n + 10]) % 10) * 0.05f);
    EXPECT_EQ(world.asteroids[slot + 1].x, (unit(n + drawsPerAsteroid + 1) - 0.5f) * 20.0f);
    for (const Asteroid& other : world.asteroids) EXPECT_TRUE(std::isfinite(other.z));
}
