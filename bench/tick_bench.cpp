// Times updateWorld at full load and at the quiet start of a game.
#include "bench/bench_report.h"
#include "bench/full_load.h"
#include "game/random.h"
#include "game/tick.h"
#include "game/world.h"

#include <time.h>

#include <algorithm>
#include <vector>

namespace {

// Ticks run from one prepared World before it is restored; few enough that
// no fire-ball, flash or shot of the full load runs out on the way.
constexpr int ticksPerBatch = 8;

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

// The thread's own CPU time: the machine is shared, and time spent in other
// processes is not the tick's.
double threadSeconds() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Restores the World outside the clock and reports the time of one tick: the mean, as
// usual, and the median over the batches, which a batch cut into by another process
// (its caches refilled afterwards) does not move.
void runTicks(benchmark::State& state, const World& prepared) {
    std::vector<double> perTick;
    perTick.reserve(static_cast<size_t>(state.max_iterations));
    for (auto _ : state) {
        world = prepared;
        double start = threadSeconds();
        for (int i = 0; i < ticksPerBatch; ++i) updateWorld();
        benchmark::ClobberMemory();
        double seconds = (threadSeconds() - start) / ticksPerBatch;
        state.SetIterationTime(seconds);
        perTick.push_back(seconds);
    }
    std::nth_element(perTick.begin(), perTick.begin() + static_cast<long>(perTick.size() / 2), perTick.end());
    state.counters["median_ns"] = perTick.empty() ? 0.0 : perTick[perTick.size() / 2] * 1e9;
}

void BM_TickFullLoad(benchmark::State& state) {
    static const World prepared = fullLoad();
    runTicks(state, prepared);
}

void BM_TickStartOfGame(benchmark::State& state) {
    static const World prepared = startOfGame();
    runTicks(state, prepared);
}

BENCHMARK(BM_TickFullLoad)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TickStartOfGame)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    return benchreport::runBenchmarks(argc, argv, {
        {"BM_TickFullLoad", "tick, full load (median batch)", "median_ns", 1e-3, "us", true, 5.0},
        {"BM_TickStartOfGame", "tick, start of game (median batch)", "median_ns", 1e-3, "us", true, 0.0},
    });
}
