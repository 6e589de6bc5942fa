#include <string>

#include "kit_support.h"
#include "render/mesh.h"
#include "render/screen_quad.h"
#include "render/shader_program.h"

using namespace nimra;

namespace {

const char* kVertex =
    "#version 120\n"
    "void main() { gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0); }\n";

std::string shaderSource(int shader) {
    GLint length = 0;
    glGetShaderiv(static_cast<GLuint>(shader), GL_SHADER_SOURCE_LENGTH, &length);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    glGetShaderSource(static_cast<GLuint>(shader), length + 1, nullptr, text.data());
    return text.c_str();
}

}  // namespace

TEST(ShaderProgram, MissingFileStopsBeforeAnythingIsCompiled) {
    kit::cTempDir dir;
    const std::string vert = dir.write("a.vert", kVertex);
    const std::string first = dir.write("first.frag", "#version 120\n");
    const std::string missingVert = dir.file("nope.vert");

    cShaderProgram program;
    kit::startCapture();
    program.loadFiles({missingVert, vert}, {first});
    EXPECT_EQ(kit::stopCapture(), "file error:" + missingVert + "\n");
    EXPECT_TRUE(program.vertexStage.sourceLines.empty());
    EXPECT_TRUE(program.fragmentStage.sourceLines.empty());

    // Lines already read stay when a later file is missing. A file ending in a line end
    // leaves a last empty line; one without leaves its unterminated tail.
    const std::string open = dir.write("open.frag", "one\ntwo");
    cShaderProgram second;
    kit::startCapture();
    second.loadFiles({vert}, {first, open, dir.file("gone.frag")});
    EXPECT_EQ(kit::stopCapture(), "file error:" + dir.file("gone.frag") + "\n");
    EXPECT_EQ(second.fragmentStage.sourceLines,
              (std::vector<std::string>{"#version 120", "", "one", "two"}));
    EXPECT_EQ(second.fragmentStage.shaderName, -1);
    EXPECT_EQ(second.programName, -1);

    // With no program object, lookups answer -1 and leave GL's current program alone.
    glUseProgram(0);
    EXPECT_EQ(second.uniformLocation("anything"), -1);
    EXPECT_EQ(second.attribLocation("anything"), -1);
    EXPECT_EQ(kit::integer(GL_CURRENT_PROGRAM), 0);
}

TEST(ShaderProgram, FragmentFilesAreConcatenatedAndDraw) {
    kit::cTempDir dir;
    const std::string vert = dir.write("quad.vert", kVertex);
    const std::string head = dir.write("head.frag",
                                       "#version 120\n"
                                       "uniform float green;\n"
                                       "vec4 tint() { return vec4(1.0, green, 0.0, 1.0); }");
    const std::string body = dir.write("body.frag", "void main() { gl_FragColor = tint(); }\n");

    cShaderProgram program;
    kit::startCapture();
    program.loadFiles({vert}, {head, body});
    EXPECT_EQ(kit::stopCapture(), "");
    ASSERT_NE(program.programName, -1);
    EXPECT_EQ(shaderSource(program.fragmentStage.shaderName),
              "#version 120\nuniform float green;\n"
              "vec4 tint() { return vec4(1.0, green, 0.0, 1.0); }\n"
              "void main() { gl_FragColor = tint(); }\n\n");

    glUseProgram(0);
    glUniform1f(program.uniformLocation("green"), 1.0f);
    EXPECT_EQ(kit::integer(GL_CURRENT_PROGRAM), program.programName);

    cMesh quad;
    fillScreenQuad(quad);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glViewport(0, 0, 800, 600);
    quad.draw(&program, GL_TRIANGLES);
    uint8_t pixel[4] = {};
    glReadPixels(400, 300, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[2], 0);
}

TEST(ShaderProgram, VertexCompileFailurePrintsItsLogOnly) {
    kit::cTempDir dir;
    const std::string vert = dir.write("bad.vert", "#version 120\nvoid main() { nonsense; }\n");
    const std::string frag = dir.write("bad.frag", "this would not compile either\n");

    cShaderProgram program;
    kit::startCapture();
    program.load(vert, frag);
    const std::string out = kit::stopCapture();
    const std::string tail = "\ncompile and link failed\n";
    ASSERT_GT(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(out.find("compile and link failed"), out.size() - tail.size() + 1);
    EXPECT_NE(program.programName, -1);
    EXPECT_NE(program.vertexStage.shaderName, -1);
    EXPECT_EQ(program.fragmentStage.shaderName, -1);  // never compiled
    kit::drainErrors();
}

TEST(ShaderProgram, UniformLookupMakesCurrentAndAttributesAreCached) {
    kit::cTempDir dir;
    cShaderProgram program;
    kit::loadColourProgram(dir, program);
    cShaderProgram other;
    kit::loadColourProgram(dir, other);
    ASSERT_NE(program.programName, -1);

    glUseProgram(0);
    EXPECT_EQ(program.uniformLocation("notThere"), -1);
    EXPECT_EQ(kit::integer(GL_CURRENT_PROGRAM), program.programName);

    EXPECT_GE(program.attribLocation("colour"), 0);
    EXPECT_EQ(program.attribLocation("unused"), -1);
    EXPECT_EQ(program.attributeCache.count("unused"), 1u);

    // Answered from the cache: GL is not made to switch programs, and a planted cache entry
    // wins over what GL would say.
    glUseProgram(static_cast<GLuint>(other.programName));
    const int colour = program.attribLocation("colour");
    EXPECT_EQ(program.attribLocation("unused"), -1);
    EXPECT_EQ(kit::integer(GL_CURRENT_PROGRAM), other.programName);
    program.attributeCache["colour"] = colour + 7;
    EXPECT_EQ(program.attribLocation("colour"), colour + 7);

    // A new link starts the cache over.
    EXPECT_TRUE(program.link());
    EXPECT_TRUE(program.attributeCache.empty());
}

TEST(ShaderProgram, UniformLocationsAndTheLinkStatusAreAskedOnceALink) {
    const std::string fragment =
        "#version 120\nuniform float green;\n"
        "void main() { gl_FragColor = vec4(0.0, green, 0.0, 1.0); }\n";
    cShaderProgram program;
    ASSERT_TRUE(program.linkSources(kVertex, fragment));
    cShaderProgram other;
    ASSERT_TRUE(other.linkSources(kVertex, fragment));

    // Answered from the cache, a planted entry winning over GL, and the program still made
    // current, as callers pass the location straight to glUniform*.
    const int green = program.uniformLocation("green");
    ASSERT_GE(green, 0);
    EXPECT_EQ(program.uniformCache.count("green"), 1u);
    program.uniformCache["green"] = green + 5;
    glUseProgram(static_cast<GLuint>(other.programName));
    EXPECT_EQ(program.uniformLocation("green"), green + 5);
    EXPECT_EQ(kit::integer(GL_CURRENT_PROGRAM), program.programName);

    // A new link asks again, and a link that fails is known to have failed.
    EXPECT_TRUE(program.linkSources(kVertex, fragment));
    EXPECT_TRUE(program.uniformCache.empty());
    EXPECT_EQ(program.uniformLocation("green"), green);
    EXPECT_TRUE(program.isLinked());
    kit::startCapture();
    EXPECT_FALSE(program.linkSources(kVertex, "#version 120\nvoid main() { broken }\n"));
    kit::stopCapture();
    EXPECT_FALSE(program.isLinked());
    EXPECT_EQ(program.uniformLocation("green"), -1);
    kit::drainErrors();  // asked of a program that never linked
    EXPECT_TRUE(program.linkSources(kVertex, fragment));
    EXPECT_TRUE(program.isLinked());
    glUseProgram(0);
}
