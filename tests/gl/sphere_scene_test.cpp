// The sphere scene on the real renderer: the vertex-data pass and what it leaves in the
// buffer, the checks that keep a mesh's draws inside its buffers, and the scene's own
// draw, with the show's shaders from data/.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/metaballs.h"
#include "demo/spheres.h"
#include "kit_support.h"
#include "render/blur.h"
#include "render/screen_quad.h"
#include "runtime/state.h"

using namespace nimra;

namespace {

// The show's programs load by name from data/.
cShaderProgram* loadShowProgram(const std::string& name) {
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(kit::showData);
    cShaderProgram* program = new cShaderProgram();
    kit::startCapture();
    program->load(name + ".vert", name + ".frag");
    EXPECT_EQ(kit::stopCapture(), "") << name;
    std::filesystem::current_path(here);
    return program;
}

cShaderProgram& vertexDataProgram() {
    static cShaderProgram* program = loadShowProgram("r2att");
    return *program;
}

cShaderProgram& sphereProgram() {
    static cShaderProgram* program = loadShowProgram("hotplane");
    return *program;
}

void fill(cVertexBuffer& buffer, GLenum target, int components, const std::vector<float>& v) {
    buffer.setData(target, 4, components, static_cast<int>(v.size()) / components, GL_FLOAT,
                   v.data(), GL_STATIC_DRAW);
}

void fillIndices(cMesh& mesh, const std::vector<uint32_t>& indices) {
    mesh.indices.setData(GL_ELEMENT_ARRAY_BUFFER, 4, 3, static_cast<int>(indices.size()) / 3,
                         GL_UNSIGNED_INT, indices.data(), GL_STATIC_DRAW);
}

// A 256 x 256 source, like the blur result, whose level climbs one step a texel across
// (red) or up (green) the layer.
cTexture& rampSource(bool across) {
    static cTexture* textures[2] = {};
    cTexture*& texture = textures[across ? 0 : 1];
    if (texture) return *texture;
    std::vector<uint8_t> rgba(256 * 256 * 4, 0);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            uint8_t* p = &rgba[(y * 256 + x) * 4];
            p[across ? 0 : 1] = uint8_t(across ? x : y);
            p[3] = 255;
        }
    }
    texture = new cTexture(true);
    texture->setImage(GL_TEXTURE_2D, 0, GL_RGBA, 256, 256, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                      rgba.data());
    texture->setParameter(GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    texture->setParameter(GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    texture->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    return *texture;
}

std::vector<float> bufferFloats(const cVertexBuffer& buffer, int count) {
    std::vector<float> values(size_t(count), -1.0f);
    glBindBuffer(GL_ARRAY_BUFFER, buffer.name);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(count * sizeof(float)), values.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return values;
}

// The frame as the timeline leaves it for a scene: blending on, depth test on.
void timelineState() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glViewport(0, 0, 800, 600);
}

// Seven vertices in a 3 x 3 grid: the last one alone in the top row.
const std::vector<cVec3f> directions = {{0, 0, 1},  {1, 0, 0},       {-1, 0, 0}, {0, 1, 0},
                                        {0, -1, 0}, {0.6f, 0.8f, 0}, {0, 0, -1}};

}  // namespace

TEST(SphereVertexData, EveryVertexGetsItsOwnValuesFromTheLayerWhereItPoints) {
    kit::drainErrors();  // whatever earlier tests left pending is theirs
    cMesh mesh;
    std::vector<float> xyz;
    for (const cVec3f& d : directions) {
        for (float c : {d.x, d.y, d.z})
            xyz.push_back(c * 9.0f);
    }
    fill(mesh.positions, GL_ARRAY_BUFFER, 3, xyz);
    cVertexData data;
    kit::startCapture();
    buildVertexData(mesh, data);
    EXPECT_EQ(kit::stopCapture(), "checking the completeness\n");  // and it is complete
    ASSERT_EQ(data.grid.side, 3);
    ASSERT_TRUE(data.framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, data.framebuffer->framebufferName);
    EXPECT_EQ(glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT), GLenum(GL_FRAMEBUFFER_COMPLETE_EXT));
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    EXPECT_EQ(&mesh.attributes.at("texData"), data.values);
    EXPECT_EQ(data.values->elementCount, 9);
    EXPECT_EQ(kit::integer(GL_PIXEL_PACK_BUFFER_BINDING), 0);  // the frame's reads stay its own

    for (bool across : {true, false}) {
        SCOPED_TRACE(across ? "level rising across" : "level rising up");
        timelineState();
        runVertexDataPass(mesh, data, vertexDataProgram(), rampSource(across));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_EQ(data.values->target, GLenum(GL_ARRAY_BUFFER));
        EXPECT_EQ(kit::integer(GL_PIXEL_PACK_BUFFER_BINDING), 0);
        EXPECT_EQ(kit::integer(GL_FRAMEBUFFER_BINDING_EXT), 0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

        const std::vector<float> v = bufferFloats(*data.values, 9 * 4);
        auto value = [&](int k, int c) { return v[size_t(k) * 4 + c]; };
        const float tolerance = 1.5f / 255;
        auto along = [&](const cVec3f& d) { return across ? d.x : d.y; };
        // The level is read where the vertex points: the same place for every vertex
        // with nothing along the ramp, opposite sides evenly above and below it.
        const float ahead = value(0, 0);
        EXPECT_GT(ahead, 0.3f);
        EXPECT_LT(ahead, 0.7f);
        for (int k = 0; k < 7; ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(value(k, 3), 1.0f);  // reached
            if (along(directions[k]) == 0.0f) {
                EXPECT_NEAR(value(k, 0), ahead, tolerance);
            }
            // A ramp slopes one way only.
            EXPECT_GT(value(k, across ? 1 : 2), 0.51f);
            EXPECT_NEAR(value(k, across ? 2 : 1), 0.5f, tolerance);
        }
        const int plus = across ? 1 : 3, minus = across ? 2 : 4;
        EXPECT_NEAR(value(plus, 0) + value(minus, 0), 2 * ahead, 2 * tolerance);
        EXPECT_GT(value(plus, 0), value(5, 0) + 0.01f);
        EXPECT_GT(value(5, 0), ahead + 0.01f);
        EXPECT_GT(ahead, value(minus, 0) + 0.1f);
        // The two pixels no vertex owns are only ever cleared.
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(v[7 * 4 + c], 0.0f) << c;
    }
}

TEST(SphereVertexData, AMeshWithoutVerticesGetsNoGridAndNoPass) {
    cMesh mesh;
    cVertexData data;
    kit::startCapture();
    buildVertexData(mesh, data);
    EXPECT_EQ(kit::stopCapture(), "");
    EXPECT_EQ(data.grid.side, 0);
    EXPECT_FALSE(data.framebuffer);
    EXPECT_TRUE(mesh.attributes.empty());
    kit::drainErrors();
    runVertexDataPass(mesh, data, vertexDataProgram(), rampSource(true));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(SphereVertexData, DrawsThatWouldReadPastABufferAreRefused) {
    cMesh mesh;
    fill(mesh.positions, GL_ARRAY_BUFFER, 3, {0, 0, 9, 9, 0, 0, 0, 9, 0, -9, 0, 0});
    fillIndices(mesh, {0, 1, 2, 0, 2, 3});
    fill(mesh.attributes["texData"], GL_ARRAY_BUFFER, 4, std::vector<float>(16, 0.5f));
    fill(mesh.attributes["fakeVerts"], GL_ARRAY_BUFFER, 2, std::vector<float>(8, 0.0f));
    cShaderProgram& spheres = sphereProgram();
    cShaderProgram& points = vertexDataProgram();
    EXPECT_TRUE(drawsWithinBuffers(mesh, spheres, false));
    EXPECT_TRUE(drawsWithinBuffers(mesh, points, true));

    // A buffer the program does not read may be short; one it reads may not.
    fill(mesh.attributes["normal"], GL_ARRAY_BUFFER, 3, std::vector<float>(9, 0.0f));
    EXPECT_TRUE(drawsWithinBuffers(mesh, spheres, false));
    fill(mesh.attributes["texData"], GL_ARRAY_BUFFER, 4, std::vector<float>(12, 0.5f));
    EXPECT_FALSE(drawsWithinBuffers(mesh, spheres, false));
    EXPECT_TRUE(drawsWithinBuffers(mesh, points, true));
    fill(mesh.attributes["fakeVerts"], GL_ARRAY_BUFFER, 2, std::vector<float>(6, 0.0f));
    EXPECT_FALSE(drawsWithinBuffers(mesh, points, true));
    fill(mesh.attributes["texData"], GL_ARRAY_BUFFER, 4, std::vector<float>(16, 0.5f));
    fill(mesh.attributes["fakeVerts"], GL_ARRAY_BUFFER, 2, std::vector<float>(8, 0.0f));

    // An index past the positions.
    fillIndices(mesh, {0, 1, 2, 0, 2, 4});
    EXPECT_FALSE(drawsWithinBuffers(mesh, spheres, false));
    fillIndices(mesh, {0, 1, 2, 0, 2, 3});

    // Layouts that leave GL reading from some other buffer: a vertex attribute bound to
    // another target, positions glVertexPointer refuses, indices of no index type.
    mesh.attributes["texData"].target = GL_PIXEL_PACK_BUFFER;
    EXPECT_FALSE(drawsWithinBuffers(mesh, spheres, false));
    mesh.attributes["texData"].target = GL_ARRAY_BUFFER;
    mesh.indices.componentType = GL_FLOAT;
    EXPECT_FALSE(drawsWithinBuffers(mesh, spheres, false));
    mesh.indices.componentType = GL_UNSIGNED_INT;
    mesh.positions.componentType = GL_UNSIGNED_BYTE;
    EXPECT_FALSE(drawsWithinBuffers(mesh, points, true));
    mesh.positions.componentType = GL_FLOAT;

    // Positions that claim more vertices than GL holds for them.
    mesh.positions.elementCount = 5;
    EXPECT_FALSE(drawsWithinBuffers(mesh, points, true));
    mesh.positions.elementCount = 4;
    EXPECT_TRUE(drawsWithinBuffers(mesh, points, true));
    EXPECT_TRUE(drawsWithinBuffers(mesh, spheres, false));
    kit::drainErrors();
}

TEST(SphereScene, TheSpheresReadTheRefilledBufferAsTexData) {
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(kit::showData);
    kit::buildScreenQuad();
    resize(800, 600);
    kit::startCapture();
    initSpheres();
    const std::string out = kit::stopCapture();
    std::filesystem::current_path(here);
    // Everything loads, and the grid's framebuffer is complete.
    EXPECT_EQ(out, "initing scene 7\nchecking the completeness\n");
    cMesh& mesh = sphereMesh();
    ASSERT_EQ(mesh.attributes.count("texData"), 1u);
    const cVertexBuffer& values = mesh.attributes.at("texData");
    const int n = mesh.positions.elementCount;
    EXPECT_GE(values.elementCount, n);

    // Inside the window's framebuffer, as in a frame: ending the grid restores its viewport.
    frameTime = 16;
    demoTime = 150000;
    screen.setClearColour(cVec4f(0.0f, 0.0f, 0.0f, 0.0f));
    screen.begin();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    timelineState();
    kit::startCapture();
    advanceSpheres();
    drawSpheres();
    kit::stopCapture();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    // The sphere program stays current; its "texData" points at the refilled buffer.
    const GLint program = kit::integer(GL_CURRENT_PROGRAM);
    const GLint location = glGetAttribLocation(GLuint(program), "texData");
    ASSERT_GE(location, 0);
    GLint bound = 0;
    glGetVertexAttribiv(GLuint(location), GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(GLuint(bound), values.name);
    EXPECT_EQ(values.target, GLenum(GL_ARRAY_BUFFER));
    // Every vertex was reached.
    const std::vector<float> v = bufferFloats(values, n * 4);
    int reached = 0;
    for (int k = 0; k < n; ++k)
        reached += v[size_t(k) * 4 + 3] == 1.0f;
    EXPECT_EQ(reached, n);

    // The six spheres are on screen around the middle.
    std::vector<uint8_t> window(800 * 600 * 4);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, window.data());
    int lit = 0, middle = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const uint8_t* p = &window[size_t(y * 800 + x) * 4];
            if (p[0] + p[1] + p[2] == 0) continue;
            ++lit;
            middle += std::abs(x - 400) < 200 && std::abs(y - 300) < 200;
        }
    }
    EXPECT_GT(lit, 3000);
    EXPECT_EQ(middle, lit);
    screen.end();
    glUseProgram(0);
    glDisable(GL_BLEND);
    kit::drainErrors();
}
