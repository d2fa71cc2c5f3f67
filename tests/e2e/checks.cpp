// Shared expectations: the help text, output splitting, sanitizer reports, overlay parts.
#include "checks.h"

#include <algorithm>
#include <sstream>

#include "reference_text.h"

const char* const helpText =
    "\nSkorvane\n"
    " Left Click:  Shoot single bullet\n"
    " Right Click:  Shoot single rocket\n"
    " Space Bar:  Shoot single bullet\n"
    " 'r':  Shoot single rocket\n"
    " 'p':  Play/Pause Toggle\n"
    " 's':  Hyperspeed Toggle\n"
    " 'q':  Quit Game\n"
    " 'h':  Help\n\n";

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) result.push_back(line);
    return result;
}

std::string meshPart(const std::string& output) {
    return output.substr(0, output.find("trying to load "));
}

::testing::AssertionResult noSanitizerReport(const std::string& errors) {
    for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer",
                             "runtime error:", "SUMMARY: UndefinedBehaviorSanitizer"})
        if (errors.find(mark) != std::string::npos)
            return ::testing::AssertionFailure() << "sanitizer report on stderr:\n" << errors;
    return ::testing::AssertionSuccess();
}

namespace {

Bar measureBar(const Image& image, Rect area, PixelTest colour) {
    Run run = longestRun(image, area, colour);
    Bar bar;
    bar.start = run.start;
    bar.length = run.length;
    bar.row = run.row;
    bar.thickness = rowsWithRun(image, area, colour, run.length * 3 / 4);
    return bar;
}

}  // namespace

// The lives bar is 8 pixels wide around row 12.5, the rockets bar 5 around row 25,
// so the two search bands are split between them.
Bar livesBar(const Image& image) {
    return measureBar(image, {0, 0, image.width, 20}, isHudRed);
}
Bar rocketsBar(const Image& image) {
    return measureBar(image, {0, 18, image.width, 20}, isHudGreen);
}

int crosshairArms(const Image& image) {
    int cx = image.width / 2, cy = image.height / 2;
    const Rect arms[4] = {{cx - 2, cy - 8, 4, 7},
                          {cx + 2, cy - 2, 7, 4},
                          {cx - 2, cy + 2, 4, 7},
                          {cx - 8, cy - 2, 7, 4}};
    int shown = 0;
    for (const Rect& arm : arms) shown += countPixels(image, arm, isWhite) >= 6 ? 1 : 0;
    return shown;
}

int crosshairCentre(const Image& image) {
    return countPixels(image, {image.width / 2 - 2, image.height / 2 - 2, 4, 4}, isWhite);
}

Rect sceneArea(const Image& image) {
    return {0, 40, image.width, image.height - 40};
}

void keepIfFailed(const Image& image, const char* label) {
    if (!::testing::Test::HasFailure()) return;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name =
        std::string(test->test_suite_name()) + "." + test->name() + "-" + label + ".png";
    for (char& c : name)
        if (c == '/') c = '_';
    writePng(name, image);
}

TextMatch compareText(const Image& game, const Image& reference, Rect area) {
    TextMatch m;
    bool fits = area.x + area.width <= std::min(game.width, reference.width) &&
                area.y + area.height <= std::min(game.height, reference.height);
    if (!fits) {
        m.missing = 1;  // no picture to compare
        return m;
    }
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x) {
            bool want = isWhite(reference.at(x, y)), have = isWhite(game.at(x, y));
            m.referencePixels += want ? 1 : 0;
            m.missing += want && !have ? 1 : 0;
            m.extra += !want && have ? 1 : 0;
        }
    return m;
}

Image startTexts() {
    static Image texts =
        renderReferenceTexts(500, 500, {{-9.5f, 9.0f, "0"}, {6.5f, 9.0f, "LEVEL 1"}});
    return texts;
}
