// Playing the real game: weapons, steering, pause and hyperspeed, seen on screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "checks.h"
#include "game_run.h"

namespace {

// The lower middle of the window, between the crosshair and the craft, where
// shots fired from the aim point are seen leaving the craft.
const Rect shotArea = {200, 255, 100, 120};

Image waitForRocketsBar(GameRun& game, int length, double timeoutSeconds) {
    double deadline = monotonicSeconds() + timeoutSeconds;
    Image image = game.shot();
    while (std::abs(rocketsBar(image).length - length) > 1 && monotonicSeconds() < deadline) {
        sleepSeconds(0.25);
        image = game.shot();
    }
    return image;
}

}  // namespace

// A right click takes one unit off the rockets bar while the rocket flies (at most
// 164 ticks, about 7 s) and lights its surroundings orange; the unit comes back after.
TEST(Weapons, RightClickFiresRocketThatHoldsOneUnitOfTheBarWhileItFlies) {
    GameRun game;
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    sleepSeconds(0.6);
    Image before = game.shot();
    ASSERT_NEAR(rocketsBar(before).length, 75, 1);

    clickButton(3);
    sleepSeconds(0.3);
    Image flying = game.shot();
    Bar bar = rocketsBar(flying);
    EXPECT_NEAR(bar.length, 2 * pixelsPerUnit, 1);
    EXPECT_NEAR(bar.start, 250 - 1.0 * pixelsPerUnit, 1) << "still centred";
    int orangeBefore = countPixels(before, sceneArea(before), isOrangeLit);
    int orangeFlying = countPixels(flying, sceneArea(flying), isOrangeLit);
    EXPECT_GT(orangeFlying, orangeBefore + 100) << "the rocket's light shows orange";

    Image after = waitForRocketsBar(game, 75, 20);
    EXPECT_NEAR(rocketsBar(after).length, 75, 1) << "the unit returns when the rocket ends";
    EXPECT_NEAR(livesBar(after).length, 125, 1);
    EXPECT_LT(countPixels(after, sceneArea(after), isOrangeLit) * 10, orangeFlying)
        << "its light is off";
    keepIfFailed(before, "before");
    keepIfFailed(flying, "flying");
    keepIfFailed(after, "after");
    EXPECT_EQ(game.quit().status, 0);
    EXPECT_TRUE(noSanitizerReport(game.errors()));
}

// A left click and the space bar each fire a blue bullet from the aim point.
TEST(Weapons, LeftClickAndSpaceBarFireBullets) {
    GameRun game;
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    sleepSeconds(0.5);
    EXPECT_EQ(countPixels(game.shot(), shotArea, isBulletBlue), 0);

    // Paused right after the shot, so the bullet stands still in front of the craft.
    inputSequence({"click", "1", "key", "p"});
    sleepSeconds(0.3);
    Image clicked = game.shot();
    EXPECT_GE(countPixels(clicked, shotArea, isBulletBlue), 2) << "bullet from the left click";
    keepIfFailed(clicked, "clicked");

    pressKey("p");
    double deadline = monotonicSeconds() + 15;  // a bullet flies at most 49 ticks, about 2 s
    int blue = countPixels(game.shot(), shotArea, isBulletBlue);
    while (blue > 0 && monotonicSeconds() < deadline) {
        sleepSeconds(0.2);
        blue = countPixels(game.shot(), shotArea, isBulletBlue);
    }
    EXPECT_EQ(blue, 0) << "the bullet is gone";

    inputSequence({"key", "space", "key", "p"});
    sleepSeconds(0.3);
    EXPECT_GE(countPixels(game.shot(), shotArea, isBulletBlue), 2) << "bullet from the space bar";
    EXPECT_EQ(game.quit().status, 0);
}

// 'p' freezes the picture and hides the crosshair; 'P' resumes.
TEST(Pause, PKeyFreezesPictureAndPResumes) {
    GameRun game;
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    sleepSeconds(0.5);
    pressKey("p");
    sleepSeconds(0.3);  // the tick already armed still runs once
    Image first = game.shot();
    sleepSeconds(1.0);
    Image second = game.shot();
    EXPECT_EQ(differingPixels(first, second, {0, 0, 500, 500}), 0) << "frozen while paused";
    EXPECT_EQ(crosshairArms(first), 0) << "no crosshair while paused";
    EXPECT_NEAR(livesBar(first).length, 125, 1);
    EXPECT_NEAR(rocketsBar(first).length, 75, 1);

    pressKey("P");
    sleepSeconds(0.3);
    Image third = game.shot();
    sleepSeconds(1.0);
    Image fourth = game.shot();
    EXPECT_GT(differingPixels(third, fourth, sceneArea(third)), 200) << "moving again";
    EXPECT_EQ(crosshairArms(fourth), 4);
    EXPECT_EQ(game.quit().status, 0);
}

// 's' makes every star streak six times as long; 'S' brings the same picture back.
TEST(Hyperspeed, SKeyLengthensStarStreaksAndSAgainRestoresThem) {
    GameRun game;
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    sleepSeconds(0.5);
    pressKey("p");  // paused, so only the toggle changes the picture
    sleepSeconds(0.3);
    Image normal = game.shot();
    pressKey("s");
    sleepSeconds(0.3);
    Image streaks = game.shot();
    pressKey("S");
    sleepSeconds(0.3);
    Image back = game.shot();

    Rect sky = sceneArea(normal);
    int lit = countPixels(normal, sky, isLit), litLong = countPixels(streaks, sky, isLit);
    EXPECT_GT(lit, 100);
    EXPECT_GT(litLong, 2 * lit) << "streaks " << lit << " -> " << litLong << " lit pixels";
    EXPECT_EQ(differingPixels(normal, back, {0, 0, 500, 500}), 0);
    keepIfFailed(normal, "normal");
    keepIfFailed(streaks, "streaks");
    EXPECT_EQ(game.quit().status, 0);
}

// The pointer resting in the right tenth moves the aim right: the asteroids move
// left on screen, while the craft and the overlay stay where they are. Each
// interval runs between pauses; a first one without steering shows how far the
// approach alone moves the picture.
TEST(Steering, PointerInRightTenthShiftsSceneLeftWhileCraftAndOverlayStay) {
    Image texts = startTexts();
    ASSERT_FALSE(texts.empty());
    GameRun game;
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    sleepSeconds(6.0);  // asteroids drift in past the far plane; the craft's attitude settles
    pressKey("p");
    sleepSeconds(0.3);
    Image start = game.shot();

    inputSequence({"key", "p", "sleep", "0.3", "key", "p"});
    sleepSeconds(0.3);
    Image unsteered = game.shot();

    // Out to the right tenth and back: the bank the two moves add cancels out.
    int x = game.window.x, y = game.window.y + 250;
    inputSequence({"key", "p", "mousemove", std::to_string(x + 475), std::to_string(y), "sleep",
                   "0.3", "mousemove", std::to_string(x + 250), std::to_string(y), "sleep", "0.05",
                   "key", "p"});
    sleepSeconds(0.3);
    Image steered = game.shot();

    Rect asteroidBand = {0, 40, 500, 280};
    int drift = bestHorizontalShift(start, unsteered, asteroidBand, 160);
    int shift = bestHorizontalShift(unsteered, steered, asteroidBand, 160);
    std::printf("scene moved %d px in the steered interval, %d px in the unsteered one\n", shift,
                drift);
    EXPECT_LT(shift, drift - 20);

    for (const Image* image : {&unsteered, &steered}) {
        EXPECT_EQ(compareText(*image, texts, scoreArea).missing, 0);
        EXPECT_EQ(compareText(*image, texts, levelArea).missing, 0);
        EXPECT_NEAR(livesBar(*image).start, 250 - 2.5 * pixelsPerUnit, 1);
        EXPECT_NEAR(rocketsBar(*image).start, 250 - 1.5 * pixelsPerUnit, 1);
    }
    int craft = 0, kept = 0;
    for (int row = 300; row < 500; ++row)
        for (int col = 100; col < 400; ++col)
            if (isCraftGrey(unsteered.at(col, row))) {
                ++craft;
                Rgb p = unsteered.at(col, row), q = steered.at(col, row);
                kept += p.r == q.r && p.g == q.g && p.b == q.b ? 1 : 0;
            }
    EXPECT_GT(craft, 500);
    EXPECT_GT(kept, craft * 95 / 100) << "the craft stays put: " << kept << " of " << craft;
    keepIfFailed(start, "start");
    keepIfFailed(unsteered, "unsteered");
    keepIfFailed(steered, "steered");
    EXPECT_EQ(game.quit().status, 0);
}

// A picture of the game in play for the README: two rockets in flight, their
// orange light on the craft and the asteroids, and their smoke.
TEST(Screenshot, GameInPlayIsSavedAsPng) {
    GameRun game;
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    sleepSeconds(4.0);
    inputSequence({"click", "3",     "sleep", "0.2", "key",   "space", "sleep", "0.2",
                   "key",   "space", "sleep", "0.2", "click", "3",     "sleep", "0.2",
                   "key",   "space", "sleep", "0.2", "key",   "space", "sleep", "0.2",
                   "click", "1",     "sleep", "0.2", "click", "1"});
    sleepSeconds(0.3);
    Image image = game.shot();
    ASSERT_FALSE(image.empty());
    EXPECT_TRUE(writePng(SKORVANE_SCREENSHOT, image)) << SKORVANE_SCREENSHOT;
    EXPECT_EQ(game.quit().status, 0);
}
