// Weapons and levels: slot use, the rocket trail's life, and the level thresholds.
#include <cstring>
#include <string>

#include "core_fixture.h"

TEST_F(CoreTest, BulletsTakeTheFirstFreeSlotAndDropWhenFull) {
    world.aimX = 1.5f;
    world.aimY = -2.0f;
    for (int j = 0; j <= bulletSlots; ++j) fireBullet();  // one more than fits
    EXPECT_EQ(world.bullets[bulletSlots - 1].alive, 1);
    world.bullets[7].alive = 0;
    world.bullets[7].z = -3.0f;
    world.impactFlashes[7] = ImpactFlash{9.0f, 9.0f, 9.0f, 0.2f, 1};
    world.aimX = 4.0f;
    fireBullet();
    fireBullet();  // full again: dropped
    const Bullet& b = world.bullets[7];
    EXPECT_TRUE(b.alive == 1 && b.x == 4.0f && b.y == -2.0f && b.z == 49.0f && b.speed == 1.0f);
    EXPECT_EQ(world.impactFlashes[7].size, 0.2f);
    for (int j = 0; j < bulletSlots; ++j) EXPECT_EQ(world.bullets[j].x, j == 7 ? 4.0f : 1.5f) << j;
}

TEST_F(CoreTest, RocketsGoByFreeSlotsNotByRocketsLeft) {
    world.rocketsLeft = 0.0f;
    for (int i = 0; i < 4; ++i) fireRocket();
    EXPECT_EQ(world.rockets[0].alive, 1);
    EXPECT_EQ(world.rocketsLeft, -3.0f);
    world.rockets[1].alive = 0;
    fireRocket();
    EXPECT_EQ(world.rockets[1].alive, 1);
    EXPECT_EQ(world.rocketsLeft, -4.0f);
}

TEST_F(CoreTest, ATrailBuildsUpBehindItsRocketAndFadesAfterIt) {
    world.aimX = 2.0f;
    world.aimY = 3.0f;
    fireRocket();
    const Rocket& r = world.rockets[0];
    Particle launch[trailPerRocket];
    std::memcpy(launch, r.trail, sizeof launch);
    for (const Particle& p : launch) {
        ASSERT_TRUE(p.life == 0.1f && p.size == 0.0f && p.growth == 0.0f && p.angle == 0.0f);
        ASSERT_TRUE(p.x == 2.0f && p.y == 3.0f && p.z == 49.0f);
        ASSERT_TRUE(isStepOf(p.fade, 1.0f / 75.0f, 1, 10)) << p.fade;
        ASSERT_TRUE(std::fabs(p.vx) <= 1.0f / 150.0f && std::fabs(p.vy) <= 1.0f / 150.0f);
        ASSERT_TRUE(p.vz >= 0.0f && p.vz <= 0.02f);
        ASSERT_TRUE(isStepOf(p.spin, 1.0f, 1, 10)) << p.spin;
    }
    int emittedBy[trailPerRocket] = {};
    for (int t = 1; t <= 12; ++t) {
        tick();
        for (int k = 0; k < trailPerRocket; ++k) {
            const Particle& p = r.trail[k];
            if (emittedBy[k] != 0 || p.life != 0.5f) continue;
            emittedBy[k] = t;
            ASSERT_TRUE(p.x == r.x && p.y == r.y && p.z == r.z) << "emitted at the moved rocket";
            ASSERT_TRUE(isStepOf(p.fade, 1.0f / 75.0f, 1, 10));
            ASSERT_TRUE(p.growth == p.fade * 0.25f && p.size >= 0.0f && p.size <= 0.001f);
            ASSERT_TRUE(p.vx == launch[k].vx && p.vz == launch[k].vz && p.spin == launch[k].spin);
            ASSERT_EQ(p.angle, p.spin * static_cast<float>(t - 1)) << "turned while it waited";
        }
    }
    for (int e : emittedBy) ASSERT_TRUE(e >= 2 && e <= 9) << e;
    // Once the rocket has ended its particles drift and fade but are never re-emitted.
    world.rockets[0].z = 0.0f;
    tick();
    ASSERT_EQ(r.alive, 0);
    for (int t = 0; t < 60; ++t) {
        Particle before[trailPerRocket];
        std::memcpy(before, r.trail, sizeof before);
        tick();
        for (int k = 0; k < trailPerRocket; ++k) ASSERT_LT(r.trail[k].life, before[k].life);
    }
    // Firing into the ended slot restarts the whole trail at the new rocket.
    world.aimX = -1.0f;
    fireRocket();
    EXPECT_EQ(r.alive, 1);
    for (const Particle& p : r.trail)
        ASSERT_TRUE(p.life == 0.1f && p.size == 0.0f && p.x == -1.0f && p.z == 49.0f);
}

TEST_F(CoreTest, TheScoreRaisesTheLevelOneStepPerCall) {
    const struct { int32_t level, score, levelAfter; } cases[] = {
        {1, 100, 1}, {1, 101, 2}, {1, 6000, 2}, {2, 500, 2}, {2, 501, 3},
        {3, 1001, 4}, {4, 5000, 4}, {4, 5001, 5}, {5, 99999, 5},
    };
    for (const auto& c : cases) {
        world.level = c.level;
        world.score = c.score;
        world.asteroidSpeedFactor = levelFactor(c.level);
        testing::internal::CaptureStdout();
        checkLevelUp();
        const std::string line = c.levelAfter == c.level
                                     ? ""
                                     : "Upgrade to Level " + std::to_string(c.levelAfter) + "\n";
        EXPECT_EQ(testing::internal::GetCapturedStdout(), line) << c.level << " " << c.score;
        EXPECT_EQ(world.level, c.levelAfter);
        EXPECT_EQ(world.asteroidSpeedFactor, levelFactor(c.levelAfter));
    }
    EXPECT_EQ(world.asteroidSpeedFactor, 0.05f * 3.0f * 3.0f * 3.0f * 3.0f);
}

TEST_F(CoreTest, ANoPointAsteroidStillChecksTheLevel) {
    world.score = 101;
    world.asteroidSpeedFactor = 0.05f;
    placeAsteroid(0, 0.0f, 0.0f, 40.0f, 0.05f);
    fireRocket();
    world.rockets[0].z = 40.3f;
    testing::internal::CaptureStdout();
    tick();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Upgrade to Level 2\n");
    EXPECT_TRUE(world.asteroids[0].alive == 0 && world.score == 101 && world.level == 2);
}
