// A minute of random pointer moves, clicks and keys on the game (run in the
// sanitized build): the game must keep running and quit cleanly, without a report.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "checks.h"
#include "game_run.h"

namespace {

// Ten random actions for one xdotool run, with short pauses between them.
std::vector<std::string> randomActions(std::mt19937& rng, const GameWindow& w) {
    static const char* const keys[] = {"space", "r", "R",      "p", "P",      "s",  "S", "h",
                                       "H",     "x", "Escape", "1", "Return", "Up", "a"};
    std::uniform_int_distribution<int> percent(0, 99), column(0, w.width - 1), row(0, w.height - 1);
    std::uniform_int_distribution<size_t> key(0, std::size(keys) - 1);
    std::vector<std::string> actions;
    for (int i = 0; i < 10; ++i) {
        int roll = percent(rng);
        if (roll < 50)
            actions.insert(actions.end(), {"mousemove", std::to_string(w.x + column(rng)),
                                           std::to_string(w.y + row(rng))});
        else if (roll < 65)
            actions.insert(actions.end(), {"click", "1"});
        else if (roll < 75)
            actions.insert(actions.end(), {"click", "3"});
        else if (roll < 78)
            actions.insert(actions.end(), {"click", "2"});
        else
            actions.insert(actions.end(), {"key", keys[key(rng)]});
        actions.insert(actions.end(), {"sleep", "0.03"});
    }
    return actions;
}

}  // namespace

TEST(RandomInput, MinuteOfRandomInputEndsCleanlyWithoutSanitizerReport) {
    GameRun game;
    ASSERT_TRUE(game.start({}, {"UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"}));
    ASSERT_TRUE(game.waitUntilShown(slowStart)) << game.output() << game.errors();
    std::mt19937 rng(20260101);
    double deadline = monotonicSeconds() + 60;
    int batches = 0;
    while (monotonicSeconds() < deadline && game.running()) {
        inputSequence(randomActions(rng, game.window));
        ++batches;
    }
    ASSERT_TRUE(game.running()) << "ended early: " << describe(game.end) << "\n" << game.errors();
    movePointer(game.window, 250, 250);  // keys go to the window under the pointer
    ExitResult end = game.quit(slowStart);
    EXPECT_TRUE(end.exited && end.status == 0) << describe(end) << "\n" << game.errors();
    EXPECT_TRUE(noSanitizerReport(game.errors()));
    std::printf("%d random actions in 60 s\n", batches * 10);
    EXPECT_GT(batches, 20);
}
