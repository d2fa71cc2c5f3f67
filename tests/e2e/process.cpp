// Process spawning with posix_spawn, waiting with deadlines, and small file helpers.
#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry(*e);
        std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const auto& x : extra) replaced = replaced || x.substr(0, x.find('=')) == name;
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (auto& s : strings) result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

ExitResult fromWaitStatus(int status) {
    ExitResult r;
    if (WIFEXITED(status)) {
        r.exited = true;
        r.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        r.signal = WTERMSIG(status);
    }
    return r;
}

}  // namespace

std::string describe(const ExitResult& r) {
    if (r.timedOut) return "timed out (killed)";
    if (r.exited) return "exit status " + std::to_string(r.status);
    if (r.signal != 0) return std::string("signal ") + strsignal(r.signal);
    return "unknown end";
}

pid_t spawnProgram(const std::vector<std::string>& argv, const SpawnOptions& options) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!options.workDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.workDir.c_str());
    if (!options.stdoutPath.empty())
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, options.stdoutPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!options.stderrPath.empty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, options.stderrPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> args = argv;
    std::vector<std::string> env = mergedEnvironment(options.extraEnv);
    std::vector<char*> argp = pointers(args);
    std::vector<char*> envp = pointers(env);
    pid_t pid = -1;
    int err = posix_spawnp(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", argv[0].c_str(), std::strerror(err));
        return -1;
    }
    return pid;
}

bool stillRunning(pid_t pid, ExitResult* endedWith) {
    int status = 0;
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == 0) return true;
    if (endedWith != nullptr && r == pid) *endedWith = fromWaitStatus(status);
    return false;
}

ExitResult waitForExit(pid_t pid, double timeoutSeconds) {
    ExitResult result;
    if (pid <= 0) return result;
    double deadline = monotonicSeconds() + timeoutSeconds;
    while (monotonicSeconds() < deadline) {
        if (!stillRunning(pid, &result)) return result;
        sleepSeconds(0.01);
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    result = ExitResult{};
    result.timedOut = true;
    return result;
}

std::string runCommand(const std::vector<std::string>& argv, int* exitStatus, double timeoutSeconds,
                       std::string* errors) {
    char outPath[] = "/tmp/skorvane-e2e-out-XXXXXX";
    char errPath[] = "/tmp/skorvane-e2e-err-XXXXXX";
    for (char* path : {outPath, errPath}) {
        int fd = mkstemp(path);
        if (fd >= 0) close(fd);
    }
    SpawnOptions options;
    options.stdoutPath = outPath;
    options.stderrPath = errPath;
    pid_t pid = spawnProgram(argv, options);
    ExitResult r = waitForExit(pid, timeoutSeconds);
    if (exitStatus != nullptr) *exitStatus = r.exited ? r.status : -1;
    std::string out = readFile(outPath);
    if (errors != nullptr) *errors = readFile(errPath);
    unlink(outPath);
    unlink(errPath);
    return out;
}

void sleepSeconds(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

double monotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
