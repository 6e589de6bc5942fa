#include "reference.h"

#include <vector>

#include "bench.h"
#include "render/gl.h"
#include "render/mesh.h"
#include "render/screen_quad.h"
#include "render/shader_program.h"
#include "render/texture.h"
#include "runtime/state.h"

namespace capture {

namespace {

const char* const vertexSource =
    "#version 120\n"
    "varying vec2 uv;\n"
    "void main() {\n"
    "    uv = gl_Vertex.xy * 0.5 + 0.5;\n"
    "    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);\n"
    "}\n";
const char* const fragmentSource =
    "#version 120\n"
    "uniform sampler2D tex;\n"
    "varying vec2 uv;\n"
    "void main() { gl_FragColor = texture2D(tex, uv); }\n";

double frameMs(bool withPass, GLuint program, nimra::cTexture& picture) {
    const double start = benchNowMs();
    nimra::screen.begin();
    if (withPass) {
        picture.bind(0);
        glUseProgram(program);
        nimra::screenQuad->draw(nullptr, GL_TRIANGLES);
    }
    nimra::screen.end();
    glFinish();
    return benchNowMs() - start;
}

}  // namespace

double measureTexturedPass() {
    if (!nimra::screenQuad) return 0.0;
    nimra::cShaderProgram pass;
    pass.linkSources(vertexSource, fragmentSource);
    const GLuint program = static_cast<GLuint>(pass.programName);
    // Bilinear from the top level only: the plainest textured pass there is.
    nimra::cTexture* picture = new nimra::cTexture(false);
    picture->loadFile("introback.png", GL_TEXTURE_2D, false);

    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glFinish();
    // Alternate the two kinds of frame so that both see the same machine.
    std::vector<double> plain, textured;
    for (int i = 0; i < 120; ++i) {
        plain.push_back(frameMs(false, program, *picture));
        textured.push_back(frameMs(true, program, *picture));
    }
    glUseProgram(0);
    glDeleteProgram(program);
    return std::max(0.0, percentile(textured, 0.5) - percentile(plain, 0.5));
}

}  // namespace capture
