// The fast mesh reader against a plain istream + sscanf reader, on generated
// meshes and on hostile text: same lines, same messages, same numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "assets/mesh.h"
#include "assets/mesh_reference.h"
#include "assets/test_files.h"
#include "tools/asset_writers.h"

namespace {

const char* const trickyFloats[] = {
    "0", "1", "-1", "+1", "1.5", ".5", "5.", "-.5", "+.5e3", "1e5", "1E-5", "1e", "1e+", "1e-x",
    "nan", "NAN", "-nan", "nan(123)", "nan(", "inf", "-inf", "Infinity", "+INF", "infinit", "infx",
    "0x1p3", "0X1.8P-2", "-0x", "0x", "0x.8", "0xg", "0x1p", "1e40", "-1e39", "1e-40", "1e-46",
    "3.4028235e38", "3.4028236e38", "3.40282357e38", "1.17549435e-38", "1.4e-45", "0.7e-45",
    "7.0064923e-46", ".", "-", "+", "e5", "1.2.3", "1e5e5", "12abc", "1,5", "00012", "-0", "0e0",
    "1_0", "1e0x", "2.5f", "0.1", "0.2", "0.3", "16777217", "9.999999e-1", "1.00000006",
    "123456789012345678901234567890", "0.000000000000000000000000000000000000000000001",
    "4.9e-324", "1e-400", "1e400", "-0.0e-0", "+-1", "-+1", "--1", "1.e3", ".e3", "1e03",
};

const char* const separators[] = {" ", " ", " ", "  ", "\t", "\v", "\f", "\r", "", ","};

class TextMaker {
public:
    explicit TextMaker(uint32_t seed) : random_(seed) {}

    std::string document() {
        const char* pads[] = {"", "", "", " ", "\t", "  \t ", "\r", "\n\n", "\v\f"};
        std::string text;
        for (int i = pick(1, 40); i > 0; --i)
            text += pads[pick(0, 8)] + line() + (chance(6) ? "\r\n" : "\n");
        if (chance(4)) text += line();  // no line break at the end
        return text;
    }

private:
    std::mt19937 random_;
    int vertices_ = 0;

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
    bool chance(int oneIn) { return pick(1, oneIn) == 1; }
    std::string separator() { return separators[pick(0, 9)]; }
    std::string sign() { return chance(2) ? "-" : "+"; }
    std::string digits(int most) {
        std::string d;
        for (int i = pick(0, most); i > 0; --i) d += char('0' + pick(0, 9));
        return d;
    }

    std::string floatToken() {
        if (chance(3)) return trickyFloats[pick(0, int(std::size(trickyFloats)) - 1)];
        std::string s = (chance(3) ? sign() : "") + digits(12);
        if (chance(2)) s += "." + digits(12);
        if (chance(3)) s += (chance(2) ? "e" : "E") + (chance(2) ? sign() : "") + digits(3);
        return s;
    }
    std::string intToken() {
        const char* odd[] = {"-3", "+4", "x", "", "+", "0x10", "99999999999999999999", "1.5"};
        return chance(6) ? odd[pick(0, 7)] : std::to_string(pick(0, 1000));
    }

    std::string vertexLine() {
        ++vertices_;
        std::string s = chance(20) ? (chance(2) ? "vertex " : "Vertex\t") : "Vertex ";
        s += intToken();
        for (int i = 0; i < 3; ++i) s += (chance(8) ? separator() : " ") + floatToken();
        if (chance(5)) s += separator() + floatToken();
        return s;
    }
    std::string block() {
        std::string s = chance(3) ? " {" : "{";
        switch (pick(0, 5)) {
        case 0: return s + "matid=" + intToken() + "}";
        case 1: return s + "rgbx";
        case 2: return s + "rgb(" + floatToken() + ")";
        default:
            s += "rgb=(";
            for (int i = 0; i < 3; ++i)
                s += (i ? separator() : std::string(chance(4) ? " " : "")) + floatToken();
            return s + ") matid=" + intToken() + "}";
        }
    }
    std::string faceLine() {
        std::string s = "Face" + std::string(chance(10) ? "\t" : " ") + std::to_string(pick(0, 99));
        int numbers = pick(1, 5);
        for (int i = 0; i < numbers; ++i) {
            s += chance(10) ? separator() : " ";
            if (chance(25)) s += chance(2) ? "-" : "a";
            s += std::to_string(pick(0, vertices_ + 2));
        }
        if (chance(3)) s += block();
        return s;
    }
    // Lines whose tail starts right at the 255 cut or at the end of the 9999 skip.
    std::string longLine() {
        const int lengths[] = {254, 255, 256, 300, 10253, 10254, 10255, 10256, 20508, 20509};
        std::string s = chance(2) ? faceLine() : vertexLine();
        s.resize(size_t(lengths[pick(0, 9)]), chance(2) ? ' ' : '7');
        if (chance(2)) s += chance(2) ? "\nVertex 9 1 2 3" : "Vertex 9 1 2 3";
        if (chance(2)) s += " {rgb=(0.5 0.25 1) matid=1}";
        return s;
    }
    std::string line() {
        int kind = pick(0, 99);
        if (kind < 40) return vertexLine();
        if (kind < 80) return faceLine();
        if (kind < 85) return "# comment " + floatToken();
        if (kind < 90) return longLine();
        if (kind < 93) return std::string("Vertex 1 2") + '\0' + " 3 4";
        if (kind < 96) return "junk " + floatToken();
        return "";
    }
};

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The fast reader's output and mesh (already read) against the reference's.
void expectSameMesh(const std::string& fast, const reference::Reader& plain,
                    const std::string& what) {
    ASSERT_EQ(fast, plain.output) << what;
    ASSERT_EQ(mesh.vertices.size(), plain.vertices.size()) << what;
    for (size_t i = 0; i < plain.vertices.size(); ++i) {
        const MeshVertex &a = mesh.vertices[i], &b = plain.vertices[i];
        ASSERT_TRUE(sameBits(a.x, b.x) && sameBits(a.y, b.y) && sameBits(a.z, b.z))
            << what << ": vertex " << i + 1 << " " << a.x << " " << a.y << " " << a.z << " vs "
            << b.x << " " << b.y << " " << b.z;
        ASSERT_TRUE(std::isfinite(a.normal.x) && std::isfinite(a.normal.y) &&
                    std::isfinite(a.normal.z))
            << what << ": vertex " << i + 1;
    }
    ASSERT_EQ(mesh.faces.size(), plain.faces.size()) << what;
    for (size_t i = 0; i < plain.faces.size(); ++i)
        ASSERT_EQ(std::memcmp(mesh.faces[i].indices, plain.faces[i].indices, sizeof(MeshFace)), 0)
            << what << ": face " << i + 1;
}

void expectSameAsReference(const std::string& text, const ScratchDir& dir,
                           const std::string& what) {
    const std::string path = dir.write("diff.m", text);
    mesh = Mesh();
    testing::internal::CaptureStdout();
    readMeshFile(path.c_str());
    std::fflush(stdout);
    const std::string fast = testing::internal::GetCapturedStdout();
    reference::Reader plain;
    plain.read(text, path);
    plain.output = "Reading coordinates from " + path + "\n" + plain.output;
    expectSameMesh(fast, plain, what);
}

TEST(MeshDifferential, HostileRandomTextReadsLikeTheReference) {
    ScratchDir dir;
    TextMaker maker(20261206);
    for (int i = 0; i < 1500; ++i) {
        std::string text = maker.document();
        expectSameAsReference(text, dir, "document " + std::to_string(i));
        if (HasFatalFailure()) {
            std::printf("failing document:\n%s\n", text.substr(0, 2000).c_str());
            return;
        }
    }
    mesh = Mesh();
}

// The reader keeps a line window ahead of its buffer's end; with buffers from
// one byte up every refill lands somewhere inside a long line or its rest.
TEST(MeshDifferential, RefillsInsideLongLinesReadLikeTheReference) {
    TextMaker maker(4242);
    std::mt19937 random(4242);
    std::string text;
    while (text.size() < 400000) {
        text += maker.document() + "\n";
        for (int i = 0; i < 8; ++i) {
            size_t length = 9000 + random() % 11700;
            text += "# " + std::string(length, random() % 2 ? ' ' : 'a') + "Vertex 8 1 2 " +
                    std::to_string(random() % 1000) + (random() % 2 ? "\n" : "\r\n");
        }
    }
    reference::Reader plain;
    plain.read(text, "chunks.m");
    for (size_t chunk : {size_t(1), size_t(7), size_t(256), size_t(4099), size_t(65536)}) {
        std::string copy = text;
        std::FILE* file = fmemopen(copy.data(), copy.size(), "r");
        ASSERT_NE(file, nullptr);
        mesh = Mesh();
        testing::internal::CaptureStdout();
        readMeshStream(file, "chunks.m", chunk);
        std::fflush(stdout);
        std::fclose(file);
        expectSameMesh(testing::internal::GetCapturedStdout(), plain,
                       "chunk " + std::to_string(chunk));
        if (HasFatalFailure()) return;
    }
    mesh = Mesh();
}

// Numbers near the limits of exact float arithmetic: 7 to 9 digits, powers
// of ten around 10^10, mantissas around 2^24.
TEST(MeshDifferential, ShortDecimalsRoundLikeStrtof) {
    ScratchDir dir;
    std::mt19937 random(99);
    std::string text;
    auto digits = [&](int count) {
        std::string d;
        for (int i = 0; i < count; ++i) d += char('0' + random() % 10);
        return d;
    };
    const char* edges[] = {"16777216", "16777217", "16777215", "33554431", "1e10", "1e11",
                           "1e-10", "1e-11", "16777216e10", "16777217e-10", "0.16777217"};
    for (const char* edge : edges)
        text += std::string("Vertex 1 ") + edge + " -" + edge + " " + edge + "\n";
    for (int i = 0; i < 60000; ++i) {
        std::string number = digits(1 + int(random() % 9));
        size_t point = random() % (number.size() + 1);
        if (random() % 3) number.insert(point, ".");
        if (random() % 2) number += "e" + std::to_string(int(random() % 27) - 13);
        text +=
            "Vertex " + std::to_string(i) + " " + number + " -" + number + " " + digits(8) + "\n";
    }
    expectSameAsReference(text, dir, "short decimals");
    mesh = Mesh();
}

TEST(MeshDifferential, GeneratedMeshesReadLikeTheReference) {
    ScratchDir dir;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-1000.0f, 1000.0f);
    for (int round = 0; round < 5; ++round) {
        assetwriters::MeshText text;
        text.comments = {"generated for the differential test"};
        for (int i = 0; i < 2000; ++i)
            text.vertices.push_back(
                {coordinate(random), coordinate(random) * 1e-6f, coordinate(random) * 1e7f});
        for (int i = 0; i < 4000; ++i) {
            assetwriters::MeshTriangle t{1 + i % 2000, 1 + (i * 7 + 1) % 2000,
                                         1 + (i * 13 + 2) % 2000};
            if (i % (round + 1) == 0) {
                t.coloured = true;
                t.r = coordinate(random);
                t.g = 0.5f;
                t.b2 = 1e-7f;
                t.matid = i;
            }
            text.faces.push_back(t);
        }
        std::string path = dir.file("generated.m");
        ASSERT_TRUE(assetwriters::writeMesh(path.c_str(), text));
        expectSameAsReference(readFileBytes(path), dir, "generated mesh " + std::to_string(round));
    }
    mesh = Mesh();
}

}  // namespace
