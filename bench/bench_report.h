// Turns Google Benchmark medians into rows of the bench table: figure, value, target, pass or miss.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace benchreport {

// One figure of the table, read from the median of a benchmark's repetitions.
struct Figure {
    const char* benchmark;  // the benchmark function's name
    const char* label;      // what the table calls it
    const char* counter;    // nullptr: real time per iteration; else a user counter
    double scale;           // multiplies the value read (unit change)
    const char* unit;
    bool atMost;            // target is an upper bound, else a lower bound
    double target;          // 0: reported without a target
};

// Keeps every median (or single run when there are no repetitions) while the console shows all.
class MedianKeeper : public benchmark::ConsoleReporter {
public:
    struct Kept { std::string name; double nanoseconds; benchmark::UserCounters counters; };
    std::vector<Kept> kept;

    MedianKeeper() : ConsoleReporter(OO_Tabular) {}  // plain text: it goes to a log file

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (run.error_occurred || !(median || single)) continue;
            double ns = run.GetAdjustedRealTime() * unitToNanoseconds(run.time_unit);
            kept.push_back({run.run_name.str(), ns, run.counters});
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    static double unitToNanoseconds(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kSecond: return 1e9;
            case benchmark::kMillisecond: return 1e6;
            case benchmark::kMicrosecond: return 1e3;
            default: return 1.0;
        }
    }
};

// Appends one table row; the table printer aligns the columns.
inline void writeRow(const char* rowsFile, const std::string& figure, const std::string& value,
                     const std::string& target, const std::string& verdict) {
    FILE* out = rowsFile ? std::fopen(rowsFile, "a") : stdout;
    if (!out) return;
    std::fprintf(out, "%s\t%s\t%s\t%s\n", figure.c_str(), value.c_str(), target.c_str(), verdict.c_str());
    if (out != stdout) std::fclose(out);
}

inline std::string formatValue(double value, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, value >= 100 ? "%.0f %s" : value >= 10 ? "%.1f %s" : "%.2f %s", value, unit);
    return text;
}

inline void writeFigures(const char* rowsFile, const MedianKeeper& keeper, const std::vector<Figure>& figures) {
    for (const Figure& f : figures) {
        const MedianKeeper::Kept* found = nullptr;
        for (const auto& k : keeper.kept)
            if (k.name.substr(0, k.name.find('/')) == f.benchmark) found = &k;
        if (!found) {
            writeRow(rowsFile, f.label, "not measured", "", "miss");
            continue;
        }
        double value = found->nanoseconds;
        if (f.counter) {
            auto c = found->counters.find(f.counter);
            value = c == found->counters.end() ? 0.0 : static_cast<double>(c->second);
        }
        value *= f.scale;
        std::string target, verdict;
        if (f.target > 0) {
            target = std::string(f.atMost ? "<= " : ">= ") + formatValue(f.target, f.unit);
            verdict = (f.atMost ? value <= f.target : value >= f.target) ? "pass" : "miss";
        }
        writeRow(rowsFile, f.label, formatValue(value, f.unit), target, verdict);
    }
}

// Takes "--rows FILE" off the command line; the rest goes to Google Benchmark.
inline const char* takeRowsOption(int& argc, char** argv) {
    const char* rows = nullptr;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rows") == 0 && i + 1 < argc) {
            rows = argv[++i];
            continue;
        }
        argv[kept++] = argv[i];
    }
    argc = kept;
    return rows;
}

// The main of every in-process bench: runs what the command line selects, then writes the rows.
inline int runBenchmarks(int argc, char** argv, const std::vector<Figure>& figures) {
    const char* rows = takeRowsOption(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    MedianKeeper keeper;
    benchmark::RunSpecifiedBenchmarks(&keeper);
    benchmark::Shutdown();
    writeFigures(rows, keeper, figures);
    return 0;
}

}  // namespace benchreport
