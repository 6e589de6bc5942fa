#include "demo/spheres.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "demo/metaballs.h"
#include "demo/scene_rules.h"
#include "demo/sparks.h"
#include "math/matrix.h"
#include "render/blur.h"
#include "render/gl.h"
#include "render/transform.h"
#include "runtime/state.h"

namespace nimra {

static struct {
    cMesh* creatureMesh = nullptr;  // loaded only
    cMesh* sphereMesh = nullptr;
    cShaderProgram* creatureProgram = nullptr;  // loaded only
    cShaderProgram* sphereProgram = nullptr;
    cShaderProgram* sparkProgram = nullptr;
    cShaderProgram* vertexDataProgram = nullptr;
    cTexture* colourScheme = nullptr;        // unit 0 under the spheres
    cTexture* secondColourScheme = nullptr;  // loaded only
    cTexture* sparkTexture = nullptr;
    cTexture* fabric = nullptr;   // loaded only
    cTexture* blurred = nullptr;  // the blur chain's result: this frame's metaball layer
    cVertexData vertexData;
    // A mesh whose draws would read past one of its buffers is not drawn that way at all.
    bool passDraws = false;
    bool spheresDraw = false;
    float shaderPhase = 0.0f;  // A
    float cameraPhase = 0.0f;  // B
    cCameraTrigger trigger;
} state;

cVertexGrid vertexGrid(int vertexCount) {
    cVertexGrid grid;
    if (vertexCount <= 0) return grid;
    // In double the square root is exact enough that ceil never lands a cell short, which
    // in single precision happens from 2^24 + 1 vertices on.
    const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(vertexCount))));
    // The buffer counts its elements in an int.
    if (int64_t(side) * side > INT_MAX) return grid;
    grid.vertices = vertexCount;
    grid.side = side;
    return grid;
}

cVec2f gridPosition(const cVertexGrid& grid, int k) {
    const int row = k / grid.side, column = k % grid.side;
    const float side = static_cast<float>(grid.side);
    return cVec2f((2.0f * column + 1.0f) / side - 1.0f, (2.0f * row + 1.0f) / side - 1.0f);
}

std::vector<cVec2f> gridPositions(const cVertexGrid& grid) {
    std::vector<cVec2f> points;
    points.reserve(size_t(grid.vertices));
    for (int k = 0; k < grid.vertices; ++k)
        points.push_back(gridPosition(grid, k));
    return points;
}

static int typeBytes(uint32_t type) {
    switch (type) {
        case GL_BYTE:
        case GL_UNSIGNED_BYTE:
            return 1;
        case GL_SHORT:
        case GL_UNSIGNED_SHORT:
            return 2;
        case GL_INT:
        case GL_UNSIGNED_INT:
        case GL_FLOAT:
            return 4;
        case GL_DOUBLE:
            return 8;
        default:
            return 0;
    }
}

int64_t vertexCapacity(int64_t bytes, int componentsPerElement, uint32_t componentType) {
    const int64_t stride = int64_t(componentsPerElement) * typeBytes(componentType);
    if (componentsPerElement < 1 || componentsPerElement > 4 || stride == 0 || bytes <= 0) return 0;
    return bytes / stride;
}

// What GL really holds, whatever the layout fields say (an allocation may have failed).
static int64_t storeBytes(const cVertexBuffer& buffer) {
    GLint bytes = 0;
    glBindBuffer(GL_ARRAY_BUFFER, buffer.name);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return bytes;
}

// The largest index an indexed draw of the mesh reads, or -1 when it reads none; the same
// count as the draw takes.
static int64_t largestIndex(const cVertexBuffer& indices) {
    const int size = typeBytes(indices.componentType);
    const int64_t bytes = storeBytes(indices);
    const int64_t count =
        std::min(int64_t(indices.componentsPerElement) * indices.elementCount, bytes / size);
    if (count <= 0) return -1;
    std::vector<uint8_t> raw(size_t(count) * size);
    glBindBuffer(GL_ARRAY_BUFFER, indices.name);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(raw.size()), raw.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    int64_t largest = 0;
    for (size_t i = 0; i < size_t(count); ++i) {
        const uint8_t* p = raw.data() + i * size;
        const uint32_t index = size == 1 ? p[0]
                               : size == 2
                                   ? uint32_t(p[0] | p[1] << 8)
                                   : uint32_t(p[0] | p[1] << 8 | p[2] << 16) | uint32_t(p[3]) << 24;
        largest = std::max<int64_t>(largest, index);
    }
    return largest;
}

bool drawsWithinBuffers(cMesh& mesh, cShaderProgram& program, bool asPoints) {
    // The positions go through glVertexPointer, which takes 2 to 4 shorts, ints, floats or
    // doubles; a layout it refuses would leave an older, unrelated pointer in place.
    const cVertexBuffer& positions = mesh.positions;
    const GLenum type = positions.componentType;
    const bool pointerTakes =
        positions.componentsPerElement >= 2 &&
        (type == GL_SHORT || type == GL_INT || type == GL_FLOAT || type == GL_DOUBLE) &&
        positions.target == GL_ARRAY_BUFFER;
    const int64_t vertices = std::max(positions.elementCount, 0);
    int64_t fed = pointerTakes
                      ? vertexCapacity(storeBytes(positions), positions.componentsPerElement, type)
                      : 0;
    for (const auto& [attributeName, buffer] : mesh.attributes) {
        if (program.attribLocation(attributeName) == -1) continue;
        const bool bound = buffer.target == GL_ARRAY_BUFFER;
        fed = std::min(fed, bound ? vertexCapacity(storeBytes(buffer), buffer.componentsPerElement,
                                                   buffer.componentType)
                                  : 0);
    }
    if (asPoints) return vertices <= fed;

    const cVertexBuffer& indices = mesh.indices;
    const bool elements =
        indices.target == GL_ELEMENT_ARRAY_BUFFER &&
        (indices.componentType == GL_UNSIGNED_BYTE || indices.componentType == GL_UNSIGNED_SHORT ||
         indices.componentType == GL_UNSIGNED_INT);
    return elements && largestIndex(indices) < fed;
}

void buildVertexData(cMesh& mesh, cVertexData& data) {
    data.grid = vertexGrid(mesh.positions.elementCount);
    const int side = data.grid.side;
    if (side == 0) return;

    mesh.attributes.insert_or_assign("texData", cVertexBuffer());
    data.values = &mesh.attributes.at("texData");
    data.values->setData(GL_PIXEL_PACK_BUFFER, 4, 4, side * side, GL_FLOAT, nullptr,
                         GL_DYNAMIC_DRAW);
    // Left bound, it would take every later glReadPixels of the program (a screenshot, the
    // capture tool's frames) into this buffer instead of the caller's memory.
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);

    const std::vector<cVec2f> points = gridPositions(data.grid);
    mesh.attributes.insert_or_assign("fakeVerts", cVertexBuffer());
    data.positions = &mesh.attributes.at("fakeVerts");
    data.positions->setData(GL_ARRAY_BUFFER, 4, 2, data.grid.vertices, GL_FLOAT, points.data(),
                            GL_STATIC_DRAW);

    data.texture = new cTexture(true);
    data.texture->setImage(GL_TEXTURE_2D, 0, GL_RGBA8, side, side, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                           nullptr);
    data.texture->setParameter(GL_TEXTURE_WRAP_S, GL_CLAMP);
    data.texture->setParameter(GL_TEXTURE_WRAP_T, GL_CLAMP);
    data.texture->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    data.texture->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);

    data.framebuffer =
        new cOffscreenFrameBuffer(side, side, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    data.depth = new cRenderBuffer();
    data.depth->create(side, side, GL_DEPTH_COMPONENT24);
    data.framebuffer->attachTexture(*data.texture, GL_COLOR_ATTACHMENT0_EXT, 0);
    data.framebuffer->attachRenderBuffer(*data.depth, GL_DEPTH_ATTACHMENT_EXT);

    console << "checking the completeness" << std::endl;
    data.framebuffer->checkStatus();

    // Between passes the buffer is the spheres' vertex attribute, and so it is checked.
    data.values->target = GL_ARRAY_BUFFER;
}

void runVertexDataPass(cMesh& mesh, cVertexData& data, cShaderProgram& program, cTexture& source) {
    if (!data.framebuffer) return;
    glDisable(GL_DEPTH_TEST);
    data.values->target = GL_PIXEL_PACK_BUFFER;
    data.framebuffer->setClearColour(cVec4f(0.0f, 0.0f, 0.0f, 0.0f));
    data.framebuffer->begin();
    source.bind(0);
    glPointSize(1.0f);
    mesh.draw(&program, 0);

    // Straight into the buffer the spheres read: the pixels never visit the CPU.
    glBindBuffer(GL_PIXEL_PACK_BUFFER, data.values->name);
    const cVec2f size = data.framebuffer->size();
    glReadPixels(0, 0, static_cast<GLsizei>(size.x), static_cast<GLsizei>(size.y), GL_RGBA,
                 GL_FLOAT, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);

    data.framebuffer->clear();
    data.framebuffer->end();
    glFinish();
    glEnable(GL_DEPTH_TEST);
    data.values->target = GL_ARRAY_BUFFER;
}

float advanceSphereShaderPhase(float a, int dt, float bin20) {
    return advancePhase(a, dt, 0.1, bin20, 0.1);
}

float advanceSphereCameraPhase(float b, int dt, float bin20) {
    return advancePhase(b, dt, 0.001, bin20, 0.1);
}

cVec3f sphereCameraEye(float a, float b) {
    const double A = a, B = b;
    return cVec3f(static_cast<float>(2260.0 * std::cos(0.01 * B - 0.14) - 20.0),
                  static_cast<float>(60.0 * std::sin(0.03 * A) + 190.0),
                  static_cast<float>(2253.0 * std::sin(0.0102 * B - 0.1403)));
}

cSpherePose spherePose(int i, float b) {
    const double B = b;
    cSpherePose pose;
    pose.offset = cVec3f(static_cast<float>(350.8 * std::sin(2.76 * i + 0.8 * B)),
                         static_cast<float>(350.8 * std::cos(0.3 * i + 0.2 + 0.33 * B)),
                         static_cast<float>(40.8 * std::sin(10.13 * i + 1.23 * B)));
    pose.angle = static_cast<float>(324.0 * std::sin(0.1 * B + 3.1 * i));
    // Never the zero vector: the first two parts cannot vanish together.
    pose.axis = cVec3f(static_cast<float>(std::sin(0.32 * i + 0.03 * B)),
                       static_cast<float>(std::sin(0.32 * i + 0.3 + 0.03 * B)),
                       static_cast<float>(std::cos(0.12 * i + 0.03 * B)));
    return pose;
}

void checkSphereDraws() {
    state.passDraws = state.vertexData.framebuffer &&
                      drawsWithinBuffers(*state.sphereMesh, *state.vertexDataProgram, true);
    // Without the pass the spheres' "texData" would hold whatever the allocation left.
    state.spheresDraw =
        state.passDraws && drawsWithinBuffers(*state.sphereMesh, *state.sphereProgram, false);
}

void initSpheres() {
    console << "initing scene 7" << std::endl;

    state.creatureMesh = new cMesh();
    state.creatureMesh->loadFile("dingo.obj.bin");
    state.sphereMesh = new cMesh();
    state.sphereMesh->loadFile("susphere.obj.bin");

    state.creatureProgram = new cShaderProgram();
    state.creatureProgram->load("webdings.vert", "webdings.frag");
    state.creatureProgram->setConstant("rockTex", 1);
    state.sphereProgram = new cShaderProgram();
    state.sphereProgram->load("hotplane.vert", "hotplane.frag");
    state.sphereProgram->setConstant("rockTex", 1);
    state.sparkProgram = new cShaderProgram();
    state.sparkProgram->load("metaball2.vert", "metaball2.frag");
    state.vertexDataProgram = new cShaderProgram();
    state.vertexDataProgram->load("r2att.vert", "r2att.frag");

    state.colourScheme = loadImageTexture("colorscheme.png");
    state.secondColourScheme = loadImageTexture("colorscheme.png");
    state.sparkTexture = loadImageTexture("SMOKEPUFF.PNG", ePictureLevels::half);  // metaball2.frag
    state.fabric = loadImageTexture("gridlikefabric.png");
    state.blurred = &blurResult();

    buildVertexData(*state.sphereMesh, state.vertexData);
    checkSphereDraws();

    createSparks(*state.sparkProgram, *state.sparkTexture);
}

cMesh& sphereMesh() { return *state.sphereMesh; }

void visitSpheresState(cStateVisitor& visit) {
    visit(state.shaderPhase);
    visit(state.cameraPhase);
    visit(state.trigger);
}

void restartSpheres() {
    state.shaderPhase = 0.0f;
    state.cameraPhase = 0.0f;
    state.trigger = cCameraTrigger();
    restartSparks();
}

void advanceSpheres() {
    const int dt = frameTime;
    state.shaderPhase = advanceSphereShaderPhase(state.shaderPhase, dt, spectrumBin(20));
    state.cameraPhase = advanceSphereCameraPhase(state.cameraPhase, dt, spectrumBin(20));
    // Only reports: this scene keeps its one camera.
    state.trigger.advance(dt, spectrumBin(10));
}

void drawSpheres() {
    const int t = demoTime;
    printGLErrors();
    if (state.passDraws) {
        runVertexDataPass(*state.sphereMesh, state.vertexData, *state.vertexDataProgram,
                          *state.blurred);
    }

    glDisable(GL_BLEND);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    cShaderProgram& program = *state.sphereProgram;
    glUniform1f(program.uniformLocation("powah"), spectrumBin(50));

    cMatrix4f view;
    view.lookAt(sphereCameraEye(state.shaderPhase, state.cameraPhase), sphereCameraTarget,
                cVec3f(0.0f, 1.0f, 0.0f));
    applyCamera(view.data(), projection.data());

    state.colourScheme->bind(0);
    state.blurred->bind(1);
    state.colourScheme->bind(0);
    if (compositeAfter < t && t <= 184081) {
        // Leaves blending on, so the spheres are blended over it. It takes units 0 and 1
        // for its own pictures; the spheres get theirs back.
        drawOverlayComposite();
        state.colourScheme->bind(0);
        state.blurred->bind(1);
    }

    // The spheres are closed and wound outwards: their far halves would only cost the
    // rasteriser time (most of the scene's) and, once blended, show through the glass.
    glEnable(GL_CULL_FACE);
    for (int i = 0; i < sphereCount; ++i) {
        const cSpherePose pose = spherePose(i, state.cameraPhase);
        glPushMatrix();
        glTranslatef(pose.offset.x, pose.offset.y, pose.offset.z);
        glRotatef(pose.angle, pose.axis.x, pose.axis.y, pose.axis.z);
        glScalef(sphereScale, sphereScale, sphereScale);
        if (state.spheresDraw) state.sphereMesh->draw(&program, GL_TRIANGLES);
        glPopMatrix();
    }
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
}

}  // namespace nimra
