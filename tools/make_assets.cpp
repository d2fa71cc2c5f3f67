// Generates the game's data files: three procedural BMP textures and the
// craft mesh, all from our own code, into the folder given on the command line.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/asset_writers.h"

using assetwriters::MeshPoint;
using assetwriters::MeshText;
using assetwriters::MeshTriangle;
using assetwriters::RgbPicture;

namespace {

constexpr float pi = 3.14159265f;

// Deterministic lattice hash in [0, 1].
float latticeValue(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xffffu) / 65535.0f;
}

float smooth(float t) {
    return t * t * (3 - 2 * t);
}

// Value noise that wraps every `period` lattice cells, so textures tile.
float valueNoise(float x, float y, int period, uint32_t seed) {
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    float fx = smooth(x - float(x0)), fy = smooth(y - float(y0));
    auto at = [&](int i, int j) {
        return latticeValue(((i % period) + period) % period, ((j % period) + period) % period,
                            seed);
    };
    float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
    float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
    return top + (bottom - top) * fy;
}

// Fractal sum of octaves, in [0, 1]; u and v in [0, 1).
float fractalNoise(float u, float v, int baseCells, int octaves, uint32_t seed) {
    float sum = 0, weight = 1, total = 0;
    for (int o = 0, cells = baseCells; o < octaves; ++o, cells *= 2, weight *= 0.5f) {
        sum += weight * valueNoise(u * float(cells), v * float(cells), cells, seed + uint32_t(o));
        total += weight;
    }
    return sum / total;
}

unsigned char toByte(float v) {
    v = v < 0 ? 0 : (v > 1 ? 1 : v);
    return static_cast<unsigned char>(v * 255.0f + 0.5f);
}

RgbPicture blankPicture(uint32_t side) {
    RgbPicture picture;
    picture.width = picture.height = side;
    picture.rgb.assign(size_t(side) * side * 3, 0);
    return picture;
}

void setPixel(RgbPicture& picture, uint32_t x, uint32_t y, float r, float g, float b) {
    unsigned char* p = &picture.rgb[(size_t(y) * picture.width + x) * 3];
    p[0] = toByte(r);
    p[1] = toByte(g);
    p[2] = toByte(b);
}

// Grey-brown rock with darker craters; tiles in both directions for the sphere wrap.
RgbPicture asteroidPicture() {
    RgbPicture picture = blankPicture(256);
    const float craters[][3] = {{0.2f, 0.3f, 0.08f},  {0.65f, 0.7f, 0.12f}, {0.8f, 0.2f, 0.06f},
                                {0.4f, 0.85f, 0.05f}, {0.1f, 0.75f, 0.07f}, {0.55f, 0.35f, 0.04f}};
    for (uint32_t y = 0; y < 256; ++y) {
        for (uint32_t x = 0; x < 256; ++x) {
            float u = float(x) / 256.0f, v = float(y) / 256.0f;
            float rock = 0.35f + 0.5f * fractalNoise(u, v, 4, 5, 11);
            float grit = 0.15f * (fractalNoise(u, v, 64, 2, 23) - 0.5f);
            for (const auto& c : craters) {
                float dx = std::fabs(u - c[0]), dy = std::fabs(v - c[1]);
                dx = std::fmin(dx, 1 - dx);
                dy = std::fmin(dy, 1 - dy);
                float d = std::sqrt(dx * dx + dy * dy) / c[2];
                if (d < 1)
                    rock *= 0.6f + 0.4f * d * d;  // dark floor
                else if (d < 1.3f)
                    rock *= 1.0f + 0.25f * (1.3f - d) / 0.3f;  // bright rim
            }
            float shade = rock + grit;
            setPixel(picture, x, y, shade * 0.62f, shade * 0.55f, shade * 0.47f);
        }
    }
    return picture;
}

// Flame: white-yellow core through orange to red, dark at the rim, so a
// fire-ball glows in the middle and darkens towards its edge.
RgbPicture firePicture() {
    RgbPicture picture = blankPicture(128);
    for (uint32_t y = 0; y < 128; ++y) {
        for (uint32_t x = 0; x < 128; ++x) {
            float u = float(x) / 128.0f, v = float(y) / 128.0f;
            float dx = u - 0.5f, dy = v - 0.5f;
            float turbulence = fractalNoise(u, v, 4, 4, 41) - 0.5f;
            float r = std::sqrt(dx * dx + dy * dy) * 2 + 0.35f * turbulence;
            float heat = 1 - r;
            float red = heat * 2.2f, green = (heat - 0.25f) * 1.8f, blue = (heat - 0.7f) * 2.5f;
            setPixel(picture, x, y, red, green, blue);
        }
    }
    return picture;
}

// Smoke puff: soft grey, near white in the middle, black at the rim. The
// pictures carry no alpha: a trail square is blended by its life as a whole,
// so the dark rim darkens what lies behind it like the edge of a cloud.
RgbPicture smokePicture() {
    RgbPicture picture = blankPicture(128);
    for (uint32_t y = 0; y < 128; ++y) {
        for (uint32_t x = 0; x < 128; ++x) {
            float u = float(x) / 128.0f, v = float(y) / 128.0f;
            float dx = u - 0.5f, dy = v - 0.5f;
            float billow = fractalNoise(u, v, 4, 4, 77);
            float r = std::sqrt(dx * dx + dy * dy) * 2;
            float falloff = r >= 1 ? 0 : std::pow(1 - r, 1.4f);
            float grey = falloff * (0.55f + 0.5f * billow);
            setPixel(picture, x, y, grey, grey, grey * 0.97f);
        }
    }
    return picture;
}

// Builds closed pieces; each triangle is turned to face away from its
// piece's inside, so corners run counter-clockwise seen from outside.
struct CraftBuilder {
    MeshText text;

    int addPoint(float x, float y, float z) {
        text.vertices.push_back({x, y, z});
        return int(text.vertices.size());
    }

    MeshPoint at(int n) const { return text.vertices[size_t(n) - 1]; }

    // inside: a point the face must look away from.
    void addTriangle(int a, int b, int c, MeshPoint inside, const float* colour = nullptr,
                     int matid = 0) {
        MeshPoint p = at(a), q = at(b), s = at(c);
        float ux = q.x - p.x, uy = q.y - p.y, uz = q.z - p.z;
        float vx = s.x - p.x, vy = s.y - p.y, vz = s.z - p.z;
        float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
        float cx = (p.x + q.x + s.x) / 3 - inside.x, cy = (p.y + q.y + s.y) / 3 - inside.y,
              cz = (p.z + q.z + s.z) / 3 - inside.z;
        if (nx * nx + ny * ny + nz * nz < 1e-8f) return;  // never write a degenerate face
        MeshTriangle t{a, b, c};
        if (nx * cx + ny * cy + nz * cz < 0) std::swap(t.b, t.c);
        if (colour) {
            t.coloured = true;
            t.r = colour[0];
            t.g = colour[1];
            t.b2 = colour[2];
            t.matid = matid;
        }
        text.faces.push_back(t);
    }
};

constexpr float canopyColour[3] = {0.2f, 0.35f, 0.7f};
constexpr float stripeColour[3] = {0.8f, 0.1f, 0.1f};

// Fuselage: rings of 8 around the x axis, nose cone at -x, tail cone at +x.
void addFuselage(CraftBuilder& craft) {
    const float stations[][2] = {{-17, 1.2f}, {-12, 2.2f}, {-5, 2.5f}, {2, 2.35f},
                                 {8, 1.9f},   {13, 1.2f},  {17, 0.6f}};
    const int around = 8, rings = 7;
    int nose = craft.addPoint(-19, 0, 0);
    int first = 0;
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < around; ++j) {
            float a = 2 * pi * float(j) / float(around);
            int n = craft.addPoint(stations[i][0], stations[i][1] * 0.9f * std::cos(a),
                                   stations[i][1] * std::sin(a));
            if (i == 0 && j == 0) first = n;
        }
    }
    int tail = craft.addPoint(19, 0.4f, 0);
    auto ring = [&](int i, int j) { return first + i * around + (j % around); };
    for (int j = 0; j < around; ++j) {
        craft.addTriangle(nose, ring(0, j), ring(0, j + 1), {-17, 0, 0});
        craft.addTriangle(tail, ring(rings - 1, j), ring(rings - 1, j + 1), {17, 0, 0});
    }
    for (int i = 0; i + 1 < rings; ++i) {
        for (int j = 0; j < around; ++j) {
            MeshPoint axis{(stations[i][0] + stations[i + 1][0]) / 2, 0, 0};
            bool canopy = i == 1 && (j == 0 || j == around - 1);  // on top, behind the nose
            const float* colour = canopy ? canopyColour : nullptr;
            craft.addTriangle(ring(i, j), ring(i + 1, j), ring(i + 1, j + 1), axis, colour, 2);
            craft.addTriangle(ring(i, j), ring(i + 1, j + 1), ring(i, j + 1), axis, colour, 2);
        }
    }
}

// A tapered slab lofted from a root section to a tip section along one axis;
// the section is a six-cornered airfoil of given chord and thickness.
struct Slab {
    float rootLead, rootChord, tipLead, tipChord;  // along x
    float thickness;
    float from, to;  // span along the loft axis
    float baseY;     // height of the chord line (wings) or the fin's root
    int segments;
    bool vertical;  // fin: lofted along +y, thickness along z
};

void addSlab(CraftBuilder& craft, const Slab& s, bool stripedTips) {
    const float shape[6][2] = {
        {0, 0}, {0.15f, 0.5f}, {0.6f, 0.45f},
        {1, 0}, {0.6f, -0.3f}, {0.15f, -0.35f}};  // (fraction of chord, fraction of thickness)
    int first = 0;
    float centreX = 0;
    for (int k = 0; k <= s.segments; ++k) {
        float t = float(k) / float(s.segments);
        float lead = s.rootLead + (s.tipLead - s.rootLead) * t;
        float chord = s.rootChord + (s.tipChord - s.rootChord) * t;
        float span = s.from + (s.to - s.from) * t;
        float thick = s.thickness * (1 - 0.5f * t);
        centreX += lead + chord * 0.5f;
        for (int c = 0; c < 6; ++c) {
            float x = lead + shape[c][0] * chord, across = shape[c][1] * thick;
            int n = s.vertical ? craft.addPoint(x, s.baseY + span, across)
                               : craft.addPoint(x, s.baseY + across, span);
            if (k == 0 && c == 0) first = n;
        }
    }
    centreX /= float(s.segments + 1);
    auto corner = [&](int k, int c) { return first + k * 6 + (c % 6); };
    auto inside = [&](float span) {
        return s.vertical ? MeshPoint{centreX, s.baseY + span, 0}
                          : MeshPoint{centreX, s.baseY, span};
    };
    for (int k = 0; k < s.segments; ++k) {
        float mid = s.from + (s.to - s.from) * (float(k) + 0.5f) / float(s.segments);
        bool stripe = stripedTips && k + 1 == s.segments;
        for (int c = 0; c < 6; ++c) {
            const float* colour = stripe ? stripeColour : nullptr;
            craft.addTriangle(corner(k, c), corner(k + 1, c), corner(k + 1, c + 1), inside(mid),
                              colour, 1);
            craft.addTriangle(corner(k, c), corner(k + 1, c + 1), corner(k, c + 1), inside(mid),
                              colour, 1);
        }
    }
    for (int end = 0; end <= s.segments; end += s.segments) {  // the two end caps
        float span = s.from + (s.to - s.from) * float(end) / float(s.segments);
        float inward = end == 0 ? (s.to - s.from) * 0.1f : -(s.to - s.from) * 0.1f;
        for (int c = 1; c + 1 < 6; ++c)
            craft.addTriangle(corner(end, 0), corner(end, c), corner(end, c + 1),
                              inside(span + inward));
    }
}

MeshText craftMesh() {
    CraftBuilder craft;
    craft.text.comments = {"cessna500.m: the player's craft, made by make_assets",
                           "nose towards -x, up +y, wingspan along z; model units",
                           "faces list their corners counter-clockwise seen from outside"};
    addFuselage(craft);
    for (float side : {1.0f, -1.0f}) {
        addSlab(craft, {-5, 7, -3, 4, 0.9f, 0, 17 * side, -0.8f, 3, false}, true);  // wing
        addSlab(craft, {12, 4, 14, 2.5f, 0.5f, 0, 6.5f * side, 0.3f, 1, false},
                false);  // tail plane
    }
    addSlab(craft, {11, 6, 15, 3, 0.5f, 0.5f, 7, 0, 1, true}, false);  // fin
    return craft.text;
}

bool writeAll(const std::string& dir) {
    bool ok = assetwriters::writeBmp24((dir + "/asteroid.bmp").c_str(), asteroidPicture());
    ok = assetwriters::writeBmp24((dir + "/fire.bmp").c_str(), firePicture()) && ok;
    ok = assetwriters::writeBmp24((dir + "/smoke.bmp").c_str(), smokePicture()) && ok;
    ok = assetwriters::writeMesh((dir + "/cessna500.m").c_str(), craftMesh()) && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_assets <output folder>\n");
        return 2;
    }
    if (!writeAll(argv[1])) {
        std::fprintf(stderr, "make_assets: could not write the data files into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
