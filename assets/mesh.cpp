// The ".m" mesh reader: whole-file buffering, line cutting, vertex and face
// lines, attribute-block echo and running normal smoothing.
#include "assets/mesh.h"

#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>

#include <sys/stat.h>

Mesh mesh;

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - b.y * a.z, a.z * b.x - a.x * b.z, a.x * b.y - b.x * a.y};
}

Vec3 normalized(Vec3 v) {
    float k = 1 / std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {k * v.x, k * v.y, k * v.z};
}

Vec3 unitNormal(Vec3 a, Vec3 b) { return normalized(cross(a, b)); }

namespace {

constexpr size_t lineLimit = 255;   // characters a line may carry
constexpr size_t restLimit = 9999;  // characters dropped behind a cut line

// Where the line being parsed came from, for the skip messages.
struct LineSource {
    const char* fileName = "mesh text";
    unsigned long lineNumber = 0;
};
LineSource source;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlnum(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

const char* skipSpace(const char* p) {
    while (isSpace(*p)) ++p;
    return p;
}

void skipLine(const char* reason) {
    std::printf("Skipped line %lu of %s: %s\n", source.lineNumber, source.fileName, reason);
}

// Powers of ten that float holds exactly (5^10 still fits in 24 bits).
constexpr float exactPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                      1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// Short decimals, the usual case: a mantissa below 2^24 and a power of ten
// up to 10^10 are both exact in float, so one multiply or divide rounds
// correctly, to the very float that strtof gives. Longer ones return false.
bool readShortDecimal(const char* q, const char* end, float& value, const char*& after) {
    if (FLT_EVAL_METHOD != 0) return false;  // float arithmetic must round as float
    constexpr uint64_t exactLimit = 1u << 24;
    bool negative = *q == '-';
    if (*q == '-' || *q == '+') ++q;
    uint64_t mantissa = 0;
    int scale = 0;
    const char* integerPart = q;
    for (; q < end && isDigit(*q); ++q) {
        if (mantissa >= exactLimit) return false;
        mantissa = mantissa * 10 + uint64_t(*q - '0');
    }
    bool anyDigits = q != integerPart;
    if (q < end && *q == '.') {
        const char* fraction = ++q;
        for (; q < end && isDigit(*q); ++q, --scale) {
            if (mantissa >= exactLimit) return false;
            mantissa = mantissa * 10 + uint64_t(*q - '0');
        }
        anyDigits = anyDigits || q != fraction;
    }
    if (!anyDigits) return false;
    if (q < end && (*q == 'e' || *q == 'E')) {
        const char* e = q + 1;
        bool negativeExponent = e < end && *e == '-';
        if (e < end && (*e == '-' || *e == '+')) ++e;
        int exponent = 0;
        const char* exponentDigits = e;
        for (; e < end && isDigit(*e); ++e) {
            if (exponent > 100) return false;
            exponent = exponent * 10 + (*e - '0');
        }
        if (e == exponentDigits) return false;  // a dangling exponent: scanf decides
        scale += negativeExponent ? -exponent : exponent;
        q = e;
    }
    if (mantissa > exactLimit || scale < -10 || scale > 10) return false;
    float magnitude = float(mantissa);
    magnitude = scale < 0 ? magnitude / exactPowersOfTen[-scale] : magnitude * exactPowersOfTen[scale];
    value = negative ? -magnitude : magnitude;
    after = q;
    return true;
}

// One "%g" conversion where our own reading or from_chars gives exactly what
// scanf would: a plain decimal number followed by a character that cannot
// continue one. Anything else (hex, inf, nan, a dangling exponent, out of
// range) returns false and the caller asks sscanf itself.
bool readPlainFloat(const char*& p, const char* end, float& value) {
    const char* q = skipSpace(p);
    const char* after = nullptr;
    if (!readShortDecimal(q, end, value, after)) {
        if (!isDigit(*q) && *q != '.' && *q != '-') return false;
        auto result = std::from_chars(q, end, value);
        if (result.ec != std::errc()) return false;
        after = result.ptr;
    }
    char next = after < end ? *after : '\0';
    if (isAlnum(next) || next == '.' || next == '+' || next == '-') return false;
    p = after;
    return true;
}

// "%d" as scanf reads it; the number itself is never used.
bool readPlainInt(const char*& p) {
    const char* q = skipSpace(p);
    if (*q == '+' || *q == '-') ++q;
    if (!isDigit(*q)) return false;
    while (isDigit(*q)) ++q;
    p = q;
    return true;
}

// "Vertex %d %g %g %g": returns how many conversions matched.
int scanVertex(const char* line, const char* end, float xyz[3]) {
    const char* p = line + 6;
    if (readPlainInt(p) && readPlainFloat(p, end, xyz[0]) && readPlainFloat(p, end, xyz[1]) &&
        readPlainFloat(p, end, xyz[2]))
        return 4;
    int id = 0;
    return std::sscanf(line, "Vertex %d %g %g %g", &id, &xyz[0], &xyz[1], &xyz[2]);
}

void parseVertex(const char* line, const char* end) {
    float xyz[3] = {0, 0, 0};
    if (scanVertex(line, end, xyz) < 4) {
        skipLine("a vertex line needs its own number and three coordinates");
        return;
    }
    mesh.vertices.push_back({xyz[0], xyz[1], xyz[2], Vec3()});
}

// "rgb=(%g %g %g)": colour values missing from the block stay 0.
void scanColour(const char* text, const char* end, float rgb[3]) {
    const char* p = text + 4;
    if (*p == '(') {
        ++p;
        if (readPlainFloat(p, end, rgb[0]) && readPlainFloat(p, end, rgb[1]) &&
            readPlainFloat(p, end, rgb[2]))
            return;
    }
    rgb[0] = rgb[1] = rgb[2] = 0;
    int matid = 0;
    std::sscanf(text, "rgb=(%g %g %g) matid=%d", &rgb[0], &rgb[1], &rgb[2], &matid);
}

void echoAttributes(const char* text, const char* end) {
    std::cout << "trying to parse color " << (std::strncmp(text, "rgb", 3) == 0 ? 1 : 0)
              << std::endl;
    if (std::strncmp(text, "rgb=", 4) != 0) return;
    float rgb[3] = {0, 0, 0};
    scanColour(text, end, rgb);
    std::cout << "set color to: " << rgb[0] << ' ' << rgb[1] << ' ' << rgb[2] << std::endl;
}

struct FaceScan {
    uint64_t corners[3] = {0, 0, 0};
    int cornerCount = 0;        // corners that carry digits
    const char* block = nullptr;  // text behind "{", if any
    char badCharacter = 0;
};

// Numbers behind "Face": the face's own, then the corners; an empty digit
// run counts as a number only where a "{" stands.
FaceScan scanFace(const char* line) {
    constexpr uint64_t cap = 1000000000000000ull;  // no wrap-around on long digit runs
    FaceScan scan;
    const char* p = line + 4;
    for (int count = 0;; ) {
        p = skipSpace(p);
        if (*p == '\0') break;
        uint64_t value = 0;
        const char* start = p;
        for (; isDigit(*p); ++p) value = value < cap ? value * 10 + uint64_t(*p - '0') : cap;
        if (p == start && *p != '{') {
            scan.badCharacter = *p;
            break;
        }
        ++count;
        if (count >= 2 && count <= 4 && p != start) scan.corners[scan.cornerCount++] = value;
        if (count >= 2 && *p == '{') {
            scan.block = p + 1;
            break;
        }
    }
    return scan;
}

// Reports why the face cannot be used; false when it can.
bool faceIsBad(const FaceScan& scan) {
    char reason[160];
    if (scan.badCharacter != 0) {
        unsigned code = static_cast<unsigned char>(scan.badCharacter);
        if (code > 32 && code < 127)
            std::snprintf(reason, sizeof reason, "unexpected character '%c' in a face line",
                          scan.badCharacter);
        else
            std::snprintf(reason, sizeof reason, "unexpected character 0x%02x in a face line", code);
    } else if (scan.cornerCount < 3) {
        std::snprintf(reason, sizeof reason, "a face line needs three vertex numbers, found %d",
                      scan.cornerCount);
    } else {
        for (int i = 0; i < 3; ++i) {
            uint64_t corner = scan.corners[i];
            if (corner >= 1 && corner <= mesh.vertices.size()) continue;
            std::snprintf(reason, sizeof reason,
                          "face names vertex %llu, but vertices %s",
                          static_cast<unsigned long long>(corner),
                          corner == 0 ? "count from 1" : "beyond those read so far are unknown");
            skipLine(reason);
            return true;
        }
        return false;
    }
    skipLine(reason);
    return true;
}

bool isFinite(Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A zero, tiny or huge v that float cannot square: retried in double; false
// where no direction exists.
[[gnu::noinline]] bool unitDirectionSlow(Vec3 v, Vec3& out) {
    double x = double(v.x), y = double(v.y), z = double(v.z);
    double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0) || !std::isfinite(length)) return false;
    out = {float(x / length), float(y / length), float(z / length)};
    return isFinite(out);
}

// normalized(v) where it is defined.
inline bool unitDirection(Vec3 v, Vec3& out) {
    out = normalized(v);
    return isFinite(out) || unitDirectionSlow(v, out);
}

Vec3 positionOf(int32_t index) {
    const MeshVertex& v = mesh.vertices[size_t(index) - 1];
    return {v.x, v.y, v.z};
}

// Each face turns its corners' normals half-way towards its own normal.
void smoothNormals(const MeshFace& face) {
    Vec3 p0 = positionOf(face.indices[0]);
    Vec3 p1 = positionOf(face.indices[1]);
    Vec3 p2 = positionOf(face.indices[2]);
    Vec3 n;
    if (!unitDirection(cross(p0 - p1, p1 - p2), n)) return;  // degenerate face
    for (int32_t index : face.indices) {
        Vec3& normal = mesh.vertices[size_t(index) - 1].normal;
        Vec3 turned;
        if (unitDirection(normal + n, turned)) normal = turned;
    }
}

void parseFace(const char* line, const char* end) {
    FaceScan scan = scanFace(line);
    if (faceIsBad(scan)) return;
    if (scan.block) echoAttributes(scan.block, end);
    MeshFace face;
    for (int i = 0; i < 3; ++i) face.indices[i] = int32_t(scan.corners[i]);
    smoothNormals(face);
    mesh.faces.push_back(face);
}

// end: the line's terminating NUL (the text before it may hold another).
void parseLine(const char* line, const char* end) {
    size_t length = size_t(end - line);
    if (length >= 7 && std::memcmp(line, "Vertex ", 7) == 0)
        parseVertex(line, end);
    else if (length >= 5 && std::memcmp(line, "Face ", 5) == 0)
        parseFace(line, end);
}

}  // namespace

void parseMeshLine(const char* line) { parseLine(line, line + std::strlen(line)); }

namespace {

// A line, its cut rest and the line break behind it all fit in this much text.
constexpr size_t lineWindow = lineLimit + restLimit + 1;

// Cuts text into the lines a text stream would deliver: whitespace skipped
// first, at most 255 characters, then up to 9999 more dropped up to and
// including the line break (a longer remainder comes back as a line). Unless
// the text is final, stops where less than a whole window remains and
// returns that position; the caller refills and comes back.
size_t cutLines(char* text, size_t size, bool final, unsigned long& lineNumber) {
    size_t pos = 0;
    for (;;) {
        for (; pos < size && isSpace(text[pos]); ++pos) lineNumber += text[pos] == '\n';
        if (pos >= size || (!final && size - pos < lineWindow)) return pos;
        size_t limit = pos + lineLimit < size ? pos + lineLimit : size;
        const void* lineBreak = std::memchr(text + pos, '\n', limit - pos);
        size_t end = lineBreak ? size_t(static_cast<const char*>(lineBreak) - text) : limit;
        size_t next = size;
        unsigned long breaks = 0;
        if (end < size && text[end] == '\n') {
            next = end + 1;
            breaks = 1;
        } else if (end < size) {
            size_t restEnd = end + restLimit < size ? end + restLimit : size;
            const void* restBreak = std::memchr(text + end, '\n', restEnd - end);
            next = restBreak ? size_t(static_cast<const char*>(restBreak) - text) + 1 : restEnd;
            breaks = restBreak ? 1 : 0;
        }
        char kept = text[end];
        text[end] = '\0';
        source.lineNumber = lineNumber;
        parseLine(text + pos, text + end);
        text[end] = kept;
        lineNumber += breaks;
        pos = next;
    }
}

// Big files would otherwise copy their lists several times while they grow;
// real meshes have at least this many bytes per vertex and per face line.
void reserveFor(uint64_t fileBytes) {
    mesh.vertices.reserve(mesh.vertices.size() + size_t(fileBytes / 80));
    mesh.faces.reserve(mesh.faces.size() + size_t(fileBytes / 40));
}

uint64_t fileSize(std::FILE* file) {
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    return uint64_t(info.st_size);
}

}  // namespace

void readMeshStream(std::FILE* file, const char* fileName, size_t chunkBytes) {
    if (chunkBytes == 0) chunkBytes = 1;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[chunkBytes + lineWindow + 1]);
    if (!buffer) return;
    LineSource saved = source;
    source.fileName = fileName;
    unsigned long lineNumber = 1;
    size_t filled = 0;
    for (bool final = false; !final;) {
        size_t got = std::fread(buffer.get() + filled, 1, chunkBytes + lineWindow - filled, file);
        filled += got;
        final = got == 0 || std::feof(file) || std::ferror(file);
        size_t used = cutLines(buffer.get(), filled, final, lineNumber);
        std::memmove(buffer.get(), buffer.get() + used, filled - used);
        filled -= used;
    }
    source = saved;
}

void parseMeshText(char* text, size_t size, const char* fileName) {
    LineSource saved = source;
    source.fileName = fileName;
    unsigned long lineNumber = 1;
    cutLines(text, size, true, lineNumber);
    source = saved;
}

void readMeshFile(const char* fileName) {
    std::printf("Reading coordinates from %s\n", fileName);
    std::FILE* file = std::fopen(fileName, "r");
    if (!file) {
        std::printf("Could not open file %s\n", fileName);
        return;
    }
    reserveFor(fileSize(file));
    readMeshStream(file, fileName, size_t(1) << 20);  // stays in cache, unlike a whole-file copy
    std::fclose(file);
}

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

void loadMesh(const char* fileName) {
    std::cout << "file " << fileName << std::endl;
    readMeshFile(fileName);
    if (mesh.vertices.size() > 4) printMeshSummary();
}
