// Times updateWorld at full load and at the start of a game.
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench/full_load.h"
#include "game/random.h"
#include "game/tick.h"
#include "game/world.h"

namespace {

// Ticks run from one prepared World before it is restored: few enough that every
// shot, flash, fire-ball and particle of the full load is still there at the end.
constexpr int ticksPerBatch = 4;

World startOfGame() {
    seedRandom(20261206u);
    world = World{};
    world.windowWidth = 500;
    world.windowHeight = 500;
    newGame();
    return world;
}

World fullLoad() {
    World w = startOfGame();
    fullload::fillFullLoad(w);
    return w;
}

// One iteration is one tick; restoring the World is left off the clock.
void runTicks(benchmark::State& state, const World& prepared) {
    int ticksLeft = 0;
    for (auto _ : state) {
        if (ticksLeft == 0) {
            world = prepared;
            ticksLeft = ticksPerBatch;
        }
        --ticksLeft;
        auto start = std::chrono::steady_clock::now();
        updateWorld();
        std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(spent.count());
    }
}

void BM_TickFullLoad(benchmark::State& state) {
    static const World prepared = fullLoad();
    runTicks(state, prepared);
}

void BM_TickStartOfGame(benchmark::State& state) {
    static const World prepared = startOfGame();
    runTicks(state, prepared);
}

BENCHMARK(BM_TickFullLoad)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickStartOfGame)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
