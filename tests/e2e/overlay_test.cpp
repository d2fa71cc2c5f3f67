// The window and the overlay at the start of a game: bars, score, level, crosshair.
#include <gtest/gtest.h>

#include "checks.h"
#include "game_run.h"
#include "reference_text.h"

TEST(Overlay, WindowIsTitledSkorvaneSized500AndPlacedAt100) {
    GameRun game;
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    EXPECT_EQ(game.window.x, 100);
    EXPECT_EQ(game.window.y, 100);
    EXPECT_EQ(game.window.width, 500);
    EXPECT_EQ(game.window.height, 500);
    EXPECT_EQ(game.quit().status, 0);
}

// Lives bar 5 units, rockets bar 3 units, both centred; "0" and "LEVEL 1" where
// GLUT's font puts them; the crosshair with its open centre.
TEST(Overlay, StartOfGameShowsFullBarsScoreLevelAndCrosshair) {
    Image reference = startTexts();
    ASSERT_FALSE(reference.empty());
    GameRun game;
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitUntilShown()) << game.output() << game.errors();
    sleepSeconds(0.3);
    Image image = game.shot();
    ASSERT_EQ(image.width, 500);
    ASSERT_EQ(image.height, 500);

    Bar lives = livesBar(image);
    EXPECT_NEAR(lives.length, 5 * pixelsPerUnit, 1);
    EXPECT_NEAR(lives.start, 250 - 2.5 * pixelsPerUnit, 1);
    EXPECT_NEAR(lives.thickness, 8, 1);
    EXPECT_NEAR(lives.row, 12.5, 4.5);
    Bar rockets = rocketsBar(image);
    EXPECT_NEAR(rockets.length, 3 * pixelsPerUnit, 1);
    EXPECT_NEAR(rockets.start, 250 - 1.5 * pixelsPerUnit, 1);
    EXPECT_NEAR(rockets.thickness, 5, 1);
    EXPECT_NEAR(rockets.row, 25, 3);

    TextMatch score = compareText(image, reference, scoreArea);
    EXPECT_GT(score.referencePixels, 20);
    EXPECT_EQ(score.missing, 0) << "score \"0\" at (-9.5, 9)";
    EXPECT_LE(score.extra, 8) << "only the heads of stars passing behind the text";
    TextMatch level = compareText(image, reference, levelArea);
    EXPECT_GT(level.referencePixels, 100);
    EXPECT_EQ(level.missing, 0) << "\"LEVEL 1\" at (6.5, 9)";
    EXPECT_LE(level.extra, 8);

    EXPECT_EQ(crosshairArms(image), 4);
    EXPECT_EQ(crosshairCentre(image), 0);
    keepIfFailed(image, "start");
    EXPECT_EQ(game.quit().status, 0);
}
