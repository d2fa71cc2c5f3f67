// Immediate-mode drawing of the craft mesh, one triangle per glBegin/glEnd.
#include "assets/mesh_draw.h"

#include <GL/gl.h>

namespace {

// The craft is drawn at scale 0.01; GL's inverse-transpose then scales the
// normals by 100, so this brings them back to unit length without GL_NORMALIZE.
constexpr float normalFactor = 0.01f;

}  // namespace

void drawFace(const MeshFace& face) {
    glBegin(GL_TRIANGLES);
    glColor3f(1, 1, 1);
    for (int32_t index : face.indices) {
        const MeshVertex& v = mesh.vertices[size_t(index) - 1];
        glNormal3f(normalFactor * v.normal.x, normalFactor * v.normal.y, normalFactor * v.normal.z);
        glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
}

void drawMesh() {
    for (const MeshFace& face : mesh.faces) drawFace(face);
}
