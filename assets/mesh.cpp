// The ".m" mesh reader: lines cut as a text stream cuts them, vertex and face
// lines, the attribute-block echo and the running normal smoothing.
#include "assets/mesh.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

Mesh mesh;

namespace {

constexpr size_t lineLimit = 255;  // characters a line may carry
constexpr int restLimit = 9999;    // characters dropped behind a cut line
// Larger vertex numbers are all unknown; the cap keeps the digits from wrapping.
constexpr uint64_t vertexNumberCap = 1000000000000000;

Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - b.y * a.z, a.z * b.x - a.x * b.z, a.x * b.y - b.x * a.y};
}

Vec3 normalized(Vec3 v) {
    const float k = 1 / std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {k * v.x, k * v.y, k * v.z};
}

Vec3 unitNormal(Vec3 a, Vec3 b) {
    return normalized(cross(a, b));
}

bool isFinite(Vec3 v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The unit vector along v, which float squares cannot give when v is very
// small or very large; false where v has no direction (a flat face, or a
// normal meeting its opposite), so that no NaN ever reaches the lighting.
bool directionInDouble(Vec3 v, Vec3& unit) {
    const double x = double(v.x), y = double(v.y), z = double(v.z);
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0) || !std::isfinite(length)) return false;
    unit = {float(x / length), float(y / length), float(z / length)};
    return true;
}

Vec3 positionOf(int32_t index) {
    const MeshVertex& v = mesh.vertices[size_t(index) - 1];
    return {v.x, v.y, v.z};
}

// Each face turns its corners' normals half-way towards its own, renormalised
// at once, so the faces read last weigh most.
void smoothNormals(const MeshFace& face) {
    const Vec3 p0 = positionOf(face.indices[0]), p1 = positionOf(face.indices[1]),
               p2 = positionOf(face.indices[2]);
    Vec3 n = unitNormal(p0 - p1, p1 - p2);
    if (!isFinite(n) && !directionInDouble(cross(p0 - p1, p1 - p2), n)) return;
    for (int32_t index : face.indices) {
        Vec3& normal = mesh.vertices[size_t(index) - 1].normal;
        const Vec3 turned = normalized(normal + n);
        if (isFinite(turned)) {
            normal = turned;
        } else {
            directionInDouble(normal + n, normal);  // unchanged where there is no direction
        }
    }
}

void skipLine(const char* fileName, unsigned long lineNumber, const char* reason) {
    std::printf("Skipped line %lu of %s: %s\n", lineNumber, fileName, reason);
}

void parseVertex(const char* line, const char* fileName, unsigned long lineNumber) {
    int ownNumber = 0;
    float x = 0, y = 0, z = 0;
    if (std::sscanf(line, "Vertex %d %g %g %g", &ownNumber, &x, &y, &z) != 4) {
        skipLine(fileName, lineNumber, "a vertex line needs its own number and three coordinates");
        return;
    }
    mesh.vertices.push_back({x, y, z, Vec3()});
}

struct FaceLine {
    uint64_t corners[3] = {0, 0, 0};
    int cornerCount = 0;          // corners that carry digits
    const char* block = nullptr;  // the text behind "{", if any
    char badCharacter = 0;
};

// The numbers behind "Face": the face's own, three corners, then any more,
// which are dropped. An empty digit run counts as a number only where the
// "{" of an attribute block stands.
FaceLine scanFace(const char* p) {
    FaceLine face;
    for (int count = 0;;) {
        while (std::isspace(static_cast<unsigned char>(*p))) ++p;
        if (*p == '\0') break;
        if (!std::isdigit(static_cast<unsigned char>(*p)) && *p != '{') {
            face.badCharacter = *p;
            break;
        }
        const char* digits = p;
        uint64_t value = 0;
        for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
            value = value < vertexNumberCap ? value * 10 + uint64_t(*p - '0') : vertexNumberCap;
        ++count;
        if (count >= 2 && count <= 4 && p != digits) face.corners[face.cornerCount++] = value;
        if (count >= 2 && *p == '{') {
            face.block = p + 1;
            break;
        }
    }
    return face;
}

// Why the face cannot be used, written into reason; false when it can.
bool faceIsBad(const FaceLine& face, char (&reason)[96]) {
    const unsigned code = static_cast<unsigned char>(face.badCharacter);
    if (code > 32 && code < 127) {
        std::snprintf(reason, sizeof reason, "unexpected character '%c' in a face line",
                      face.badCharacter);
    } else if (code != 0) {
        std::snprintf(reason, sizeof reason, "unexpected character 0x%02x in a face line", code);
    } else if (face.cornerCount < 3) {
        std::snprintf(reason, sizeof reason, "a face line needs three vertex numbers, found %d",
                      face.cornerCount);
    } else {
        for (uint64_t corner : face.corners) {
            if (corner >= 1 && corner <= mesh.vertices.size()) continue;
            std::snprintf(reason, sizeof reason, "face names vertex %llu, but vertices %s",
                          static_cast<unsigned long long>(corner),
                          corner == 0 ? "count from 1" : "beyond those read so far are unknown");
            return true;
        }
        return false;
    }
    return true;
}

// The colour is echoed, never kept: the craft's look comes from its material.
void echoColour(const char* block) {
    std::printf("trying to parse color %d\n", std::strncmp(block, "rgb", 3) == 0 ? 1 : 0);
    if (std::strncmp(block, "rgb=", 4) != 0) return;
    float r = 0, g = 0, b = 0;  // values missing from the block show as 0
    int matid = 0;
    std::sscanf(block, "rgb=(%g %g %g) matid=%d", &r, &g, &b, &matid);
    std::printf("set color to: %g %g %g\n", double(r), double(g), double(b));
}

void parseFace(const char* line, const char* fileName, unsigned long lineNumber) {
    const FaceLine scan = scanFace(line + 4);
    char reason[96];
    if (faceIsBad(scan, reason)) {
        skipLine(fileName, lineNumber, reason);
        return;
    }
    if (scan.block) echoColour(scan.block);
    MeshFace face;
    for (int i = 0; i < 3; ++i) face.indices[i] = int32_t(scan.corners[i]);
    smoothNormals(face);
    mesh.faces.push_back(face);
}

// line: at most 255 characters; lineNumber and fileName only name it in messages.
void parseMeshLine(const char* line, const char* fileName, unsigned long lineNumber) {
    if (std::strncmp(line, "Vertex ", 7) == 0) {
        parseVertex(line, fileName, lineNumber);
    } else if (std::strncmp(line, "Face ", 5) == 0) {
        parseFace(line, fileName, lineNumber);
    }  // comments and every other line are ignored
}

// Skips whitespace before a line, as a text stream's ws does, counting the
// line breaks; returns the line's first character, or EOF. The reader is the
// stream's only user, so it reads without taking the stream's lock per
// character, which would cost a third of the reading time.
int skipSpace(std::FILE* text, unsigned long& lineNumber) {
    int c = getc_unlocked(text);
    for (; c != EOF && std::isspace(c); c = getc_unlocked(text)) lineNumber += c == '\n';
    return c;
}

// The line that starts with first, as get(line, 256) and ignore(9999, '\n')
// take it: at most 255 characters kept, the rest dropped up to and including
// the line break; a longer rest comes back as a line of its own.
void takeLine(std::FILE* text, int first, char (&line)[lineLimit + 1], unsigned long& lineNumber) {
    size_t length = 0;
    int c = first;
    for (; c != EOF && c != '\n'; c = getc_unlocked(text)) {
        line[length++] = char(c);
        if (length == lineLimit) break;
    }
    line[length] = '\0';
    if (c == '\n') {
        ++lineNumber;
    } else if (length == lineLimit) {
        for (int dropped = 0; dropped < restLimit && (c = getc_unlocked(text)) != EOF; ++dropped) {
            if (c == '\n') {
                ++lineNumber;
                break;
            }
        }
    }
}

void readMeshFile(const char* fileName) {
    std::printf("Reading coordinates from %s\n", fileName);
    std::FILE* text = std::fopen(fileName, "r");
    if (!text) {
        std::printf("Could not open file %s\n", fileName);
        return;
    }
    readMeshStream(text, fileName);
    std::fclose(text);
}

// Only what exists: a mesh of five vertices may have fewer than three faces.
void printMeshSummary() {
    static const char* const order[3] = {"first", "second", "third"};
    for (size_t i = 0; i < 3; ++i) {
        if (i < mesh.vertices.size()) {
            const MeshVertex& v = mesh.vertices[i];
            std::printf("%s vertex: %f %f %f \n", order[i], double(v.x), double(v.y), double(v.z));
        }
        if (i < mesh.faces.size()) {
            const MeshFace& f = mesh.faces[i];
            std::printf("%s face: %d %d %d \n", order[i], f.indices[0], f.indices[1], f.indices[2]);
        }
    }
}

}  // namespace

void readMeshStream(std::FILE* text, const char* fileName) {
    char line[lineLimit + 1];
    unsigned long lineNumber = 1;
    for (int c = skipSpace(text, lineNumber); c != EOF; c = skipSpace(text, lineNumber)) {
        const unsigned long startsOn = lineNumber;
        takeLine(text, c, line, lineNumber);
        parseMeshLine(line, fileName, startsOn);
    }
}

void loadMesh(const char* fileName) {
    std::printf("file %s\n", fileName);
    readMeshFile(fileName);
    if (mesh.vertices.size() > 4) printMeshSummary();
}
