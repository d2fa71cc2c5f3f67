// Helpers for the asset tests: a private scratch folder, hand-made BMP
// bytes, and running a real process to see its output and exit status.
#pragma once

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A folder of its own per test, removed at the end.
class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/skorvane-assets-XXXXXX";
        const char* made = mkdtemp(pattern);
        path_ = made ? made : "/tmp";
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }

private:
    std::string path_;
};

inline std::string readFileBytes(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// The fields a hostile or unusual BMP varies; the rest is a plain header.
struct BmpHeader {
    uint32_t width = 4;
    uint32_t height = 2;  // stored as given: 0u - n makes a top-down file
    uint16_t planes = 1;
    uint16_t bpp = 24;
    uint32_t dataOffset = 54;
    char signature[2] = {'B', 'M'};
};

// Header, zero fill up to dataOffset, then the given pixel bytes as they are.
inline std::string bmpBytes(const BmpHeader& h, const std::string& pixelData) {
    std::string bytes(54, '\0');
    auto put = [&](size_t at, uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes[at + size_t(i)] = char((value >> (8 * i)) & 0xff);
    };
    bytes[0] = h.signature[0];
    bytes[1] = h.signature[1];
    put(2, uint32_t(54 + pixelData.size()), 4);
    put(10, h.dataOffset, 4);
    put(14, 40, 4);
    put(18, h.width, 4);
    put(22, h.height, 4);
    put(26, h.planes, 2);
    put(28, h.bpp, 2);
    if (h.dataOffset > 54) bytes.resize(h.dataOffset, '\x55');
    return bytes + pixelData;
}

// Runs program (no arguments) in workDir: its standard output and exit status.
inline std::pair<std::string, int> runProgram(const std::string& program,
                                              const std::string& workDir) {
    std::string command = "cd '" + workDir + "' && '" + program + "'", output;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {"", -1};
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    int status = pclose(pipe);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}
