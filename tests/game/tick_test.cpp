// The tick: hits, destruction, rockets, reaching the player, respawn and motion.
#include "core_fixture.h"

namespace {

// Fresh debris one tick after an explosion at the asteroid's centre.
void expectFreshDebris(const Asteroid& a, int minSpin, int maxSpin) {
    for (const Particle& p : a.debris) {
        EXPECT_TRUE(isStepOf(p.fade, 0.004f, 1, 10)) << p.fade;
        EXPECT_FLOAT_EQ(p.life, 1.0f - p.fade);
        for (float v : {p.vx, p.vy, p.vz}) EXPECT_LE(std::fabs(v), 0.25f);
        EXPECT_FLOAT_EQ(p.x, a.x + p.vx);
        EXPECT_FLOAT_EQ(p.z, a.z + p.vz);
        EXPECT_TRUE(isStepOf(p.spin, 1.0f, minSpin, maxSpin)) << p.spin;
        EXPECT_EQ(p.angle, p.spin);
        EXPECT_LE(p.size, 0.4f - 0.005f);
    }
}

}  // namespace

TEST_F(CoreTest, BulletsHitWithinTheRadiusOnlyDamageEveryAsteroidTheyAreInAndFlash) {
    placeAsteroid(0, 0.0f, 0.0f, 30.0f, 1.0f);
    placeAsteroid(1, 0.0f, 0.0f, 10.0f, 1.0f);
    placeAsteroid(2, 5.0f, 5.0f, 20.0f, 1.0f, 0).fireballRadius = 10.0f;
    placeAsteroid(3, -5.0f, 0.0f, 20.0f, 2.0f);  // bullet 0 is inside 3 and 4, not 5
    placeAsteroid(4, -5.0f, 0.0f, 21.0f, 1.5f);
    placeAsteroid(5, -5.0f, 0.0f, 25.0f, 1.0f);
    placeBullet(0, -5.0f, 0.0f, 20.5f);
    placeBullet(4, 1.0f, 0.0f, 30.0f);     // exactly on the surface: a hit
    placeBullet(5, 1.0001f, 0.0f, 10.0f);  // just outside
    placeBullet(6, 5.0f, 5.0f, 20.0f);     // inside an exploding asteroid
    tick();
    EXPECT_TRUE(world.asteroids[0].health == 0.5f && world.asteroids[0].alive == 1);
    const ImpactFlash& f = world.impactFlashes[4];
    EXPECT_TRUE(world.bullets[4].alive == 0 && f.active == 1);
    EXPECT_TRUE(f.x == 1.0f && f.z == 31.0f && f.size == 0.5f - 0.05f);
    EXPECT_EQ(world.asteroids[1].health, 1.0f);
    EXPECT_TRUE(world.bullets[5].alive == 1 && world.bullets[6].alive == 1);
    EXPECT_TRUE(world.impactFlashes[5].active == 0 && world.score == 0);
    EXPECT_TRUE(world.asteroids[3].health == 1.5f && world.asteroids[4].health == 1.0f);
    EXPECT_EQ(world.asteroids[5].health, 1.0f);
    EXPECT_TRUE(world.bullets[0].alive == 0 && world.impactFlashes[0].z == 22.0f) << "the last hit";
    // The flash shrinks away while bullet 5 flies to the far plane and ends there.
    int shownTicks = 1;
    for (int t = 0; t < 20; ++t) {
        tick();
        shownTicks += world.impactFlashes[4].active;
    }
    EXPECT_EQ(shownTicks, 10);
    EXPECT_EQ(world.bullets[5].alive, 0);
}

TEST_F(CoreTest, TheFourthBulletDestroysHealth17And20) {
    for (float radius : {1.7f, 2.0f}) {
        placeAsteroid(0, 1.0f, 2.0f, 30.0f, radius);
        world.score = 0;
        for (int hit = 1; hit <= 4; ++hit) {
            ASSERT_EQ(world.asteroids[0].alive, 1) << radius << " before hit " << hit;
            placeBullet(hit, 1.0f, 2.0f, 30.0f);
            tick();
        }
        const Asteroid& a = world.asteroids[0];
        EXPECT_TRUE(a.alive == 0 && a.health <= 0.0f);
        EXPECT_EQ(world.score, static_cast<int>(radius * 10.0f));
        EXPECT_EQ(a.fireballRadius, radius * 1.5f);  // shrinks from the next tick
        expectFreshDebris(a, 0, 19);
    }
    EXPECT_EQ(world.asteroids[0].health, 0.0f);
    EXPECT_TRUE(hookLog.lightsOff.empty());
}

TEST_F(CoreTest, RocketsDestroyAtOnceGiveUnitsBackAndEndOnceAtTheFarPlane) {
    placeAsteroid(0, 0.0f, 0.0f, 40.0f, 2.0f);
    fireRocket();
    fireRocket();
    EXPECT_EQ(world.rocketsLeft, 1.0f);
    world.rockets[0].z = 40.3f;
    world.rockets[1].z = 0.0f;
    tick();
    const Asteroid& a = world.asteroids[0];
    EXPECT_TRUE(a.alive == 0 && a.health == 0.0f && a.fireballRadius == 4.0f);
    EXPECT_EQ(world.score, 20);
    expectFreshDebris(a, 1, 20);
    EXPECT_TRUE(world.rockets[0].alive == 0 && world.rockets[1].alive == 0);
    EXPECT_EQ(world.rocketsLeft, 3.0f);
    EXPECT_EQ(hookLog.lightsOff, (std::vector<int>{0, 1}));
    tick(3);
    EXPECT_TRUE(world.rocketsLeft == 3.0f && world.rockets[1].z == 0.0f &&
                hookLog.lightsOff.size() == 2u)
        << "an ended rocket ends once";
    // One rocket inside two asteroids destroys both and gives back two units.
    placeAsteroid(1, 0.0f, 0.0f, 20.0f, 1.0f);
    placeAsteroid(2, 0.5f, 0.0f, 20.0f, 1.0f);
    fireRocket();
    world.rockets[0].z = 20.3f;
    tick();
    EXPECT_EQ(world.asteroids[1].alive + world.asteroids[2].alive, 0);
    EXPECT_EQ(world.rocketsLeft, 4.0f);
    EXPECT_EQ(world.score, 40);
    EXPECT_EQ(hookLog.lightsOff, (std::vector<int>{0, 1, 0, 0}));
}

TEST_F(CoreTest, AnAsteroidReachingThePlayerCostsALifeScoresAndJolts) {
    float rollMin = 0.0f, rollMax = 0.0f, pitchMin = 0.0f, pitchMax = 0.0f;
    for (uint32_t trial = 1; trial <= 60; ++trial) {
        resetWorld();
        seedRandom(trial * 2654435761u);  // spread seeds: nearby ones give alike first draws
        // Pointer resting in the top-right corner: steering moves the aim
        // without banking or relaxing, so the jolt is seen as it was drawn.
        world.mouseX = world.prevMouseX = world.mouseY = world.prevMouseY = 499;
        placeAsteroid(0, 0.0f, 0.0f, 48.8f, 1.2f);
        tick();
        const Asteroid& a = world.asteroids[0];
        ASSERT_TRUE(world.lives == 4.0f && world.score == 12 && world.playState == Playing);
        ASSERT_TRUE(a.alive == 0 && a.fireballRadius == 1.2f - 0.5f);  // already shrinking
        rollMin = std::fmin(rollMin, world.craftRoll);
        rollMax = std::fmax(rollMax, world.craftRoll);
        pitchMin = std::fmin(pitchMin, world.craftPitch);
        pitchMax = std::fmax(pitchMax, world.craftPitch);
    }
    EXPECT_TRUE(rollMin >= -20.0f && rollMin < -14.0f && rollMax > 14.0f && rollMax <= 20.0f)
        << rollMin << " " << rollMax;
    EXPECT_TRUE(pitchMin >= -10.0f && pitchMin < -7.0f && pitchMax > 7.0f && pitchMax <= 10.0f)
        << pitchMin << " " << pitchMax;
}

TEST_F(CoreTest, TheLastLivesEndTheGameButTheTickRunsOn) {
    world.lives = 1.0f;
    world.score = 7;
    placeAsteroid(0, 0.0f, 0.0f, 48.0f, 2.0f);
    placeAsteroid(1, 0.1f, 0.0f, 49.0f, 1.0f);
    placeAsteroid(2, 3.0f, 0.0f, 49.0f, 1.0f);  // passes beside the aim
    placeBullet(0, 0.0f, 0.0f, 30.0f);
    world.mouseX = 260;
    tick();
    EXPECT_EQ(world.lives, -1.0f);
    EXPECT_EQ(world.score, 7 + 20 + 10);
    EXPECT_EQ(world.playState, GameOver);
    EXPECT_EQ(world.asteroids[0].alive + world.asteroids[1].alive, 0);
    EXPECT_EQ(world.asteroids[1].fireballRadius, 0.5f);
    EXPECT_EQ(world.asteroids[2].alive, 1);
    EXPECT_EQ(world.bullets[0].z, 30.0f);  // later steps still ran
    EXPECT_EQ(world.prevMouseX, 260);
    EXPECT_EQ(hookLog.redisplays, 1);
    EXPECT_TRUE(hookLog.pointerCopiedBeforeRedisplay);
}

TEST_F(CoreTest, AsteroidsRespawnWhenPastTheCameraOrWhenTheirFireballEnds) {
    world.asteroidSpeedFactor = 0.45f;
    Asteroid& passed = placeAsteroid(0, 5.0f, 5.0f, 50.5f, 1.0f);
    passed.angle = 33.0f;
    passed.spin = 2.0f;
    passed.axisX = 0.25f;
    passed.debris[0].life = 0.5f;
    Asteroid& driftingPast = placeAsteroid(1, 0.0f, 0.0f, 50.5f, 1.0f, 0);
    driftingPast.fireballRadius = 3.0f;
    Asteroid& burning = placeAsteroid(2, 0.0f, 0.0f, 10.0f, 1.0f, 0);
    burning.fireballRadius = 0.3f;
    Asteroid& burntOut = placeAsteroid(3, 0.0f, 0.0f, 10.0f, 1.0f, 0);
    Asteroid& nearMiss = placeAsteroid(4, 6.0f, 0.0f, 49.9f, 1.0f);
    tick();
    for (const Asteroid* a : {&passed, &driftingPast, &burntOut}) {
        EXPECT_EQ(a->alive, 1);
        EXPECT_TRUE(std::fabs(a->x) <= 10.0f && std::fabs(a->y) <= 10.0f);
        EXPECT_TRUE(isStepOf(a->speed, 0.05f, 0, 9)) << "the constant 0.05, not the level's factor";
        const float start = a->z - a->speed - world.asteroidSpeedFactor;
        EXPECT_TRUE(start >= -20.01f && start <= 0.01f) << start;
        EXPECT_TRUE(a->health == a->radius && a->radius >= 0.0f && a->radius <= 2.0f);
    }
    EXPECT_TRUE(passed.angle == 35.0f && passed.spin == 2.0f && passed.axisX == 0.25f);
    EXPECT_EQ(passed.debris[0].life, 0.5f);
    EXPECT_EQ(driftingPast.fireballRadius, 2.5f);
    EXPECT_TRUE(burning.alive == 0 && burning.z == 10.0f + 0.45f);
    EXPECT_TRUE(nearMiss.alive == 1 && nearMiss.z > 50.0f);
    tick();
    EXPECT_EQ(burning.alive, 1);
    EXPECT_LT(nearMiss.z, 1.0f);
    EXPECT_TRUE(world.lives == 5.0f && world.score == 0);
}

TEST_F(CoreTest, HyperspeedAddsTheStarSpeedToAsteroids) {
    world.asteroidSpeedFactor = 0.05f;
    world.starSpeed = 0.6f;
    Asteroid& a = placeAsteroid(0, 5.0f, 5.0f, -10.0f, 1.0f);
    a.speed = 0.3f;
    world.stars[0] = Star{1.0f, 2.0f, 10.0f, 1.0f, 1.0f, 1.0f};
    world.stars[1] = Star{1.0f, 2.0f, 49.9f, 1.0f, 1.0f, 1.0f};
    world.hyperspeed = 1;
    tick();
    float z = -10.0f + 0.3f + 0.05f + 0.6f;
    EXPECT_EQ(a.z, z);
    world.hyperspeed = 0;
    tick();
    EXPECT_EQ(a.z, z + 0.3f + 0.05f);
    EXPECT_EQ(world.stars[0].z, 10.0f + 0.6f + 0.6f);
    const Star& wrapped = world.stars[1];
    EXPECT_TRUE(wrapped.z >= -150.0f && wrapped.z <= -50.0f + 0.6f) << wrapped.z;
    EXPECT_TRUE(std::fabs(wrapped.x) <= 15.0f && std::fabs(wrapped.y) <= 15.0f);
    EXPECT_EQ(wrapped.r + wrapped.g + wrapped.b, 3.0f);
}
