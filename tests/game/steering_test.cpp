// Steering: the aim follows the pointer, the craft banks and pitches, then relaxes.
#include "core_fixture.h"

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
        tick();
        ASSERT_EQ(world.aimX, 0.25f * static_cast<float>(t));
        ASSERT_EQ(world.craftRoll, 3.0f);
    }
    tick();
    EXPECT_EQ(world.aimX, 12.25f);
    EXPECT_EQ(world.craftRoll, 0.0f);  // relaxes once the aim can go no further
    EXPECT_EQ(world.aimY, 0.0f);
}

TEST_F(CoreTest, FastPointerMovesBankAndClampTheAimOnBothAxes) {
    world.mouseX += 10;
    world.mouseY += 10;
    tick();
    EXPECT_TRUE(world.craftRoll == -2.0f && world.craftPitch == 0.5f);
    EXPECT_TRUE(world.aimX == 0.25f && world.aimY == 0.25f);
    world.mouseX -= 10;
    world.mouseY -= 15;
    tick();
    EXPECT_EQ(world.craftRoll, 0.0f);
    EXPECT_FLOAT_EQ(world.craftPitch, 0.5f - 1.0f);
    EXPECT_TRUE(world.aimX == 0.0f && world.aimY == 0.0f);
    // Sweep well beyond the clamps, staying inside the window.
    for (int dir : {1, -2}) {
        for (int t = 0; t < 200; ++t) {
            world.mouseX += dir;
            world.mouseY -= dir;
            tick();
            ASSERT_TRUE(std::fabs(world.aimX) <= 12.25f && std::fabs(world.aimY) <= 12.25f);
        }
        EXPECT_EQ(world.aimX, dir > 0 ? 12.25f : -12.25f);
        EXPECT_EQ(world.aimY, dir > 0 ? -12.25f : 12.25f);
    }
}

TEST_F(CoreTest, RollAndPitchRelaxTowardsLevel) {
    struct Case {
        float start, rollAfter[3], pitchAfter[3];
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
            tick();
            EXPECT_FLOAT_EQ(world.craftRoll, c.rollAfter[t]) << c.start << " tick " << t;
            EXPECT_FLOAT_EQ(world.craftPitch, c.pitchAfter[t]) << c.start << " tick " << t;
        }
    }
    EXPECT_TRUE(world.aimX == 0.0f && world.aimY == 0.0f);
}

TEST_F(CoreTest, EdgeTenthsUseIntegerDivision) {
    world.windowWidth = world.windowHeight = 505;  // a tenth is 50 pixels, not 50.5
    const struct {
        int32_t at;
        float aim;
    } cases[] = {{455, 0.0f}, {456, 0.25f}, {50, 0.0f}, {49, -0.25f}};
    for (const auto& c : cases) {
        world.aimX = world.aimY = 0.0f;
        holdPointer(c.at, c.at);
        tick();
        EXPECT_TRUE(world.aimX == c.aim && world.aimY == c.aim) << c.at;
    }
}
