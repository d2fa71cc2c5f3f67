// Preloaded into the game by the frame bench: counts buffer swaps, times start-up and texture
// uploads, and can hold the World at full load, all from outside the game's own code.
#include "bench/full_load.h"
#include "game/world.h"

#include <GL/gl.h>
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Settings {
    const char* out = nullptr;  // no file: the shim only passes calls on
    bool startupOnly = false;   // end the process right after the first swap
    bool fullLoad = false;
    fullload::Shape loadShape = fullload::burningField;
    double t0 = 0;              // when the driver started the process, monotonic seconds
    double warmup = 1.0;
    double window = 3.0;
};

Settings settings;
double loadedAt = 0;    // when the shim was loaded, after the dynamic linker's work
double windowAt = 0;    // glutCreateWindow returned
double mainLoopAt = 0;  // glutMainLoop entered: the program's own set-up is done
double firstSwapAt = 0;
double countFrom = 0;
long framesCounted = 0;
double uploadSeconds = 0;  // inside glTexImage2D
World* liveWorld = nullptr;
World heldLoad;

// What the counted frames showed, summed over them.
struct SceneSums {
    double rockets = 0, bullets = 0, trail = 0, debris = 0, fireballs = 0;
};
SceneSums sums;

double now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double envNumber(const char* name, double fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtod(text, nullptr) : fallback;
}

__attribute__((constructor)) void readSettings() {
    loadedAt = now();
    settings.out = std::getenv("SKV_BENCH_OUT");
    const char* mode = std::getenv("SKV_BENCH_MODE");
    settings.startupOnly = mode && std::strcmp(mode, "startup") == 0;
    const char* fill = std::getenv("SKV_BENCH_FILL");
    settings.fullLoad = fill && (std::strcmp(fill, "burning") == 0 || std::strcmp(fill, "every") == 0);
    settings.loadShape = fill && std::strcmp(fill, "every") == 0 ? fullload::everySlot : fullload::burningField;
    settings.t0 = envNumber("SKV_BENCH_T0", 0.0);
    settings.warmup = envNumber("SKV_BENCH_WARMUP", 1.0);
    settings.window = envNumber("SKV_BENCH_SECONDS", 3.0);
}

int findMainBase(dl_phdr_info* info, size_t, void* base) {
    *static_cast<ElfW(Addr)*>(base) = info->dlpi_addr;
    return 1;  // the main program comes first
}

// The symbol table of the executable itself, read from the file, then shifted by the load base.
World* findWorldInSymbolTable() {
    int fd = open("/proc/self/exe", O_RDONLY);
    if (fd < 0) return nullptr;
    struct stat st;
    void* map = fstat(fd, &st) == 0 ? mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0)
                                    : MAP_FAILED;
    close(fd);
    if (map == MAP_FAILED) return nullptr;
    const char* file = static_cast<const char*>(map);
    const auto* header = reinterpret_cast<const ElfW(Ehdr)*>(file);
    const auto* sections = reinterpret_cast<const ElfW(Shdr)*>(file + header->e_shoff);
    World* found = nullptr;
    for (int s = 0; s < header->e_shnum && !found; ++s) {
        if (sections[s].sh_type != SHT_SYMTAB) continue;
        const auto* symbols = reinterpret_cast<const ElfW(Sym)*>(file + sections[s].sh_offset);
        const char* names = file + sections[sections[s].sh_link].sh_offset;
        size_t count = sections[s].sh_size / sizeof(ElfW(Sym));
        for (size_t i = 0; i < count; ++i) {
            if (ELF64_ST_TYPE(symbols[i].st_info) != STT_OBJECT || symbols[i].st_size != sizeof(World)) continue;
            if (std::strcmp(names + symbols[i].st_name, "world") != 0) continue;
            ElfW(Addr) base = 0;
            dl_iterate_phdr(findMainBase, &base);
            found = reinterpret_cast<World*>(base + symbols[i].st_value);
            break;
        }
    }
    munmap(map, static_cast<size_t>(st.st_size));
    return found;
}

World* findWorld() {
    if (void* exported = dlsym(RTLD_DEFAULT, "world")) return static_cast<World*>(exported);
    return findWorldInSymbolTable();
}

void writeResults(double end) {
    FILE* out = std::fopen(settings.out, "w");
    if (!out) return;
    double window = end - countFrom;
    std::fprintf(out, "startup_ms=%.3f\n", (firstSwapAt - settings.t0) * 1e3);
    std::fprintf(out, "loaded_ms=%.3f\n", (loadedAt - settings.t0) * 1e3);
    std::fprintf(out, "upload_ms=%.3f\n", uploadSeconds * 1e3);
    std::fprintf(out, "window_ms=%.3f\n", (windowAt - settings.t0) * 1e3);
    std::fprintf(out, "mainloop_ms=%.3f\n", (mainLoopAt - settings.t0) * 1e3);
    std::fprintf(out, "frames=%ld\nseconds=%.3f\n", framesCounted, window);
    if (window > 0) std::fprintf(out, "fps=%.1f\n", static_cast<double>(framesCounted) / window);
    if (settings.fullLoad) std::fprintf(out, "world=%s\n", liveWorld ? "found" : "missing");
    if (liveWorld && framesCounted > 0) {
        double n = static_cast<double>(framesCounted);
        std::fprintf(out, "rockets=%.1f\nbullets=%.1f\ntrail=%.0f\ndebris=%.0f\nfireballs=%.1f\n", sums.rockets / n,
                     sums.bullets / n, sums.trail / n, sums.debris / n, sums.fireballs / n);
    }
    std::fclose(out);
}

// Between two frames: the tick may have moved things on; put the full load back.
void holdFullLoad() {
    if (!liveWorld) return;
    *liveWorld = heldLoad;
}

bool shows(const Particle& p) {
    return p.life > 0 && p.size > 0;
}

void addScene(const World& w) {
    for (const Rocket& r : w.rockets) {
        sums.rockets += r.alive == 1;
        for (const Particle& p : r.trail) sums.trail += shows(p);
    }
    for (const Bullet& b : w.bullets) sums.bullets += b.alive == 1;
    for (const Asteroid& a : w.asteroids) {
        sums.fireballs += a.fireballRadius > 0;
        for (const Particle& p : a.debris) sums.debris += shows(p);
    }
}

void onFirstSwap(double t) {
    countFrom = t + settings.warmup;
    liveWorld = findWorld();
    if (settings.fullLoad && liveWorld) {
        heldLoad = *liveWorld;
        fullload::fillFullLoad(heldLoad, settings.loadShape);
    }
}

void afterSwap() {
    double t = now();
    if (firstSwapAt == 0) {
        firstSwapAt = t;
        if (settings.startupOnly) {
            writeResults(t);
            _exit(0);
        }
        onFirstSwap(t);
    }
    if (settings.fullLoad) holdFullLoad();
    if (t < countFrom) return;
    ++framesCounted;
    if (liveWorld) addScene(*liveWorld);
    if (t - countFrom >= settings.window) {
        writeResults(t);
        _exit(0);
    }
}

template <typename Fn>
Fn nextDefinition(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" void glutSwapBuffers() {
    static auto real = nextDefinition<void (*)()>("glutSwapBuffers");
    real();
    if (settings.out) afterSwap();
}

extern "C" int glutCreateWindow(const char* title) {
    static auto real = nextDefinition<int (*)(const char*)>("glutCreateWindow");
    int id = real(title);
    windowAt = now();
    return id;
}

extern "C" void glutMainLoop() {
    static auto real = nextDefinition<void (*)()>("glutMainLoop");
    mainLoopAt = now();
    real();
}

extern "C" void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void* pixels) {
    using Upload = void (*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
    static auto real = nextDefinition<Upload>("glTexImage2D");
    double start = now();
    real(target, level, internalFormat, width, height, border, format, type, pixels);
    uploadSeconds += now() - start;
}
