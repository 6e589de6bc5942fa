#include "render/picture_target.h"

#include <iostream>

#include "render/framebuffer.h"
#include "render/shader_program.h"

namespace nimra {

cPixelRect fitPicture(int width, int height) {
    cPixelRect rect;
    if (width <= 0 || height <= 0) return rect;
    if (int64_t(width) * 3 >= int64_t(height) * 4) {
        rect.height = height;
        rect.width = static_cast<int>(int64_t(height) * 4 / 3);
    } else {
        rect.width = width;
        rect.height = static_cast<int>(int64_t(width) * 3 / 4);
    }
    rect.x = (width - rect.width) / 2;
    rect.y = (height - rect.height) / 2;
    return rect;
}

namespace {

// The window's formats, read from its back buffer once, before anything stands for it.
struct cWindowFormats {
    bool known = false;
    GLint colour = GL_RGB8;
    GLint depth = GL_DEPTH_COMPONENT24;
};
cWindowFormats windowFormats;

void readWindowFormats() {
    if (windowFormats.known) return;
    GLint alphaBits = 0, depthBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    windowFormats.colour = alphaBits > 0 ? GL_RGBA8 : GL_RGB8;
    windowFormats.depth =
        depthBits > 0 && depthBits <= 16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT24;
    windowFormats.known = true;
}

const char* const downsampleVertex =
    "#version 120\n"
    "void main() { gl_Position = gl_Vertex; }\n";

// Each target pixel's block of n x n source texels, fetched at their centres, decoded from
// sRGB, averaged and encoded again.
const char* const downsampleFragment =
    "#version 120\n"
    "uniform sampler2D picture;\n"
    "uniform vec2 texel;\n"
    "uniform int n;\n"
    "vec3 linear(vec3 c) {\n"
    "    return mix(c / 12.92, pow((c + 0.055) / 1.055, vec3(2.4)), step(0.04045, c));\n"
    "}\n"
    "vec3 encoded(vec3 c) {\n"
    "    return mix(c * 12.92, 1.055 * pow(c, vec3(1.0 / 2.4)) - 0.055, step(0.0031308, c));\n"
    "}\n"
    "void main() {\n"
    "    vec2 corner = floor(gl_FragCoord.xy) * float(n);\n"
    "    vec4 sum = vec4(0.0);\n"
    "    for (int j = 0; j < 8; ++j) {\n"
    "        if (j >= n) break;\n"
    "        for (int i = 0; i < 8; ++i) {\n"
    "            if (i >= n) break;\n"
    "            vec4 c = texture2D(picture, (corner + vec2(i, j) + 0.5) * texel);\n"
    "            sum += vec4(linear(c.rgb), c.a);\n"
    "        }\n"
    "    }\n"
    "    sum /= float(n * n);\n"
    "    gl_FragColor = vec4(encoded(sum.rgb), sum.a);\n"
    "}\n";

cShaderProgram& downsampleProgram() {
    static cShaderProgram* program = nullptr;
    if (!program) {
        program = new cShaderProgram();
        if (!program->linkSources(downsampleVertex, downsampleFragment)) {
            std::cout << "picture downsampling: the program does not link" << std::endl;
        }
    }
    return *program;
}

}  // namespace

bool cPictureTarget::create(int w, int h) {
    readWindowFormats();
    if (!framebuffer) {
        glGenFramebuffersEXT(1, &framebuffer);
        glGenTextures(1, &colour);
        glGenRenderbuffersEXT(1, &depth);
    }
    width = w;
    height = h;

    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, windowFormats.colour, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depth);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, windowFormats.depth, w, h);

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, colour,
                              0);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 depth);
    const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    if (status != GL_FRAMEBUFFER_COMPLETE_EXT) {
        std::cout << "no " << w << " x " << h << " picture: the framebuffer is incomplete (0x"
                  << std::hex << status << std::dec << ")" << std::endl;
        return false;
    }
    return true;
}

void cPictureTarget::present(const cPixelRect& rect, int windowWidth, int windowHeight) {
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glViewport(0, 0, windowWidth, windowHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, framebuffer);
    const bool sameSize = rect.width == width && rect.height == height;
    glBlitFramebufferEXT(0, 0, width, height, rect.x, rect.y, rect.x + rect.width,
                         rect.y + rect.height, GL_COLOR_BUFFER_BIT,
                         sameSize ? GL_NEAREST : GL_LINEAR);

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glViewport(0, 0, width, height);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    if (scissor) glEnable(GL_SCISSOR_TEST);
}

bool pictureFilterReady() { return downsampleProgram().isLinked(); }

void downsamplePicture(const cPictureTarget& source, cPictureTarget& target) {
    if (!source.exists() || !target.exists() || target.width <= 0 || target.height <= 0) return;
    const int n = source.width / target.width;
    GLint previousProgram = 0, previousUnit = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previousProgram);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &previousUnit);
    glPushAttrib(GL_ENABLE_BIT | GL_VIEWPORT_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
    glActiveTexture(GL_TEXTURE0);
    glPushAttrib(GL_TEXTURE_BIT);  // unit 0's binding, whatever unit was active

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target.framebuffer);
    glViewport(0, 0, target.width, target.height);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_CULL_FACE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBindTexture(GL_TEXTURE_2D, source.colour);

    cShaderProgram& program = downsampleProgram();
    glUniform1i(program.uniformLocation("picture"), 0);
    glUniform1i(program.uniformLocation("n"), n);
    glUniform2f(program.uniformLocation("texel"), 1.0f / source.width, 1.0f / source.height);
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();

    glPopAttrib();
    glActiveTexture(static_cast<GLenum>(previousUnit));
    glPopAttrib();
    glUseProgram(static_cast<GLuint>(previousProgram));
}

}  // namespace nimra
