// xdotool and xwd wrappers; each call runs the real program and waits for it.
#include "x_display.h"

#include <cstdio>
#include <sstream>

#include "process.h"

namespace {

// Runs an X client. A connection to the X server now and then fails on this kind
// of machine (reset before the server sees it); nothing was sent then, so the
// client is simply run again.
std::string xClient(const std::vector<std::string>& argv, int* status = nullptr) {
    std::string out, errors;
    int code = -1;
    for (int attempt = 0; attempt < 8; ++attempt) {
        out = runCommand(argv, &code, 30, &errors);
        if (errors.find("open display") == std::string::npos) break;
        sleepSeconds(0.05);
    }
    if (status != nullptr) *status = code;
    return out;
}

int shellValue(const std::string& text, const std::string& name) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(name + "=", 0) == 0) return std::stoi(line.substr(name.size() + 1));
    return -1;
}

bool readGeometry(GameWindow* window) {
    int status = 0;
    std::string out =
        xClient({"xdotool", "getwindowgeometry", "--shell", std::to_string(window->id)}, &status);
    if (status != 0) return false;
    window->x = shellValue(out, "X");
    window->y = shellValue(out, "Y");
    window->width = shellValue(out, "WIDTH");
    window->height = shellValue(out, "HEIGHT");
    return window->width > 0 && window->height > 0;
}

}  // namespace

bool findGameWindow(GameWindow* window, double timeoutSeconds) {
    double deadline = monotonicSeconds() + timeoutSeconds;
    while (monotonicSeconds() < deadline) {
        int status = 0;
        std::string out =
            xClient({"xdotool", "search", "--onlyvisible", "--name", "^Skorvane$"}, &status);
        if (status == 0 && !out.empty()) {
            window->id = std::stoul(out);
            if (readGeometry(window)) return true;
        }
        sleepSeconds(0.05);
    }
    return false;
}

Image screenshot(const GameWindow& window) {
    Image image;
    for (int attempt = 0; attempt < 5 && image.empty(); ++attempt) {
        int status = 0;
        std::string dump = xClient({"xwd", "-silent", "-id", std::to_string(window.id)}, &status);
        std::string error;
        image = parseXwd(dump, &error);
        if (status != 0 || image.empty())
            std::fprintf(stderr, "screenshot failed (xwd status %d): %s\n", status, error.c_str());
    }
    return image;
}

void movePointer(const GameWindow& window, int x, int y) {
    movePointerOnScreen(window.x + x, window.y + y);
}

void movePointerOnScreen(int x, int y) {
    // No --sync: it waits for a motion, and there is none when the pointer is already there.
    xClient({"xdotool", "mousemove", std::to_string(x), std::to_string(y)});
}

void clickButton(int button) {
    xClient({"xdotool", "click", std::to_string(button)});
}

void pressKey(const std::string& keysym) {
    xClient({"xdotool", "key", keysym});
}

void inputSequence(const std::vector<std::string>& xdotoolCommands) {
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), xdotoolCommands.begin(), xdotoolCommands.end());
    xClient(argv);
}
