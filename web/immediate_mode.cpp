// Immediate mode as GL 1.1 has it, on top of Emscripten's emulation: the
// current colour, normal and texture coordinate, lines wider than a pixel, and
// batches of triangles, quads and strips that join into one draw.
#include <GL/gl.h>

extern "C" {
// Emscripten's own versions, which the stand-ins below hand on to.
void emscripten_glBegin(GLenum mode);
void emscripten_glEnd();
void emscripten_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void emscripten_glNormal3f(GLfloat x, GLfloat y, GLfloat z);
void emscripten_glTexCoord2f(GLfloat s, GLfloat t);
void emscripten_glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void emscripten_glVertex4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w);
GLboolean emscripten_glIsEnabled(GLenum cap);
void emscripten_glGetFloatv(GLenum name, GLfloat* values);

// gl_stand_ins.js keeps a batch open after its glEnd (held), so that the next
// one can join it; any other GL or GLUT call draws it first, but for modelview
// matrix calls while the batch is in eye space.
void holdBatch(int inEyeSpace);
int joinHeldBatch();  // 1 when a held batch goes on with the next vertices
void drawHeldBatch();
void heldColour(GLfloat r, GLfloat g, GLfloat b, GLfloat a);     // a vertex's, as floats
void currentColour(GLfloat r, GLfloat g, GLfloat b, GLfloat a);  // outside glBegin
void repeatHeldVertex();
}

namespace {

// The emulation writes each attribute into the vertex stream as it comes and
// expects every vertex to bring the same ones; GL instead keeps a current
// value. So inside glBegin/glEnd the attributes are kept here, and each
// vertex brings every attribute its batch has set, in one order. An attribute
// first set after the batch's first vertex is not supported.
struct Attributes {
    GLfloat colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    GLfloat normal[3] = {0.0f, 0.0f, 1.0f};
    GLfloat texCoord[2] = {0.0f, 0.0f};
    bool colourSet = false;  // in this batch
    bool normalSet = false;
    bool texCoordSet = false;
};

Attributes current;
bool inBatch = false;
GLenum batchMode = GL_POINTS;
int batchVertexCount = 0;

// A mesh drawn one triangle at a time, or smoke one quad at a time, would cost
// the browser one draw call each. Batches of one mode join while they bring the
// same attributes, up to a count that the emulation's vertex buffer holds.
// Unlit ones are moved to eye space here, each vertex with its colour, so that
// the matrix and colour calls between them need not end the held batch.
constexpr int maxHeldVertices = 16384;
int heldVertexCount = 0;
Attributes heldAttributes;  // which ones the held batch brings
bool holding = false;       // the batch is one to hold
bool joining = false;       // the batch goes on from a held one
bool inEyeSpace = false;    // this batch, and so the held one
GLfloat batchModelview[16];

bool sameAttributes(const Attributes& a, const Attributes& b) {
    return a.colourSet == b.colourSet && a.normalSet == b.normalSet &&
           a.texCoordSet == b.texCoordSet;
}

// WebGL draws lines 1 pixel wide whatever the width asked; wider ones are
// gathered here (up to a fixed count) and drawn at glEnd as quads.
struct LineVertex {
    GLfloat position[4];
    GLfloat colour[4];
};
constexpr int maxLineVertices = 1024;
LineVertex lineVertices[maxLineVertices];
int lineVertexCount = 0;
GLfloat lineWidth = 1.0f;
bool drawingWideLines = false;

void emitAttributes() {
    if (inEyeSpace) {
        heldColour(current.colour[0], current.colour[1], current.colour[2], current.colour[3]);
    } else if (current.colourSet) {
        emscripten_glColor4f(current.colour[0], current.colour[1], current.colour[2],
                             current.colour[3]);
    }
    if (current.normalSet) {
        emscripten_glNormal3f(current.normal[0], current.normal[1], current.normal[2]);
    }
    if (current.texCoordSet) emscripten_glTexCoord2f(current.texCoord[0], current.texCoord[1]);
}

void transform(const GLfloat m[16], const GLfloat v[4], GLfloat out[4]) {
    for (int row = 0; row < 4; ++row) {
        out[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
    }
}

LineVertex between(const LineVertex& a, const LineVertex& b, GLfloat t) {
    LineVertex v{};
    for (int i = 0; i < 4; ++i) {
        v.position[i] = a.position[i] + t * (b.position[i] - a.position[i]);
        v.colour[i] = a.colour[i] + t * (b.colour[i] - a.colour[i]);
    }
    return v;
}

// Cuts a segment in clip space at the near plane (z = -w), as GL clips a line
// before it divides by w; false when all of it lies before the plane.
bool clipToNearPlane(LineVertex& a, LineVertex& b) {
    const GLfloat da = a.position[2] + a.position[3];
    const GLfloat db = b.position[2] + b.position[3];
    if (da < 0.0f && db < 0.0f) return false;
    if (da < 0.0f) a = between(a, b, da / (da - db));
    if (db < 0.0f) b = between(b, a, db / (db - da));
    return true;
}

void emitClipVertex(const LineVertex& v, GLfloat dx, GLfloat dy) {
    emscripten_glColor4f(v.colour[0], v.colour[1], v.colour[2], v.colour[3]);
    const GLfloat w = v.position[3];
    emscripten_glVertex4f(v.position[0] + dx * w, v.position[1] + dy * w, v.position[2], w);
}

// GL widens a line along its minor axis: an x-major line by lineWidth pixels
// in y, a y-major one in x.
void emitWideSegment(LineVertex a, LineVertex b, const GLint viewport[4]) {
    if (!clipToNearPlane(a, b)) return;
    const GLfloat xa = a.position[0] / a.position[3] * GLfloat(viewport[2]);
    const GLfloat ya = a.position[1] / a.position[3] * GLfloat(viewport[3]);
    const GLfloat xb = b.position[0] / b.position[3] * GLfloat(viewport[2]);
    const GLfloat yb = b.position[1] / b.position[3] * GLfloat(viewport[3]);
    const bool xMajor = (xb - xa) * (xb - xa) >= (yb - ya) * (yb - ya);
    // Half the width, in normalised device units of the minor axis.
    const GLfloat dx = xMajor ? 0.0f : lineWidth / GLfloat(viewport[2]);
    const GLfloat dy = xMajor ? lineWidth / GLfloat(viewport[3]) : 0.0f;
    emitClipVertex(a, -dx, -dy);
    emitClipVertex(b, -dx, -dy);
    emitClipVertex(b, dx, dy);
    emitClipVertex(a, dx, dy);
}

// The gathered lines in clip space, drawn under identity matrices.
void drawWideLines() {
    GLfloat modelview[16], projection[16], mvp[16];
    GLint viewport[4], matrixMode;
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    for (int column = 0; column < 4; ++column) {
        transform(projection, &modelview[4 * column], &mvp[4 * column]);
    }
    for (int i = 0; i < lineVertexCount; ++i) {
        const GLfloat object[4] = {lineVertices[i].position[0], lineVertices[i].position[1],
                                   lineVertices[i].position[2], 1.0f};
        transform(mvp, object, lineVertices[i].position);
    }
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    emscripten_glBegin(GL_QUADS);
    for (int i = 0; i + 1 < lineVertexCount; i += 2) {
        emitWideSegment(lineVertices[i], lineVertices[i + 1], viewport);
    }
    emscripten_glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GLenum(matrixMode));
}

}  // namespace

void glLineWidth(GLfloat width) {
    lineWidth = width;
}

void glBegin(GLenum mode) {
    inBatch = true;
    batchVertexCount = 0;
    current.colourSet = current.normalSet = current.texCoordSet = false;
    drawingWideLines = mode == GL_LINES && lineWidth > 1.0f;
    lineVertexCount = 0;
    holding = mode == GL_TRIANGLES || mode == GL_QUADS || mode == GL_TRIANGLE_STRIP;
    const bool unlit = holding && !emscripten_glIsEnabled(GL_LIGHTING);
    joining = holding && mode == batchMode && unlit == inEyeSpace &&  // as the held one
              heldVertexCount < maxHeldVertices && joinHeldBatch();
    batchMode = mode;
    inEyeSpace = unlit;
    if (inEyeSpace) emscripten_glGetFloatv(GL_MODELVIEW_MATRIX, batchModelview);
    if (joining) return;
    drawHeldBatch();
    heldVertexCount = 0;
    if (!drawingWideLines) emscripten_glBegin(mode);
}

void glEnd() {
    inBatch = false;
    if (drawingWideLines) {
        drawWideLines();
    } else if (holding) {
        if (batchVertexCount > 0) heldAttributes = current;
        heldVertexCount += batchVertexCount;
        holdBatch(inEyeSpace);
    } else {
        emscripten_glEnd();
    }
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    current.colour[0] = r;
    current.colour[1] = g;
    current.colour[2] = b;
    current.colour[3] = a;
    if (inBatch) {
        current.colourSet = true;
    } else {
        if (!inEyeSpace) drawHeldBatch();  // drawn in the colour of their time
        currentColour(r, g, b, a);
    }
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    glColor4f(r, g, b, 1.0f);
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    current.normal[0] = x;
    current.normal[1] = y;
    current.normal[2] = z;
    if (inBatch) current.normalSet = true;
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    current.texCoord[0] = s;
    current.texCoord[1] = t;
    if (inBatch) current.texCoordSet = true;
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (drawingWideLines) {
        if (lineVertexCount == maxLineVertices) return;
        const GLfloat* c = current.colour;
        lineVertices[lineVertexCount++] = LineVertex{{x, y, z, 1.0f}, {c[0], c[1], c[2], c[3]}};
        return;
    }
    bool joinsStrip = false;
    if (joining) {  // now it is known what this batch brings
        joining = false;
        if (!sameAttributes(current, heldAttributes)) {
            drawHeldBatch();
            emscripten_glBegin(batchMode);
            heldVertexCount = 0;
        } else if (batchMode == GL_TRIANGLE_STRIP) {
            // Triangles of no area join strips: the held one's last vertex again
            // (once more after an odd count, to keep the turn) and this one twice.
            for (int i = heldVertexCount % 2; i >= 0; --i) repeatHeldVertex();
            heldVertexCount += 2 + heldVertexCount % 2;
            joinsStrip = true;
        }
    }
    ++batchVertexCount;
    emitAttributes();
    if (inEyeSpace) {
        const GLfloat object[4] = {x, y, z, 1.0f};
        GLfloat eye[4];
        transform(batchModelview, object, eye);
        emscripten_glVertex4f(eye[0], eye[1], eye[2], eye[3]);
    } else {
        emscripten_glVertex3f(x, y, z);
    }
    if (joinsStrip) repeatHeldVertex();
}

void glVertex2f(GLfloat x, GLfloat y) {
    glVertex3f(x, y, 0.0f);
}
