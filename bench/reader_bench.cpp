// Times the file readers: the game's own loading, a large mesh and a large picture.
#include "assets/bitmap.h"
#include "assets/mesh.h"
#include "bench/bench_report.h"
#include "bench/large_inputs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

// About 1.3 million triangles.
constexpr int meshSide = 806;

// The readers echo what they read; the bench keeps that off the console.
class QuietStdout {
public:
    QuietStdout() {
        std::cout.flush();
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        close(devNull);
    }
    ~QuietStdout() {
        std::cout.flush();
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved_;
};

std::string scratchPath(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/skorvane-bench-" + std::to_string(getpid()) + "-" + name;
}

std::vector<std::string>& scratchFiles() {
    static std::vector<std::string> files;
    return files;
}

size_t fileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
}

void removeScratchFiles() {
    for (const std::string& f : scratchFiles()) std::remove(f.c_str());
}

// Written once per process, removed at exit; attributeEvery is 0, 1 or 10.
const std::string& largeMesh(int attributeEvery, size_t& bytes) {
    static std::string paths[11];
    static size_t sizes[11];
    std::string& path = paths[attributeEvery];
    if (path.empty()) {
        path = scratchPath(("mesh-" + std::to_string(attributeEvery) + ".m").c_str());
        if (scratchFiles().empty()) std::atexit(removeScratchFiles);
        scratchFiles().push_back(path);
        assetwriters::writeMesh(path.c_str(), largeinputs::heightField(meshSide, attributeEvery));
        sizes[attributeEvery] = fileSize(path);
    }
    bytes = sizes[attributeEvery];
    return path;
}

const std::string& largeBitmap() {
    static std::string path;
    if (path.empty()) {
        path = scratchPath("1024.bmp");
        if (scratchFiles().empty()) std::atexit(removeScratchFiles);
        scratchFiles().push_back(path);
        assetwriters::writeBmp24(path.c_str(), largeinputs::noisePicture(1024, 1024));
    }
    return path;
}

// Empties the Mesh and gives its memory back, so every load starts as the game's does.
void releaseMesh() {
    Mesh empty;
    std::swap(mesh, empty);
}

void loadLargeMesh(benchmark::State& state, int attributeEvery) {
    size_t bytes = 0;
    const std::string& path = largeMesh(attributeEvery, bytes);
    QuietStdout quiet;
    for (auto _ : state) {
        loadMesh(path.c_str());
        state.PauseTiming();
        if (mesh.faces.size() != static_cast<size_t>(2 * meshSide * meshSide)) state.SkipWithError("faces lost");
        releaseMesh();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}

void BM_LargeMeshPlain(benchmark::State& state) { loadLargeMesh(state, 0); }
void BM_LargeMeshSomeAttributes(benchmark::State& state) { loadLargeMesh(state, 10); }
void BM_LargeMeshAllAttributes(benchmark::State& state) { loadLargeMesh(state, 1); }

void BM_LargeBitmap(benchmark::State& state) {
    const std::string& path = largeBitmap();
    for (auto _ : state) {
        BitmapImage image;
        if (!loadBitmap(path.c_str(), image)) state.SkipWithError("picture not read");
        benchmark::DoNotOptimize(image.pixels.get());
    }
}

// The game's own loading at start-up: the craft and the three pictures, as initGame reads them.
void BM_GameFiles(benchmark::State& state) {
    std::string dir = SKORVANE_DATA_DIR "/";
    std::string files[4] = {dir + "cessna500.m", dir + "asteroid.bmp", dir + "fire.bmp", dir + "smoke.bmp"};
    QuietStdout quiet;
    for (auto _ : state) {
        loadMesh(files[0].c_str());
        for (int i = 1; i < 4; ++i) {
            BitmapImage image;
            if (!loadBitmap(files[i].c_str(), image)) state.SkipWithError("bundled picture not read");
        }
        state.PauseTiming();
        releaseMesh();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_GameFiles)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LargeMeshPlain)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LargeMeshSomeAttributes)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LargeMeshAllAttributes)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LargeBitmap)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    return benchreport::runBenchmarks(argc, argv, {
        {"BM_GameFiles", "game's own loading (mesh + 3 pictures)", nullptr, 1e-6, "ms", true, 5.0},
        {"BM_LargeMeshPlain", "mesh reader, 1.3 M triangles", "bytes_per_second", 1e-6, "MB/s", false, 600.0},
        {"BM_LargeMeshSomeAttributes", "mesh reader, 1.3 M triangles, every 10th with attributes", "bytes_per_second",
         1e-6, "MB/s", false, 600.0},
        {"BM_LargeMeshAllAttributes", "mesh reader, 1.3 M triangles, all with attributes", "bytes_per_second", 1e-6,
         "MB/s", false, 600.0},
        {"BM_LargeBitmap", "BMP 1024 x 1024, read + colour swap", nullptr, 1e-6, "ms", true, 2.0},
    });
}
