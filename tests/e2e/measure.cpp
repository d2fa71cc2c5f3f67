// Pixel classes and measurements used by the end-to-end checks.
#include "measure.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

bool isWhite(Rgb p) {
    return p.r >= 235 && p.g >= 235 && p.b >= 235;
}
bool isHudRed(Rgb p) {
    return p.r >= 200 && p.g <= 60 && p.b <= 60;
}
bool isHudGreen(Rgb p) {
    return p.g >= 200 && p.r <= 60 && p.b <= 60;
}
bool isBulletBlue(Rgb p) {
    return p.b >= 245 && p.g >= 118 && p.g <= 138 && p.r <= 20;
}
bool isCraftGrey(Rgb p) {
    return p.r == p.g && p.b >= p.r + 8 && p.r >= 30;
}
bool isOrangeLit(Rgb p) {
    return p.r >= 80 && p.r >= p.g + 30 && p.r >= p.b + 25;
}
bool isLit(Rgb p) {
    return p.r + p.g + p.b >= 90;
}

namespace {

Rect clipped(const Image& image, Rect a) {
    int x0 = std::max(a.x, 0), y0 = std::max(a.y, 0);
    int x1 = std::min(a.x + a.width, image.width), y1 = std::min(a.y + a.height, image.height);
    return {x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0)};
}

// Brightness in blocks of 4 × 4 pixels, each block the darkest of its pixels,
// so star streaks two pixels wide vanish and solid bodies stay.
std::vector<int> solidBlocks(const Image& image, Rect a, int* columns, int* rows) {
    *columns = a.width / 4;
    *rows = a.height / 4;
    std::vector<int> blocks(static_cast<size_t>(*columns) * static_cast<size_t>(*rows), 0);
    for (int by = 0; by < *rows; ++by)
        for (int bx = 0; bx < *columns; ++bx) {
            int darkest = std::numeric_limits<int>::max();
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x) {
                    Rgb p = image.at(a.x + bx * 4 + x, a.y + by * 4 + y);
                    darkest = std::min(darkest, p.r + p.g + p.b);
                }
            blocks[static_cast<size_t>(by * *columns + bx)] = darkest;
        }
    return blocks;
}

}  // namespace

int countPixels(const Image& image, Rect area, PixelTest test) {
    Rect a = clipped(image, area);
    int n = 0;
    for (int y = a.y; y < a.y + a.height; ++y)
        for (int x = a.x; x < a.x + a.width; ++x) n += test(image.at(x, y)) ? 1 : 0;
    return n;
}

Run longestRun(const Image& image, Rect area, PixelTest test) {
    Rect a = clipped(image, area);
    Run best;
    for (int y = a.y; y < a.y + a.height; ++y) {
        int start = -1;
        for (int x = a.x; x <= a.x + a.width; ++x) {
            bool in = x < a.x + a.width && test(image.at(x, y));
            if (in && start < 0) start = x;
            if (!in && start >= 0) {
                if (x - start > best.length) best = {y, start, x - start};
                start = -1;
            }
        }
    }
    return best;
}

int rowsWithRun(const Image& image, Rect area, PixelTest test, int minLength) {
    Rect a = clipped(image, area);
    int rows = 0;
    for (int y = a.y; y < a.y + a.height; ++y)
        if (longestRun(image, {a.x, y, a.width, 1}, test).length >= minLength) ++rows;
    return rows;
}

int differingPixels(const Image& a, const Image& b, Rect area) {
    Rect r = clipped(a, area);
    if (a.width != b.width || a.height != b.height) return r.width * r.height;
    int n = 0;
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x) {
            Rgb p = a.at(x, y), q = b.at(x, y);
            n += (p.r != q.r || p.g != q.g || p.b != q.b) ? 1 : 0;
        }
    return n;
}

int bestHorizontalShift(const Image& a, const Image& b, Rect area, int maxShift) {
    int columns = 0, rows = 0;
    std::vector<int> ba = solidBlocks(a, clipped(a, area), &columns, &rows);
    std::vector<int> bb = solidBlocks(b, clipped(b, area), &columns, &rows);
    int maxBlocks = maxShift / 4;
    long bestCost = std::numeric_limits<long>::max();
    int best = 0;
    for (int s = -maxBlocks; s <= maxBlocks; ++s) {
        long cost = 0;
        long compared = 0;
        for (int y = 0; y < rows; ++y)
            for (int x = std::max(0, -s); x < std::min(columns, columns - s); ++x) {
                cost += std::abs(ba[static_cast<size_t>(y * columns + x)] -
                                 bb[static_cast<size_t>(y * columns + x + s)]);
                ++compared;
            }
        if (compared == 0) continue;
        long normalised = cost * 1000 / compared;
        if (normalised < bestCost) {
            bestCost = normalised;
            best = s;
        }
    }
    return best * 4;
}
