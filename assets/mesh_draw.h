// Immediate-mode drawing of the loaded Mesh.
#pragma once

#include "assets/mesh.h"

void drawMesh();
void drawFace(const MeshFace& face);
