// Measures the real game under the current X display: start-up against a minimal freeglut
// program, and frames per second in four scenes, with the swap-counting shim preloaded.
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Options {
    std::string game, minimal, shim, data, rows;
    int runs = 5;
    int startupPairs = 12;
    double seconds = 3.0;
};

struct Scene {
    const char* label;
    double target;   // frames per second, at least
    const char* fill;  // the load the shim holds the World at, or nullptr
    bool shooting;   // rockets and a stream of bullets through real input
};

double monotonicNow() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void sleepSeconds(double s) {
    timespec ts{static_cast<time_t>(s), static_cast<long>((s - static_cast<double>(static_cast<time_t>(s))) * 1e9)};
    nanosleep(&ts, nullptr);
}

pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv, const std::string& dir,
            const std::string& log) {
    std::fflush(nullptr);  // or the child would write out the parent's buffered rows
    pid_t pid = fork();
    if (pid != 0) return pid;
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(127);
    FILE* out = std::freopen(log.c_str(), "a", stdout);
    if (out) dup2(fileno(out), STDERR_FILENO);
    for (const std::string& e : extraEnv) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

// Waits for the process to end by itself; ends it after the deadline.
bool waitFor(pid_t pid, double deadline) {
    double until = monotonicNow() + deadline;
    int status = 0;
    while (monotonicNow() < until) {
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        sleepSeconds(0.01);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
}

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

std::map<std::string, double> readResults(const std::string& path) {
    std::map<std::string, double> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string value = line.substr(eq + 1);
        values[line.substr(0, eq)] = value == "missing" ? -1 : value == "found" ? 1 : std::atof(value.c_str());
    }
    return values;
}

class Bench {
public:
    Bench(const Options& o, const std::string& work) : opt_(o), work_(work) {}

    // One run of a program with the shim; returns the shim's figures (empty on failure).
    std::map<std::string, double> run(const std::string& program, const std::string& mode, const Scene* scene) {
        std::string out = work_ + "/result.txt";
        std::remove(out.c_str());
        double warmup = scene && scene->shooting ? 2.5 : 1.0;
        std::vector<std::string> env = {"LD_PRELOAD=" + opt_.shim, "SKV_BENCH_OUT=" + out, "SKV_BENCH_MODE=" + mode,
                                        "SKV_BENCH_WARMUP=" + std::to_string(warmup),
                                        "SKV_BENCH_SECONDS=" + std::to_string(opt_.seconds),
                                        "LIBGL_ALWAYS_SOFTWARE=1"};
        if (scene && scene->fill) env.push_back(std::string("SKV_BENCH_FILL=") + scene->fill);
        char t0[64];
        double start = monotonicNow();
        std::snprintf(t0, sizeof t0, "SKV_BENCH_T0=%.9f", start);
        env.push_back(t0);
        pid_t pid = spawn({program}, env, work_ + "/data", work_ + "/programs.log");
        std::vector<pid_t> input;
        if (scene && scene->shooting) input = startShooting();
        bool ok = waitFor(pid, warmup + opt_.seconds + 20.0);
        for (pid_t p : input) stop(p);
        if (!ok) return {};
        return readResults(out);
    }

private:
    // The pointer rests in the middle of the window, so the aim stays put; a rocket is
    // fired whenever a slot is free and the space key streams bullets.
    std::vector<pid_t> startShooting() {
        sleepSeconds(0.6);
        std::string log = work_ + "/xdotool.log";
        pid_t move = spawn({"xdotool", "mousemove", "350", "350"}, {}, "", log);
        waitFor(move, 5.0);
        int span = static_cast<int>((3.0 + opt_.seconds) * 1000);
        return {spawn({"xdotool", "click", "--repeat", std::to_string(span / 250), "--delay", "250", "3"}, {}, "", log),
                spawn({"xdotool", "key", "--repeat", std::to_string(span / 40), "--delay", "40", "space"}, {}, "",
                      log)};
    }

    const Options& opt_;
    std::string work_;
};

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

std::string number(double v, const char* unit, int decimals = -1) {
    char text[64];
    if (decimals < 0) decimals = v >= 100 ? 0 : v >= 10 ? 1 : 2;
    std::snprintf(text, sizeof text, "%.*f%s%s", decimals, v, *unit ? " " : "", unit);
    return text;
}

void writeRow(const Options& opt, const std::string& figure, const std::string& value, const std::string& target,
              const std::string& verdict) {
    FILE* out = opt.rows.empty() ? stdout : std::fopen(opt.rows.c_str(), "a");
    if (!out) return;
    std::fprintf(out, "%s\t%s\t%s\t%s\n", figure.c_str(), value.c_str(), target.c_str(), verdict.c_str());
    if (out != stdout) std::fclose(out);
}

// Every figure the shim gave, one list per name, over the runs that worked.
using Samples = std::map<std::string, std::vector<double>>;

void keep(Samples& samples, const std::map<std::string, double>& run, const std::string& prefix = "") {
    for (const auto& [name, value] : run) samples[prefix + name].push_back(value);
}

// What the counted frames held on average, so that the table shows the scene was as named.
std::string sceneContent(Samples& s) {
    char text[160];
    std::snprintf(text, sizeof text, "; showing %.1f rockets, %.0f bullets, %.0f trail, %.0f debris, %.0f fire-balls",
                  median(s["rockets"]), median(s["bullets"]), median(s["trail"]), median(s["debris"]),
                  median(s["fireballs"]));
    return text;
}

void measureScene(const Options& opt, Bench& bench, const Scene& scene) {
    std::string target = scene.target > 0 ? ">= " + number(scene.target, "fps") : "";
    Samples s;
    for (int i = 0; i < opt.runs; ++i) {
        auto r = bench.run(opt.game, "frames", &scene);
        if (r.count("world") && r["world"] < 0) {
            writeRow(opt, scene.label, "World not found in the game binary", target, "miss");
            return;
        }
        if (r.count("fps")) keep(s, r);
        std::fprintf(stderr, "  %s, run %d: %s\n", scene.label, i + 1,
                     r.count("fps") ? number(r["fps"], "fps").c_str() : "failed");
    }
    const std::vector<double>& fps = s["fps"];
    if (fps.empty()) {
        writeRow(opt, scene.label, "not measured", target, "miss");
        return;
    }
    double mid = median(fps);
    auto [lo, hi] = std::minmax_element(fps.begin(), fps.end());
    std::string value = number(mid, "fps") + " (min " + number(*lo, "") + ", max " + number(*hi, "") + ")";
    const char* verdict = scene.target <= 0 ? "" : mid >= scene.target ? "pass" : "miss";
    writeRow(opt, scene.label, value + sceneContent(s), target, verdict);
}

void writeStartupRows(const Options& opt, Samples& s) {
    double game = median(s["game startup_ms"]), minimal = median(s["minimal startup_ms"]);
    double ratio = game / minimal;
    writeRow(opt, "start-up to first frame, game", number(game, "ms"), "", "");
    writeRow(opt, "start-up to first frame, minimal freeglut", number(minimal, "ms"), "", "");
    writeRow(opt, "start-up ratio, game / minimal freeglut", number(ratio, "", 3), "<= 1.20",
             ratio <= 1.2 ? "pass" : "miss");
    writeRow(opt, "texture upload in the game (3 x glTexImage2D)", number(median(s["game upload_ms"]), "ms"), "", "");
    for (std::string who : {"game", "minimal"}) {
        std::string value = "window made " + number(median(s[who + " window_ms"]), "ms") + ", main loop entered " +
                            number(median(s[who + " mainloop_ms"]), "ms") + ", first frame swapped " +
                            number(median(s[who + " startup_ms"]), "ms");
        writeRow(opt, "start-up phases, " + (who == "game" ? who : "minimal freeglut"), value, "", "");
    }
}

// Game and yardstick take turns in ABBA order, so that both see the same machine
// and neither always follows the other.
void measureStartup(const Options& opt, Bench& bench) {
    Samples s;
    for (int i = 0; i < opt.startupPairs; ++i) {
        std::map<std::string, double> g, m;
        if (i % 2 == 0) g = bench.run(opt.game, "startup", nullptr);
        m = bench.run(opt.minimal, "startup", nullptr);
        if (i % 2 == 1) g = bench.run(opt.game, "startup", nullptr);
        if (!g.count("startup_ms") || !m.count("startup_ms")) continue;
        keep(s, g, "game ");
        keep(s, m, "minimal ");
    }
    if (s["game startup_ms"].empty()) {
        writeRow(opt, "start-up ratio, game / minimal freeglut", "not measured", "<= 1.20", "miss");
        return;
    }
    writeStartupRows(opt, s);
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string key = argv[i], value = argv[i + 1];
        if (key == "--game") o.game = value;
        else if (key == "--minimal") o.minimal = value;
        else if (key == "--shim") o.shim = value;
        else if (key == "--data") o.data = value;
        else if (key == "--rows") o.rows = value;
        else if (key == "--runs") o.runs = std::atoi(value.c_str());
        else if (key == "--seconds") o.seconds = std::atof(value.c_str());
        else if (key == "--startup-pairs") o.startupPairs = std::atoi(value.c_str());
    }
    for (std::string* path : {&o.game, &o.minimal, &o.shim, &o.data})
        if (!path->empty()) *path = fs::absolute(*path).string();  // the programs run from elsewhere
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt = parse(argc, argv);
    if (opt.game.empty() || opt.minimal.empty() || opt.shim.empty() || opt.data.empty() || !std::getenv("DISPLAY")) {
        std::fprintf(stderr, "usage: frame_driver --game P --minimal P --shim P --data DIR [--rows F] (needs DISPLAY)\n");
        return 2;
    }
    std::string work = fs::temp_directory_path() / ("skorvane-frames-" + std::to_string(getpid()));
    fs::create_directories(work + "/data");
    for (const char* f : {"asteroid.bmp", "fire.bmp", "smoke.bmp", "cessna500.m"})
        fs::copy_file(fs::path(opt.data) / f, fs::path(work) / "data" / f);
    Bench bench(opt, work);
    std::fprintf(stderr, "start-up, game and minimal freeglut in turn\n");
    measureStartup(opt, bench);
    const Scene scenes[] = {
        {"frame, start of game", 1200, nullptr, false},
        {"frame, 3 rockets + bullet stream (xdotool)", 110, nullptr, true},
        {"frame, full load (3 rockets + 1500 trail, 10 fire-balls, 250 debris, 30 bullets)", 80, "burning", false},
        {"frame, every slot (full load + 10 asteroids, 30 flashes)", 0, "every", false},
    };
    for (const Scene& s : scenes) measureScene(opt, bench, s);
    fs::remove_all(work);
    return 0;
}
