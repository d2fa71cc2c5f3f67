// Times the file readers: the game's own loading, a 1.3 M-triangle mesh, a 1024 x 1024 picture.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets/bitmap.h"
#include "assets/mesh.h"
#include "bench/quiet_stdout.h"
#include "tools/asset_writers.h"

namespace {

constexpr int meshSide = 806;  // quads a side, two triangles each: about 1.3 million
constexpr uint32_t pictureSide = 1024;

// A file of this run in the temporary folder, removed at exit.
struct ScratchFile {
    std::string path;
    explicit ScratchFile(const char* name) {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir && *dir ? dir : "/tmp") + "/skorvane-bench-" +
               std::to_string(getpid()) + "-" + name;
    }
    ~ScratchFile() { std::remove(path.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
};

// A gently rolling height field, every face counter-clockwise from above.
assetwriters::MeshText heightField() {
    assetwriters::MeshText text;
    for (int row = 0; row <= meshSide; ++row) {
        for (int col = 0; col <= meshSide; ++col) {
            float z = 0.25f * static_cast<float>((row * 7 + col * 13) % 97) / 97.0f - 0.125f;
            text.vertices.push_back({static_cast<float>(col) * 0.0137f - 5.5f,
                                     static_cast<float>(row) * 0.0119f - 4.75f, z});
        }
    }
    for (int row = 0; row < meshSide; ++row) {
        for (int col = 0; col < meshSide; ++col) {
            int v00 = row * (meshSide + 1) + col + 1;
            int v10 = v00 + meshSide + 1;
            text.faces.push_back({v00, v00 + 1, v10 + 1});
            text.faces.push_back({v00, v10 + 1, v10});
        }
    }
    return text;
}

assetwriters::RgbPicture noisePicture() {
    assetwriters::RgbPicture picture;
    picture.width = picture.height = pictureSide;
    picture.rgb.resize(static_cast<size_t>(pictureSide) * pictureSide * 3);
    for (size_t i = 0; i < picture.rgb.size(); ++i)
        picture.rgb[i] = static_cast<unsigned char>((i * 2654435761u) >> 24);
    return picture;
}

// The game's own loading at start-up: the craft and the three pictures, as initGame reads them.
void BM_GameLoading(benchmark::State& state) {
    const std::string dir = SKORVANE_DATA_DIR "/";
    const std::string meshFile = dir + "cessna500.m";
    QuietStdout quiet;
    for (auto _ : state) {
        state.PauseTiming();
        mesh = Mesh{};  // the game reads into an empty Mesh
        state.ResumeTiming();
        loadMesh(meshFile.c_str());
        for (const char* name : {"asteroid.bmp", "fire.bmp", "smoke.bmp"}) {
            BitmapImage image;
            if (!loadBitmap((dir + name).c_str(), image))
                state.SkipWithError("a picture of the game was not read");
        }
    }
    if (mesh.faces.empty()) state.SkipWithError("the craft was not read");
}

// Emptied, not released: growing two fresh 24 MB lists costs over 0.1 s of page faults here.
bool readLargeMesh(const std::string& path) {
    mesh.vertices.clear();
    mesh.faces.clear();
    std::FILE* text = std::fopen(path.c_str(), "r");
    if (!text) return false;
    readMeshStream(text, "heightfield.m");
    std::fclose(text);
    return mesh.faces.size() == 2u * meshSide * meshSide;
}

void BM_Mesh1300kTriangles(benchmark::State& state) {
    static const ScratchFile file("heightfield.m");
    // Written once a run, and read once off the clock so that the lists have grown.
    static const bool ready =
        assetwriters::writeMesh(file.path.c_str(), heightField()) && readLargeMesh(file.path);
    struct stat info {};
    if (!ready || stat(file.path.c_str(), &info) != 0) state.SkipWithError("the mesh was not read");
    for (auto _ : state) {
        if (!readLargeMesh(file.path)) state.SkipWithError("faces were lost");
    }
    state.SetBytesProcessed(static_cast<int64_t>(info.st_size) * state.iterations());
}

void BM_Bmp1024(benchmark::State& state) {
    static const ScratchFile file("1024.bmp");
    static const bool written = assetwriters::writeBmp24(file.path.c_str(), noisePicture());
    if (!written) state.SkipWithError("the picture was not written");
    for (auto _ : state) {
        BitmapImage image;
        if (!loadBitmap(file.path.c_str(), image)) state.SkipWithError("the picture was not read");
        benchmark::DoNotOptimize(image.pixels.get());
    }
}

BENCHMARK(BM_GameLoading)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mesh1300kTriangles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bmp1024)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
