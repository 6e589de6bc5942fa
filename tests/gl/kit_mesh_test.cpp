#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "kit_support.h"
#include "render/mesh.h"
#include "render/mesh_file.h"
#include "render/offscreen_framebuffer.h"
#include "render/screen_quad.h"
#include "render/shader_program.h"

using namespace nimra;

namespace {

cMeshBlock floats(int32_t target, int32_t components, const std::vector<float>& values) {
    cMeshBlock block;
    block.usage = GL_STATIC_DRAW;
    block.target = target;
    block.bytesPerComponent = 4;
    block.componentsPerElement = components;
    block.elementCount = static_cast<int32_t>(values.size()) / components;
    block.componentType = GL_FLOAT;
    block.data.resize(values.size() * 4);
    std::memcpy(block.data.data(), values.data(), block.data.size());
    return block;
}

cMeshBlock uints(int32_t components, const std::vector<uint32_t>& values) {
    cMeshBlock block = floats(GL_ELEMENT_ARRAY_BUFFER, components, {});
    block.componentType = GL_UNSIGNED_INT;
    block.elementCount = static_cast<int32_t>(values.size()) / components;
    block.data.resize(values.size() * 4);
    std::memcpy(block.data.data(), values.data(), block.data.size());
    return block;
}

cMeshFileData quadFile() {
    cMeshFileData file;
    file.positions = floats(GL_ARRAY_BUFFER, 3, {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0});
    file.indices = uints(3, {0, 1, 3, 1, 2, 3});
    return file;
}

std::string writeFile(const kit::cTempDir& dir, const std::string& name,
                      const cMeshFileData& data) {
    std::ofstream out(dir.file(name), std::ios::binary);
    EXPECT_TRUE(writeMeshFile(out, data));
    return dir.file(name);
}

// Draws into a 32 x 32 offscreen target, counting primitives and covered pixels.
class cDrawProbe {
public:
    cDrawProbe() : mTarget(32, 32, GL_COLOR_BUFFER_BIT), mColour(true) {
        mColour.setImage(GL_TEXTURE_2D, 0, GL_RGBA8, 32, 32, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         nullptr);
        mColour.setParameter(GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        mTarget.attachTexture(mColour, GL_COLOR_ATTACHMENT0_EXT, 0);
        mTarget.setClearColour(cVec4f(0.0f, 0.0f, 0.0f, 0.0f));
        glGenQueries(1, &mQuery);
    }

    GLuint primitives(cMesh& mesh, cShaderProgram* program, GLenum mode) {
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        if (!program) glUseProgram(0);
        mTarget.begin();
        glBeginQuery(GL_PRIMITIVES_GENERATED, mQuery);
        mesh.draw(program, mode);
        glEndQuery(GL_PRIMITIVES_GENERATED);
        glReadPixels(0, 0, 32, 32, GL_RGBA, GL_UNSIGNED_BYTE, mPixels);
        mTarget.end();
        GLuint count = 0;
        glGetQueryObjectuiv(mQuery, GL_QUERY_RESULT, &count);
        return count;
    }

    int covered() const {
        int n = 0;
        for (int i = 0; i < 32 * 32; ++i)
            n += mPixels[i * 4 + 3] != 0;
        return n;
    }
    const uint8_t* pixel(int x, int y) const { return mPixels + (y * 32 + x) * 4; }

private:
    cOffscreenFrameBuffer mTarget;
    cTexture mColour;
    GLuint mQuery = 0;
    uint8_t mPixels[32 * 32 * 4] = {};
};

}  // namespace

TEST(Mesh, QuadFileLoadsAndDrawsSixIndices) {
    kit::cTempDir dir;
    const std::string path = writeFile(dir, "quad.obj.bin", quadFile());
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    EXPECT_EQ(in.tellg(), 124);

    cMesh mesh;
    mesh.loadFile(path);
    EXPECT_EQ(mesh.positions.elementCount, 4);
    EXPECT_EQ(mesh.positions.target, static_cast<GLenum>(GL_ARRAY_BUFFER));
    EXPECT_EQ(mesh.indices.elementCount, 2);
    EXPECT_EQ(mesh.indices.componentsPerElement, 3);
    EXPECT_TRUE(mesh.attributes.empty());
    GLint size = 0;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indices.name);
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 24);

    // Two triangles (six indices) cover the whole target; no program, positions only.
    cDrawProbe probe;
    glColor4f(1, 1, 1, 1);
    EXPECT_EQ(probe.primitives(mesh, nullptr, GL_TRIANGLES), 2u);
    EXPECT_EQ(probe.covered(), 32 * 32);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));

    // Built in code, the screen quad is the same mesh.
    cMesh built;
    fillScreenQuad(built);
    EXPECT_EQ(probe.primitives(built, nullptr, GL_TRIANGLES), 2u);
    EXPECT_EQ(probe.covered(), 32 * 32);
}

TEST(Mesh, PointModeDrawsEveryPositionWithoutTheIndexBuffer) {
    cMesh mesh;
    fillScreenQuad(mesh);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    cDrawProbe probe;
    EXPECT_EQ(probe.primitives(mesh, nullptr, 0), 4u);
    EXPECT_EQ(kit::integer(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
}

TEST(Mesh, AttributesFeedTheProgramByName) {
    kit::cTempDir dir;
    cMeshFileData file = quadFile();
    // Two entries of one name: the later one wins. "unused" is not in the program.
    file.attributes.emplace_back("colour",
                                 floats(GL_ARRAY_BUFFER, 3, std::vector<float>(12, 0.5f)));
    file.attributes.emplace_back("unused", floats(GL_ARRAY_BUFFER, 1, {1, 2, 3, 4}));
    file.attributes.emplace_back("colour",
                                 floats(GL_ARRAY_BUFFER, 3, {1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0}));
    const std::string path = writeFile(dir, "tinted.obj.bin", file);

    cMesh mesh;
    mesh.loadFile(path);
    ASSERT_EQ(mesh.attributes.size(), 2u);

    cShaderProgram program;
    kit::loadColourProgram(dir, program);
    ASSERT_NE(program.programName, -1);

    cDrawProbe probe;
    EXPECT_EQ(probe.primitives(mesh, &program, GL_TRIANGLES), 2u);
    EXPECT_EQ(probe.pixel(16, 16)[0], 255);
    EXPECT_EQ(probe.pixel(16, 16)[1], 0);
    EXPECT_EQ(program.attributeCache.at("unused"), -1);
    EXPECT_EQ(kit::integer(GL_CURRENT_PROGRAM), program.programName);
    GLint enabled = 1;
    glGetVertexAttribiv(static_cast<GLuint>(program.attribLocation("colour")),
                        GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    EXPECT_EQ(enabled, 0);
    glUseProgram(0);
}

TEST(Mesh, MissingAndDamagedFilesStayHarmless) {
    kit::cTempDir dir;
    cMesh missing;
    kit::startCapture();
    missing.loadFile(dir.file("absent.obj.bin"));
    EXPECT_EQ(kit::stopCapture(), "");
    EXPECT_EQ(missing.positions.elementCount, 0);

    // Index data cut after one and a half triangles keeps the whole triangle only.
    std::ostringstream bytes;
    writeMeshFile(bytes, quadFile());
    const std::string cut = bytes.str().substr(0, 72 + 24 + 18);
    cMesh damaged;
    std::istringstream in(cut);
    damaged.read(in);
    EXPECT_EQ(damaged.indices.elementCount, 1);
    cDrawProbe probe;
    EXPECT_EQ(probe.primitives(damaged, nullptr, GL_TRIANGLES), 1u);

    // Index bytes that disagree with the index type: 2 one-byte triples declared as
    // unsigned ints. The draw takes only the indices the 6 bytes can hold.
    cMeshFileData narrow = quadFile();
    narrow.indices.bytesPerComponent = 1;
    narrow.indices.data = {0, 1, 3, 1, 2, 3};
    std::ostringstream narrowBytes;
    ASSERT_TRUE(writeMeshFile(narrowBytes, narrow));
    std::istringstream narrowIn(narrowBytes.str());
    cMesh mismatched;
    mismatched.read(narrowIn);
    EXPECT_EQ(probe.primitives(mismatched, nullptr, GL_TRIANGLES), 0u);
    kit::drainErrors();
}

TEST(Mesh, FilesThatLieAboutTheirBlocksDrawOnlyWhatTheyHold) {
    kit::cTempDir dir;
    cShaderProgram program;
    kit::loadColourProgram(dir, program);
    cDrawProbe probe;

    // Positions that call themselves indices and indices that call themselves vertices:
    // bound by their place, the quad still draws whole.
    cMeshFileData swapped = quadFile();
    swapped.positions.target = GL_ELEMENT_ARRAY_BUFFER;
    swapped.indices.target = GL_ARRAY_BUFFER;
    swapped.indices.usage = 0x1234;
    cMesh mesh;
    mesh.loadFile(writeFile(dir, "swapped.obj.bin", swapped));
    EXPECT_EQ(probe.primitives(mesh, nullptr, GL_TRIANGLES), 2u);
    EXPECT_EQ(probe.covered(), 32 * 32);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // A triangle naming a vertex far past the four there are is left out, and a colour
    // given for one vertex only is padded with black for the rest.
    cMeshFileData damaged = quadFile();
    damaged.indices = uints(3, {0, 1, 3, 1, 2, 1000000});
    damaged.attributes.emplace_back("colour", floats(GL_ARRAY_BUFFER, 3, {1, 0, 0}));
    cMesh partial;
    partial.loadFile(writeFile(dir, "damaged.obj.bin", damaged));
    ASSERT_EQ(partial.attributes.count("colour"), 1u);
    EXPECT_EQ(partial.attributes.at("colour").elementCount, 4);
    EXPECT_EQ(probe.primitives(partial, &program, GL_TRIANGLES), 1u);
    EXPECT_GT(probe.pixel(2, 2)[0], 200);  // near vertex 0, the red one
    EXPECT_EQ(probe.pixel(29, 29)[3], 0);  // the missing triangle's corner stays clear

    // Float indices draw nothing rather than something undefined.
    cMeshFileData floatIndices = quadFile();
    floatIndices.indices = floats(GL_ELEMENT_ARRAY_BUFFER, 3, {0, 1, 3, 1, 2, 3});
    cMesh nothing;
    nothing.loadFile(writeFile(dir, "float.obj.bin", floatIndices));
    EXPECT_EQ(probe.primitives(nothing, nullptr, GL_TRIANGLES), 0u);

    // A buffer a scene fills with fewer vertices than the positions is left out of the draw.
    cMesh built;
    fillScreenQuad(built);
    built.attributes["colour"].setData(GL_ARRAY_BUFFER, 4, 3, 2, GL_FLOAT, nullptr, GL_STATIC_DRAW);
    EXPECT_EQ(probe.primitives(built, &program, GL_TRIANGLES), 2u);
    GLint enabled = 1;
    glGetVertexAttribiv(static_cast<GLuint>(program.attribLocation("colour")),
                        GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    EXPECT_EQ(enabled, 0);
    glUseProgram(0);
    kit::drainErrors();
}
