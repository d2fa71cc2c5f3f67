// A plain ".m" reader built on istream::get/ignore and sscanf, written for
// clarity rather than speed: the yardstick the fast reader must match.
#pragma once

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "assets/mesh.h"

namespace reference {

struct Reader {
    std::vector<MeshVertex> vertices;
    std::vector<MeshFace> faces;
    std::string output;
    std::string fileName;
    unsigned long lineNumber = 0;

    void say(const std::string& text) { output += text; }

    void skip(const std::string& reason) {
        say("Skipped line " + std::to_string(lineNumber) + " of " + fileName + ": " + reason + "\n");
    }

    void read(const std::string& content, const std::string& name) {
        fileName = name;
        std::istringstream in(content);
        char line[256];
        size_t counted = 0;
        lineNumber = 1;
        while (!in.fail() && !in.bad()) {
            in >> std::ws;
            std::streamoff here = in.tellg();
            in.get(line, 256);
            if (in.fail()) break;
            in.ignore(9999, '\n');
            for (; counted < size_t(here); ++counted) lineNumber += content[counted] == '\n';
            parseLine(line);
        }
    }

    void parseLine(const char* line) {
        if (line[0] == '#') return;
        if (std::strncmp(line, "Vertex ", 7) == 0) {
            int id = 0;
            float x = 0, y = 0, z = 0;
            if (std::sscanf(line, "Vertex %d %g %g %g", &id, &x, &y, &z) == 4)
                vertices.push_back({x, y, z, Vec3()});
            else
                skip("a vertex line needs its own number and three coordinates");
            return;
        }
        if (std::strncmp(line, "Face ", 5) == 0) parseFace(line);
    }

    void parseFace(const char* line) {
        std::vector<uint64_t> corners;
        const char* p = line + 4;
        const char* block = nullptr;
        int count = 0;
        while (true) {
            while (std::isspace(static_cast<unsigned char>(*p))) ++p;
            if (*p == '\0') break;
            if (!std::isdigit(static_cast<unsigned char>(*p)) && *p != '{') {
                char reason[80];
                unsigned code = static_cast<unsigned char>(*p);
                if (code > 32 && code < 127)
                    std::snprintf(reason, sizeof reason, "unexpected character '%c' in a face line", *p);
                else
                    std::snprintf(reason, sizeof reason, "unexpected character 0x%02x in a face line", code);
                skip(reason);
                return;
            }
            uint64_t value = 0;
            bool digits = false;
            while (std::isdigit(static_cast<unsigned char>(*p))) {
                value = value < 1000000000000000ull ? value * 10 + uint64_t(*p - '0') : 1000000000000000ull;
                digits = true;
                ++p;
            }
            ++count;
            if (count >= 2 && count <= 4 && digits) corners.push_back(value);
            if (count >= 2 && *p == '{') {
                block = p + 1;
                break;
            }
        }
        if (corners.size() < 3) {
            skip("a face line needs three vertex numbers, found " + std::to_string(corners.size()));
            return;
        }
        for (uint64_t c : corners) {
            if (c >= 1 && c <= vertices.size()) continue;
            skip("face names vertex " + std::to_string(c) + ", but vertices " +
                 (c == 0 ? "count from 1" : "beyond those read so far are unknown"));
            return;
        }
        if (block) echo(block);
        faces.push_back({{int32_t(corners[0]), int32_t(corners[1]), int32_t(corners[2])}});
    }

    void echo(const char* text) {
        bool rgb = std::strncmp(text, "rgb", 3) == 0;
        say(std::string("trying to parse color ") + (rgb ? "1" : "0") + "\n");
        if (std::strncmp(text, "rgb=", 4) != 0) return;
        float r = 0, g = 0, b = 0;
        int matid = 0;
        std::sscanf(text, "rgb=(%g %g %g) matid=%d", &r, &g, &b, &matid);
        std::ostringstream colour;
        colour << "set color to: " << r << ' ' << g << ' ' << b << "\n";
        say(colour.str());
    }
};

}  // namespace reference
