// Builds the large inputs of the reader benchmarks, a big ".m" mesh and a 1024 x 1024 picture,
// and writes them with the project's own asset writers.
#pragma once

#include <cstdint>
#include <string>

#include "tools/asset_writers.h"

namespace largeinputs {

// A gently rolling height field of side x side quads, two triangles each, every face
// counter-clockwise from above so that no two normals ever point against each other.
// Every `attributeEvery`-th face (none when 0) carries a colour block.
inline assetwriters::MeshText heightField(int side, int attributeEvery) {
    assetwriters::MeshText mesh;
    mesh.comments.push_back("rolling height field");
    mesh.vertices.reserve(static_cast<size_t>(side + 1) * static_cast<size_t>(side + 1));
    for (int row = 0; row <= side; ++row) {
        for (int col = 0; col <= side; ++col) {
            float x = static_cast<float>(col) * 0.0137f - 5.5f;
            float y = static_cast<float>(row) * 0.0119f - 4.75f;
            float z = 0.25f * static_cast<float>((row * 7 + col * 13) % 97) / 97.0f - 0.125f;
            mesh.vertices.push_back({x, y, z});
        }
    }
    mesh.faces.reserve(2 * static_cast<size_t>(side) * static_cast<size_t>(side));
    auto addFace = [&](int a, int b, int c) {
        assetwriters::MeshTriangle f{a, b, c};
        size_t number = mesh.faces.size() + 1;
        if (attributeEvery > 0 && number % static_cast<size_t>(attributeEvery) == 0) {
            f.coloured = true;
            f.r = static_cast<float>(number % 255) / 255.0f;
            f.g = 1.0f - f.r;
            f.b2 = 0.25f;
            f.matid = static_cast<int>(number % 7);
        }
        mesh.faces.push_back(f);
    };
    for (int row = 0; row < side; ++row) {
        for (int col = 0; col < side; ++col) {
            int v00 = row * (side + 1) + col + 1;
            int v10 = v00 + side + 1;
            addFace(v00, v00 + 1, v10 + 1);
            addFace(v00, v10 + 1, v10);
        }
    }
    return mesh;
}

// A width x height picture of noise; width a multiple of 4, so its rows carry no padding.
inline assetwriters::RgbPicture noisePicture(uint32_t width, uint32_t height) {
    assetwriters::RgbPicture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < picture.rgb.size(); ++i)
        picture.rgb[i] = static_cast<unsigned char>((i * 2654435761u) >> 24);
    return picture;
}

}  // namespace largeinputs
