// The ".m" mesh reader: whole-file buffering, line cutting, vertex and face
// lines, attribute-block echo and running normal smoothing.
#include "assets/mesh.h"

#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>

#include <sys/stat.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    const char* readable = nullptr;  // memory up to here may be read, past the line's end too
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

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool eightAtOnce = true;
#else
constexpr bool eightAtOnce = false;
#endif

// Digit runs are read eight bytes at a time inside the line: the lines are
// short numbers, and a byte loop mispredicts at every run's end. The bytes
// at the line's end go one by one, as its NUL was stored just before and a
// wider load over it would wait for that store.
bool canReadEight(const char* p, const char* end) { return eightAtOnce && end - p >= 8; }

uint64_t loadEight(const char* p) {
    uint64_t bytes;
    std::memcpy(&bytes, p, 8);
    return bytes;
}

// How many of the eight bytes (first in memory first) are digits before the
// first non-digit. Bytes ahead of it carry no borrow or carry, so its own
// high bit is the lowest one set.
unsigned digitRun(uint64_t bytes) {
    uint64_t nonDigit = ((bytes + 0x4646464646464646u) | (bytes - 0x3030303030303030u)) &
                        0x8080808080808080u;
    return nonDigit ? unsigned(__builtin_ctzll(nonDigit)) / 8 : 8;
}

// The value of the first n (1 to 8) digits: shifted up, the missing ones
// read as leading zeros, then pairs, fours and eights are combined.
uint64_t digitsValue(uint64_t bytes, unsigned n) {
    uint64_t v = (bytes - 0x3030303030303030u) << (8 * (8 - n));
    v = v * 10 + (v >> 8);
    v = ((v & 0x000000FF000000FFu) * (100 + (1000000ull << 32)) +
         ((v >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32))) >> 32;
    return v;
}

constexpr uint64_t smallPowersOfTen[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000,
                                          100000000};

// Appends the digit run at p to number (wrapping past 64 bits; callers
// bound the run's length) and returns its end. *end must be a non-digit.
[[gnu::always_inline]] inline const char* appendDigits(const char* p, const char* end,
                                                       uint64_t& number) {
    uint64_t value = number;
    while (canReadEight(p, end)) {
        uint64_t bytes = loadEight(p);
        unsigned n = digitRun(bytes);
        if (n == 0) break;
        value = value * smallPowersOfTen[n] + digitsValue(bytes, n);
        p += n;
        if (n < 8) {
            number = value;
            return p;
        }
    }
    for (; p < end && isDigit(*p); ++p) value = value * 10 + uint64_t(*p - '0');
    number = value;
    return p;
}

// Powers of ten that float holds exactly (5^10 still fits in 24 bits).
constexpr float exactPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                      1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// Short decimals, the usual case: a mantissa below 2^24 and a power of ten
// up to 10^10 are both exact in float, so one multiply or divide rounds
// correctly, to the very float that strtof gives. Longer ones return false.
// The digits are gathered in one pass and judged at the end: the mantissa
// only grows, so a run that passed 2^24 on the way still ends above it, and
// 19 digits cannot wrap 64 bits. Longer runs (leading zeros) are rare.
bool readShortDecimal(const char* q, const char* end, float& value, const char*& after) {
    if (FLT_EVAL_METHOD != 0) return false;  // float arithmetic must round as float
    constexpr uint64_t exactLimit = 1u << 24;
    bool negative = *q == '-';
    if (*q == '-' || *q == '+') ++q;
    uint64_t mantissa = 0;
    const char* integerPart = q;
    q = appendDigits(q, end, mantissa);
    ptrdiff_t digits = q - integerPart;
    ptrdiff_t fractionDigits = 0;
    if (q < end && *q == '.') {
        const char* fraction = ++q;
        q = appendDigits(q, end, mantissa);
        fractionDigits = q - fraction;
    }
    if (digits + fractionDigits == 0 || digits + fractionDigits > 19) return false;
    int scale = -int(fractionDigits);
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
bool readPlainInt(const char*& p, const char* end) {
    const char* q = skipSpace(p);
    if (*q == '+' || *q == '-') ++q;
    if (!isDigit(*q)) return false;
    uint64_t ignored = 0;
    q = appendDigits(q, end, ignored);
    p = q;
    return true;
}

// "Vertex %d %g %g %g": returns how many conversions matched.
int scanVertex(const char* line, const char* end, float xyz[3]) {
    const char* p = line + 6;
    if (readPlainInt(p, end) && readPlainFloat(p, end, xyz[0]) && readPlainFloat(p, end, xyz[1]) &&
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
FaceScan scanFace(const char* line, const char* end) {
    constexpr uint64_t cap = 1000000000000000ull;  // no wrap-around on long digit runs
    FaceScan scan;
    const char* p = line + 4;
    for (int count = 0;; ) {
        p = skipSpace(p);
        if (*p == '\0') break;
        uint64_t value = 0;
        const char* start = p;
        p = appendDigits(p, end, value);
        if (p - start > 15)  // exact below the cap; longer runs as the cap rules say
            for (value = 0, p = start; isDigit(*p); ++p)
                value = value < cap ? value * 10 + uint64_t(*p - '0') : cap;
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

#if defined(__SSE2__)
// Which of the 64 bytes at p are digits, whitespace, minus signs and points,
// one bit each.
struct ByteClasses {
    uint64_t digit = 0, space = 0, minus = 0, point = 0;
};

// Only the 16-byte blocks the line reaches are looked at.
[[gnu::always_inline]] inline ByteClasses classify(const char* p, const char* end) {
    ByteClasses classes;
    int blocks = int((end - p + 15) / 16);
    for (int i = 0; i < blocks; ++i) {
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(b, _mm_set1_epi8('0' - 1)),
                                      _mm_cmplt_epi8(b, _mm_set1_epi8('9' + 1)));
        __m128i space = _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8(' ')),
                                     _mm_and_si128(_mm_cmpgt_epi8(b, _mm_set1_epi8('\t' - 1)),
                                                   _mm_cmplt_epi8(b, _mm_set1_epi8('\r' + 1))));
        __m128i minus = _mm_cmpeq_epi8(b, _mm_set1_epi8('-'));
        __m128i point = _mm_cmpeq_epi8(b, _mm_set1_epi8('.'));
        classes.digit |= uint64_t(unsigned(_mm_movemask_epi8(digit))) << (16 * i);
        classes.space |= uint64_t(unsigned(_mm_movemask_epi8(space))) << (16 * i);
        classes.minus |= uint64_t(unsigned(_mm_movemask_epi8(minus))) << (16 * i);
        classes.point |= uint64_t(unsigned(_mm_movemask_epi8(point))) << (16 * i);
    }
    return classes;
}

// The usual face line, "Face" and then only whitespace and short digit runs
// up to end, within 64 bytes, read without walking it byte by byte: every
// number's place comes from the bit masks, so the numbers are read
// independently. It needs no NUL at end. Anything else returns false and
// scanFace walks it.
bool scanPlainFace(const char* line, const char* end, FaceScan& scan) {
    const char* p = line + 4;
    if (!(source.readable && source.readable >= p && source.readable - p >= 80)) return false;
    if (end - p > 63) return false;
    ByteClasses classes = classify(p, end);
    uint64_t inLine = (uint64_t(1) << (end - p)) - 1;
    if (((classes.digit | classes.space) & inLine) != inLine) return false;
    uint64_t digits = classes.digit & inLine;
    uint64_t starts = digits & ~(digits << 1);
    starts &= starts - 1;  // the face's own number
    if ((starts & (starts - 1) & ((starts & (starts - 1)) - 1)) == 0) return false;  // under 3 more
    for (int i = 0; i < 3; ++i, starts &= starts - 1) {
        unsigned start = unsigned(__builtin_ctzll(starts));
        unsigned length = unsigned(__builtin_ctzll(~(digits >> start)));
        if (length > 8) return false;
        scan.corners[i] = digitsValue(loadEight(p + start), length);
    }
    scan.cornerCount = 3;
    return true;
}

// One "[-]digits[.digits]" token of the masked line at start, length long;
// false for any other shape, more than eight digits on either side of the
// point, or a mantissa that readShortDecimal would not take.
bool readMaskedDecimal(const char* p, const ByteClasses& classes, unsigned start,
                       unsigned length, float& value) {
    unsigned tokenEnd = start + length;
    bool negative = (classes.minus >> start) & 1;
    unsigned q = start + (negative ? 1 : 0);
    unsigned integerDigits = unsigned(__builtin_ctzll(~(classes.digit >> q)));
    unsigned fractionAt = q + integerDigits + 1, fractionDigits = 0;
    if (q + integerDigits != tokenEnd) {
        if (!((classes.point >> (q + integerDigits)) & 1)) return false;
        uint64_t fraction = fractionAt < 64 ? classes.digit >> fractionAt : 0;
        fractionDigits = unsigned(__builtin_ctzll(~fraction));
        if (fractionAt + fractionDigits != tokenEnd) return false;
    }
    if (integerDigits > 8 || fractionDigits > 8 || integerDigits + fractionDigits == 0)
        return false;
    uint64_t mantissa = integerDigits ? digitsValue(loadEight(p + q), integerDigits) : 0;
    mantissa *= smallPowersOfTen[fractionDigits];
    if (fractionDigits) mantissa += digitsValue(loadEight(p + fractionAt), fractionDigits);
    if (FLT_EVAL_METHOD != 0 || mantissa > (1u << 24)) return false;
    float magnitude = float(mantissa) / exactPowersOfTen[fractionDigits];  // as readShortDecimal
    value = negative ? -magnitude : magnitude;
    return true;
}

// The usual vertex line the same way: "Vertex", a plain number and three
// plain decimals, whitespace between, within 64 bytes and needing no NUL.
bool scanPlainVertex(const char* line, const char* end, float xyz[3]) {
    const char* p = line + 6;
    if (!(source.readable && source.readable >= p && source.readable - p >= 80)) return false;
    if (end - p > 63) return false;
    ByteClasses classes = classify(p, end);
    uint64_t inLine = (uint64_t(1) << (end - p)) - 1;
    classes.digit &= inLine, classes.minus &= inLine, classes.point &= inLine;
    uint64_t token = classes.digit | classes.minus | classes.point;
    if ((token | (classes.space & inLine)) != inLine) return false;
    uint64_t starts = token & ~(token << 1);
    unsigned at[4], length[4];
    for (int i = 0; i < 4; ++i, starts &= starts - 1) {
        if (starts == 0) return false;
        at[i] = unsigned(__builtin_ctzll(starts));
        length[i] = unsigned(__builtin_ctzll(~(token >> at[i])));
    }
    if (starts != 0) return false;
    uint64_t ownNumber = (uint64_t(1) << length[0]) - 1;
    if (((classes.digit >> at[0]) & ownNumber) != ownNumber) return false;  // digits only
    for (int i = 0; i < 3; ++i)
        if (!readMaskedDecimal(p, classes, at[i + 1], length[i + 1], xyz[i])) return false;
    return true;
}
#else
bool scanPlainFace(const char*, const char*, FaceScan&) { return false; }
bool scanPlainVertex(const char*, const char*, float*) { return false; }
#endif

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

#if !defined(__SSE2__)
// normalized(v) where it is defined.
bool unitDirection(Vec3 v, Vec3& out) {
    out = normalized(v);
    return isFinite(out) || unitDirectionSlow(v, out);
}
#endif

Vec3 positionOf(int32_t index) {
    const MeshVertex& v = mesh.vertices[size_t(index) - 1];
    return {v.x, v.y, v.z};
}

#if defined(__SSE2__)
// normalized(v) for four vectors at once, lane by lane: packed square root
// and division round each lane exactly as the single ones do.
void normalizeLanes(__m128& x, __m128& y, __m128& z) {
    __m128 k = _mm_div_ps(_mm_set1_ps(1.0f),
                          _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y)),
                                                 _mm_mul_ps(z, z))));
    x = _mm_mul_ps(k, x);
    y = _mm_mul_ps(k, y);
    z = _mm_mul_ps(k, z);
}

// One corner turned with 16-byte moves: the lanes are the vertex's z, kept
// bit for bit, then its normal. The next face that shares the corner reads
// it back whole, straight from this store.
void turnCorner(MeshVertex& vertex, __m128 n) {
    char* at = reinterpret_cast<char*>(&vertex) + offsetof(MeshVertex, z);
    __m128 old;
    std::memcpy(&old, at, sizeof old);
    __m128 sum = _mm_add_ps(old, n);
    __m128 squares = _mm_mul_ps(sum, sum);
    __m128 yy = _mm_shuffle_ps(squares, squares, _MM_SHUFFLE(3, 3, 2, 0));  // lane 1
    __m128 zz = _mm_shuffle_ps(squares, squares, _MM_SHUFFLE(3, 3, 3, 0));
    __m128 length2 = _mm_add_ps(_mm_add_ps(squares, yy), zz);  // lane 1: (x*x + y*y) + z*z
    __m128 k = _mm_div_ps(_mm_set1_ps(1.0f),
                          _mm_sqrt_ps(_mm_shuffle_ps(length2, length2, _MM_SHUFFLE(1, 1, 1, 1))));
    __m128 turned = _mm_move_ss(_mm_mul_ps(k, sum), old);
    __m128 zeroWhereFinite = _mm_sub_ps(turned, turned);
    if ((_mm_movemask_ps(_mm_cmpord_ps(zeroWhereFinite, zeroWhereFinite)) & 0xe) == 0xe) {
        std::memcpy(at, &turned, sizeof turned);
        return;
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, sum);
    Vec3 slow;
    if (unitDirectionSlow(Vec3(lanes[1], lanes[2], lanes[3]), slow)) vertex.normal = slow;
}

// The corners in order; distinct ones overlap on their own.
void turnCorners(const MeshFace& face, Vec3 n) {
    __m128 lanes = _mm_setr_ps(0.0f, n.x, n.y, n.z);
    for (int32_t index : face.indices) turnCorner(mesh.vertices[size_t(index) - 1], lanes);
}

// The faces' own normals depend on positions only, so four are found at
// once; the corner updates still run face by face, in file order.
void smoothFaces(size_t first, size_t last) {
    for (size_t f = first; f < last; f += 4) {
        size_t count = last - f < 4 ? last - f : 4;
        alignas(16) float e[6][4] = {{1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0},
                                     {0, 0, 0, 0}, {1, 1, 1, 1}, {0, 0, 0, 0}};
        for (size_t i = 0; i < count; ++i) {
            const int32_t* c = mesh.faces[f + i].indices;
            Vec3 p1 = positionOf(c[1]);
            Vec3 a = positionOf(c[0]) - p1, b = p1 - positionOf(c[2]);
            e[0][i] = a.x, e[1][i] = a.y, e[2][i] = a.z;
            e[3][i] = b.x, e[4][i] = b.y, e[5][i] = b.z;
        }
        __m128 ax = _mm_load_ps(e[0]), ay = _mm_load_ps(e[1]), az = _mm_load_ps(e[2]);
        __m128 bx = _mm_load_ps(e[3]), by = _mm_load_ps(e[4]), bz = _mm_load_ps(e[5]);
        __m128 x = _mm_sub_ps(_mm_mul_ps(ay, bz), _mm_mul_ps(by, az));
        __m128 y = _mm_sub_ps(_mm_mul_ps(az, bx), _mm_mul_ps(ax, bz));
        __m128 z = _mm_sub_ps(_mm_mul_ps(ax, by), _mm_mul_ps(bx, ay));
        alignas(16) float raw[3][4], unit[3][4];
        _mm_store_ps(raw[0], x), _mm_store_ps(raw[1], y), _mm_store_ps(raw[2], z);
        normalizeLanes(x, y, z);
        _mm_store_ps(unit[0], x), _mm_store_ps(unit[1], y), _mm_store_ps(unit[2], z);
        for (size_t i = 0; i < count; ++i) {
            Vec3 n(unit[0][i], unit[1][i], unit[2][i]);
            Vec3 crossed(raw[0][i], raw[1][i], raw[2][i]);
            if (!isFinite(n) && !unitDirectionSlow(crossed, n)) continue;  // degenerate face
            turnCorners(mesh.faces[f + i], n);
        }
    }
}
#else
// Each face turns its corners' normals half-way towards its own normal n,
// corner by corner.
void turnCorners(const MeshFace& face, Vec3 n) {
    for (int32_t index : face.indices) {
        Vec3& normal = mesh.vertices[size_t(index) - 1].normal;
        Vec3 turned;
        if (unitDirection(normal + n, turned)) normal = turned;
    }
}

void smoothFaces(size_t first, size_t last) {
    for (size_t f = first; f < last; ++f) {
        const int32_t* c = mesh.faces[f].indices;
        Vec3 p1 = positionOf(c[1]);
        Vec3 n;
        if (unitDirection(cross(positionOf(c[0]) - p1, p1 - positionOf(c[2])), n))
            turnCorners(mesh.faces[f], n);
    }
}
#endif

// While a text is cut into lines, faces only queue up and are smoothed
// together once that piece of text is cut; a single line is smoothed at once.
bool deferSmoothing = false;

// A face that passed faceIsBad: kept and smoothed.
void keepFace(const FaceScan& scan) {
    // Written in place: a copy through the stack stalls on store forwarding.
    MeshFace& face = mesh.faces.emplace_back();
    for (int i = 0; i < 3; ++i) face.indices[i] = int32_t(scan.corners[i]);
    if (!deferSmoothing) smoothFaces(mesh.faces.size() - 1, mesh.faces.size());
}

void parseFace(const char* line, const char* end) {
    FaceScan scan;
    if (!scanPlainFace(line, end, scan)) scan = scanFace(line, end);
    if (faceIsBad(scan)) return;
    if (scan.block) echoAttributes(scan.block, end);
    keepFace(scan);
}

// A plain face line straight from the text, with no NUL written behind it:
// a load over a byte stored just before cannot be forwarded and waits.
bool parsePlainFaceLine(const char* line, const char* end) {
    FaceScan scan;
    if (end - line < 5 || std::memcmp(line, "Face ", 5) != 0 || !scanPlainFace(line, end, scan))
        return false;
    if (!faceIsBad(scan)) keepFace(scan);
    return true;
}

bool parsePlainVertexLine(const char* line, const char* end) {
    float xyz[3];
    if (end - line < 7 || std::memcmp(line, "Vertex ", 7) != 0 || !scanPlainVertex(line, end, xyz))
        return false;
    mesh.vertices.push_back({xyz[0], xyz[1], xyz[2], Vec3()});
    return true;
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

void parseMeshLine(const char* line) {
    const char* end = line + std::strlen(line);
    const char* saved = source.readable;
    source.readable = end + 1;
    parseLine(line, end);
    source.readable = saved;
}

namespace {

// A line, its cut rest and the line break behind it all fit in this much text.
constexpr size_t lineWindow = lineLimit + restLimit + 1;

// Cuts text into the lines a text stream would deliver: whitespace skipped
// first, at most 255 characters, then up to 9999 more dropped up to and
// including the line break (a longer remainder comes back as a line). Unless
// the text is final, stops where less than a whole window remains and
// returns that position; the caller refills and comes back.
size_t cutLinesOnly(char* text, size_t size, bool final, unsigned long& lineNumber) {
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
        source.lineNumber = lineNumber;
        if (!parsePlainFaceLine(text + pos, text + end) &&
            !parsePlainVertexLine(text + pos, text + end)) {
            char kept = text[end];
            text[end] = '\0';
            parseLine(text + pos, text + end);
            text[end] = kept;
        }
        lineNumber += breaks;
        pos = next;
    }
}

// cutLinesOnly with the smoothing of the faces it read done at the end.
size_t cutLines(char* text, size_t size, bool final, unsigned long& lineNumber) {
    size_t firstFace = mesh.faces.size();
    bool saved = deferSmoothing;
    const char* savedReadable = source.readable;
    deferSmoothing = true;
    source.readable = text + size;
    size_t used = cutLinesOnly(text, size, final, lineNumber);
    deferSmoothing = saved;
    source.readable = savedReadable;
    smoothFaces(firstFace, mesh.faces.size());
    return used;
}

// Big files would otherwise copy their lists several times while they grow;
// real vertex and face lines carry about 40 bytes each. Room reserved but
// never filled costs address space only, not memory.
void reserveFor(uint64_t fileBytes) {
    mesh.vertices.reserve(mesh.vertices.size() + size_t(fileBytes / 40));
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
