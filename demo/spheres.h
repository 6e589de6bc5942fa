#pragma once
// The sphere scene: six spheres tumble through space under a distant camera, and every
// vertex of the sphere mesh carries four values that the graphics card works out afresh
// each frame from the blurred metaball layer. A small pass draws the vertices as single
// points into an offscreen grid, one pixel per vertex, and reads the pixels back into a
// buffer that the spheres then take as their "texData" attribute. The initialiser also
// loads what the spark layer draws with and creates the sparks.

#include <cstdint>
#include <vector>

#include "demo/scene_rules.h"
#include "math/vector.h"
#include "render/mesh.h"
#include "render/offscreen_framebuffer.h"
#include "render/shader_program.h"
#include "render/texture.h"

namespace nimra {

// Start-up, sixth of the scenes: needs the screen quad; takes hold of the blur result,
// which the blur chain only fills later.
void initSpheres();

// One frame of the scene's rules, then its picture. Runs while 146827 < t <= 184081, after
// the metaball layer has blurred this frame. From 165374 ms it draws the overlay composite
// under the spheres, which are then blended.
void advanceSpheres();
void drawSpheres();
void visitSpheresState(cStateVisitor& visit);
// The rules' state as start-up leaves it, the sparks' included (they draw rand() as they
// did then).
void restartSpheres();

// The scene's sphere mesh, with the "texData" and "fakeVerts" it carries once built.
cMesh& sphereMesh();

// Whether the vertex-data pass and the spheres draw within the mesh's buffers with their
// programs, worked out again: at start-up, and when a program is built anew.
void checkSphereDraws();

// The grid of the vertex-data pass: the smallest square with a pixel for every vertex.
// Vertex k owns the pixel in row k / side, column k % side, which is where the read-back
// puts element k.
struct cVertexGrid {
    int vertices = 0;
    int side = 0;  // 0: no grid (no vertices, or more than a buffer can count)
};
cVertexGrid vertexGrid(int vertexCount);

// Where vertex k is drawn, in clip coordinates: the centre of its pixel, so that no
// rounding can move the point into a neighbour's pixel.
cVec2f gridPosition(const cVertexGrid& grid, int k);
std::vector<cVec2f> gridPositions(const cVertexGrid& grid);

// How many vertices a buffer of that many bytes feeds to GL, read with this layout; 0 for
// a layout GL cannot draw from.
int64_t vertexCapacity(int64_t bytes, int componentsPerElement, uint32_t componentType);

// What the vertex-data pass draws with. Built once for a mesh, refilled every frame.
struct cVertexData {
    cVertexGrid grid;
    cVertexBuffer* values = nullptr;     // the mesh's "texData" entry: 4 floats a vertex
    cVertexBuffer* positions = nullptr;  // the mesh's "fakeVerts" entry: the grid positions
    cTexture* texture = nullptr;         // side x side RGBA8, the pass's colour target
    cRenderBuffer* depth = nullptr;
    cOffscreenFrameBuffer* framebuffer = nullptr;
};

// The grid, both buffers in the mesh's attributes, the target and its framebuffer; prints
// "checking the completeness" and reports an incomplete framebuffer. A mesh without
// vertices gets none of it.
void buildVertexData(cMesh& mesh, cVertexData& data);

// One refill: every vertex of the mesh drawn as a point into its pixel with the program,
// the source texture on unit 0, then read back into the values buffer, which is left as
// the mesh's "texData" vertex attribute. Does nothing without a grid.
void runVertexDataPass(cMesh& mesh, cVertexData& data, cShaderProgram& program, cTexture& source);

// Whether drawing the mesh with the program (as points when asPoints, otherwise through
// its indices) stays inside every buffer the draw reads: the positions, every attribute
// the program uses, and for triangles every index.
bool drawsWithinBuffers(cMesh& mesh, cShaderProgram& program, bool asPoints);

// The scene's phases: A drives the shaders' swing and the camera's bob, B the camera's
// orbit and the spheres' dance.
float advanceSphereShaderPhase(float a, int dt, float bin20);
float advanceSphereCameraPhase(float b, int dt, float bin20);

// The camera circles the target far out, bobbing with A.
cVec3f sphereCameraEye(float a, float b);
const cVec3f sphereCameraTarget(50.0f, 70.0f, 0.0f);

constexpr int sphereCount = 6;
constexpr float sphereScale = 20.0f;
constexpr int compositeAfter = 165373;  // the composite runs under the spheres after this

// Sphere i under camera phase B: moved, then turned by an angle in degrees about an axis.
struct cSpherePose {
    cVec3f offset;
    float angle = 0.0f;
    cVec3f axis;
};
cSpherePose spherePose(int i, float b);

}  // namespace nimra
