// Steering: the aim follows the pointer, the craft banks and pitches, then relaxes.
#include <gtest/gtest.h>

#include "core_fixture.h"
#include "game/tick.h"

namespace {

void holdPointer(int32_t x, int32_t y) {
    world.mouseX = world.prevMouseX = x;
    world.mouseY = world.prevMouseY = y;
}

}  // namespace

TEST_F(CoreTest, APointerHeldInTheRightTenthMovesTheAimWithoutBanking) {
    holdPointer(480, 250);
    world.craftRoll = 3.0f;
    for (int t = 1; t <= 49; ++t) {
        updateWorld();
        ASSERT_EQ(world.aimX, 0.25f * static_cast<float>(t));
        ASSERT_EQ(world.craftRoll, 3.0f);
    }
    EXPECT_EQ(world.aimX, 12.25f);
    updateWorld();
    EXPECT_EQ(world.aimX, 12.25f);
    EXPECT_EQ(world.craftRoll, 0.0f);  // relaxes once the aim can go no further
    EXPECT_EQ(world.aimY, 0.0f);
}

TEST_F(CoreTest, FastPointerMovesBankAndClampTheAimOnBothAxes) {
    world.mouseX += 10;
    world.mouseY += 10;
    updateWorld();
    EXPECT_EQ(world.craftRoll, -2.0f);
    EXPECT_EQ(world.craftPitch, 0.5f);
    EXPECT_EQ(world.aimX, 0.25f);
    EXPECT_EQ(world.aimY, 0.25f);
    world.mouseX -= 10;
    world.mouseY -= 15;
    updateWorld();
    EXPECT_EQ(world.craftRoll, 0.0f);
    EXPECT_FLOAT_EQ(world.craftPitch, 0.5f - 1.0f);
    EXPECT_EQ(world.aimX, 0.0f);
    EXPECT_EQ(world.aimY, 0.0f);

    // Keep sweeping well beyond the clamps, staying inside the window.
    for (int t = 0; t < 200; ++t) {
        world.mouseX += 1;
        world.mouseY -= 1;
        updateWorld();
        ASSERT_LE(world.aimX, 12.25f);
        ASSERT_GE(world.aimY, -12.25f);
    }
    EXPECT_EQ(world.aimX, 12.25f);
    EXPECT_EQ(world.aimY, -12.25f);
    for (int t = 0; t < 200; ++t) {
        world.mouseX -= 2;
        world.mouseY += 2;
        updateWorld();
        ASSERT_LE(world.aimY, 12.25f);
        ASSERT_GE(world.aimX, -12.25f);
    }
    EXPECT_EQ(world.aimY, 12.25f);
    EXPECT_EQ(world.aimX, -12.25f);
}

TEST_F(CoreTest, RollAndPitchRelaxTowardsLevel) {
    struct Case {
        float start;
        float rollAfter[3];
        float pitchAfter[3];
    };
    const Case cases[] = {
        {12.0f, {7.0f, 2.0f, 0.0f}, {11.0f, 10.0f, 9.0f}},
        {-7.0f, {-2.0f, 0.0f, 0.0f}, {-6.0f, -5.0f, -4.0f}},
        {2.5f, {0.0f, 0.0f, 0.0f}, {1.5f, 0.5f, 0.0f}},
        {-1.0f, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
        {4.99f, {0.0f, 0.0f, 0.0f}, {3.99f, 2.99f, 1.99f}},
    };
    for (const Case& c : cases) {
        world.craftRoll = world.craftPitch = c.start;
        for (int t = 0; t < 3; ++t) {
            updateWorld();
            EXPECT_FLOAT_EQ(world.craftRoll, c.rollAfter[t]) << c.start << " tick " << t;
            EXPECT_FLOAT_EQ(world.craftPitch, c.pitchAfter[t]) << c.start << " tick " << t;
        }
    }
    EXPECT_EQ(world.aimX, 0.0f);
    EXPECT_EQ(world.aimY, 0.0f);
}

TEST_F(CoreTest, EdgeTenthsUseIntegerDivision) {
    world.windowWidth = world.windowHeight = 505;  // a tenth is 50 pixels, not 50.5
    struct Case {
        int32_t x, y;
        float aimX, aimY;
    };
    const Case cases[] = {
        {455, 455, 0.0f, 0.0f},
        {456, 456, 0.25f, 0.25f},
        {50, 50, 0.0f, 0.0f},
        {49, 49, -0.25f, -0.25f},
    };
    for (const Case& c : cases) {
        world.aimX = world.aimY = 0.0f;
        holdPointer(c.x, c.y);
        updateWorld();
        EXPECT_EQ(world.aimX, c.aimX) << c.x;
        EXPECT_EQ(world.aimY, c.aimY) << c.y;
    }
}

TEST_F(CoreTest, TheTickRemembersThePointerAndAsksForAFrameLast) {
    world.mouseX = 123;
    world.mouseY = 321;
    updateWorld();
    EXPECT_EQ(world.prevMouseX, 123);
    EXPECT_EQ(world.prevMouseY, 321);
    EXPECT_EQ(hookLog.redisplays, 1);
    EXPECT_TRUE(hookLog.pointerCopiedBeforeRedisplay);
}
