// Starting helper programs and the game for the end-to-end tests, and collecting their ends.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct SpawnOptions {
    std::string workDir;     // empty: the test's own
    std::string stdoutPath;  // empty: inherited
    std::string stderrPath;  // empty: inherited
    std::vector<std::string>
        extraEnv;  // "NAME=value", added to (or replacing) the test's environment
};

// How a process ended.
struct ExitResult {
    bool exited = false;  // ended through exit with `status`
    int status = -1;
    int signal = 0;         // ended by this signal
    bool timedOut = false;  // still running at the deadline, then killed
};

std::string describe(const ExitResult& result);

// Starts argv[0] (searched in PATH); returns the pid, or -1 with a message on stderr.
pid_t spawnProgram(const std::vector<std::string>& argv, const SpawnOptions& options);

// Waits for the process; kills it (SIGKILL, by its pid) at the deadline.
ExitResult waitForExit(pid_t pid, double timeoutSeconds);

// True while the process has not ended (it is reaped here if it has).
bool stillRunning(pid_t pid, ExitResult* endedWith = nullptr);

// Runs a short command to its end and returns its standard output (and its
// standard error in `errors`, when given).
std::string runCommand(const std::vector<std::string>& argv, int* exitStatus = nullptr,
                       double timeoutSeconds = 30, std::string* errors = nullptr);

void sleepSeconds(double seconds);
double monotonicSeconds();

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
