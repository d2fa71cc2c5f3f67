// The display callback and the surface materials shared by the scene drawing.
#pragma once

struct Material {
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float shininess;
};

extern const Material craftMaterial;
extern const Material asteroidMaterial;

// Front faces only; colour tracking stays off, so glColor has no say under lighting.
void setMaterial(Material material);

// Draws one whole frame of the World and swaps the buffers.
void onDisplay();
