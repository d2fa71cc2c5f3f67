// Twenty seconds of play under valgrind's memcheck: no invalid read or write and
// no use of uninitialised values (suppressions cover system libraries only).
#include <gtest/gtest.h>

#include "checks.h"
#include "game_run.h"

TEST(Valgrind, TwentySecondsOfPlayShowNoMemoryErrors) {
    GameRun game;
    game.fixedClock = false;  // nothing preloaded beside valgrind's own
    std::string log = game.path("valgrind.txt");
    ASSERT_TRUE(
        game.start({SKORVANE_VALGRIND, "--tool=memcheck", "--error-exitcode=99",
                    "--suppressions=" SKORVANE_VALGRIND_SUPPRESSIONS, "--gen-suppressions=all",
                    "--num-callers=40", "--log-file=" + log, gameBinary()}));
    ASSERT_TRUE(game.waitUntilShown(240)) << game.errors() << readFile(log);

    double end = monotonicSeconds() + 20;
    const std::vector<std::vector<std::string>> rounds = {
        {"mousemove", "--window", std::to_string(game.window.id), "300", "200", "click", "1"},
        {"click", "3", "key", "space"},
        {"key", "s", "mousemove", "--window", std::to_string(game.window.id), "480", "250"},
        {"key", "p", "key", "h", "click", "1", "key", "p"},
        {"mousemove", "--window", std::to_string(game.window.id), "20", "480", "key", "r"},
        {"key", "s", "mousemove", "--window", std::to_string(game.window.id), "250", "250"},
    };
    for (size_t i = 0; monotonicSeconds() < end && game.running(); ++i) {
        inputSequence(rounds[i % rounds.size()]);
        sleepSeconds(0.5);
    }
    ASSERT_TRUE(game.running()) << readFile(log);
    ExitResult result = game.quit(240);
    std::string report = readFile(log);
    EXPECT_TRUE(result.exited && result.status == 0) << describe(result) << "\n" << report;
    EXPECT_NE(report.find("ERROR SUMMARY: 0 errors"), std::string::npos) << report;
}
