#include "render/text.h"

#include <algorithm>
#include <cstddef>

namespace nimra {

namespace {

const char* const vertexSource = R"(#version 120
// Window pixels, y down, to clip space over the whole target.
uniform vec2 targetSize;
varying vec2 atlasCoord;
varying vec4 colour;

void main() {
    atlasCoord = gl_MultiTexCoord0.xy;
    colour = gl_Color;
    vec2 clip = gl_Vertex.xy / targetSize * 2.0 - 1.0;
    gl_Position = vec4(clip.x, -clip.y, 0.0, 1.0);
})";

const char* const fragmentSource = R"(#version 120
// The atlas gives coverage only; rectangles carry a u below 0 and are covered whole.
uniform sampler2D atlas;
varying vec2 atlasCoord;
varying vec4 colour;

void main() {
    float ink = atlasCoord.x < 0.0 ? 1.0 : texture2D(atlas, atlasCoord).a;
    gl_FragColor = vec4(colour.rgb, colour.a * ink);
})";

int levelSize(GLenum which) {
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, which, &value);
    return value;
}

// What draw() changes, taken before and put back after.
struct cSavedState {
    GLint program = 0, activeTexture = GL_TEXTURE0, texture0 = 0;
    GLint viewport[4] = {0, 0, 0, 0};
    GLint blendSrcRgb = GL_ONE, blendDstRgb = GL_ZERO, blendSrcAlpha = GL_ONE,
          blendDstAlpha = GL_ZERO;
    GLint blendEquationRgb = GL_FUNC_ADD, blendEquationAlpha = GL_FUNC_ADD;
    GLboolean blend = GL_FALSE, depthTest = GL_FALSE, cullFace = GL_FALSE, scissorTest = GL_FALSE,
              alphaTest = GL_FALSE, stencilTest = GL_FALSE;

    void take() {
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture0);
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_BLEND_SRC_RGB, &blendSrcRgb);
        glGetIntegerv(GL_BLEND_DST_RGB, &blendDstRgb);
        glGetIntegerv(GL_BLEND_SRC_ALPHA, &blendSrcAlpha);
        glGetIntegerv(GL_BLEND_DST_ALPHA, &blendDstAlpha);
        glGetIntegerv(GL_BLEND_EQUATION_RGB, &blendEquationRgb);
        glGetIntegerv(GL_BLEND_EQUATION_ALPHA, &blendEquationAlpha);
        blend = glIsEnabled(GL_BLEND);
        depthTest = glIsEnabled(GL_DEPTH_TEST);
        cullFace = glIsEnabled(GL_CULL_FACE);
        scissorTest = glIsEnabled(GL_SCISSOR_TEST);
        alphaTest = glIsEnabled(GL_ALPHA_TEST);
        stencilTest = glIsEnabled(GL_STENCIL_TEST);
    }

    static void set(GLenum capability, GLboolean on) {
        if (on) {
            glEnable(capability);
        } else {
            glDisable(capability);
        }
    }

    void put() const {
        set(GL_BLEND, blend);
        set(GL_DEPTH_TEST, depthTest);
        set(GL_CULL_FACE, cullFace);
        set(GL_SCISSOR_TEST, scissorTest);
        set(GL_ALPHA_TEST, alphaTest);
        set(GL_STENCIL_TEST, stencilTest);
        glBlendFuncSeparate(blendSrcRgb, blendDstRgb, blendSrcAlpha, blendDstAlpha);
        glBlendEquationSeparate(blendEquationRgb, blendEquationAlpha);
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture0));
        glActiveTexture(static_cast<GLenum>(activeTexture));
        glUseProgram(static_cast<GLuint>(program));
    }
};

}  // namespace

bool cScreenText::load(const std::string& atlasPath, std::string& error) {
    GLint previousProgram = 0, previousTexture = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previousProgram);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    if (vertexBuffer == 0) glGenBuffers(1, &vertexBuffer);

    atlas.reset(loadImageTexture(atlasPath));
    // Drawn texel for pixel or larger, so the mipmaps (whose texels mix neighbouring
    // cells) are never read.
    atlas->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    atlas->setParameter(GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    atlas->setParameter(GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    const int width = levelSize(GL_TEXTURE_WIDTH), height = levelSize(GL_TEXTURE_HEIGHT);

    const bool linked = program.linkSources(vertexSource, fragmentSource);
    if (linked) {
        glUniform1i(program.uniformLocation("atlas"), 0);
        targetSizeLocation = program.uniformLocation("targetSize");
    }
    glUseProgram(static_cast<GLuint>(previousProgram));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));

    atlasReady = width == readoutFont::atlasWidth && height == readoutFont::atlasHeight;
    if (!linked) {
        error = "the text program does not link";
        return false;
    }
    if (!atlasReady) {
        error = atlasPath + " is not the readout font (" + std::to_string(width) + " x " +
                std::to_string(height) + ", not " + std::to_string(readoutFont::atlasWidth) +
                " x " + std::to_string(readoutFont::atlasHeight) + ")";
        return false;
    }
    return true;
}

void cScreenText::addQuad(float x0, float y0, float x1, float y1, float u0, float v0, float u1,
                          float v1, const cVec4f& c) {
    const cVertex topLeft{x0, y0, u0, v0, c.x, c.y, c.z, c.w};
    const cVertex topRight{x1, y0, u1, v0, c.x, c.y, c.z, c.w};
    const cVertex bottomLeft{x0, y1, u0, v1, c.x, c.y, c.z, c.w};
    const cVertex bottomRight{x1, y1, u1, v1, c.x, c.y, c.z, c.w};
    vertices.insert(vertices.end(),
                    {topLeft, bottomLeft, topRight, topRight, bottomLeft, bottomRight});
}

void cScreenText::addText(int x, int y, const std::string& text, const cVec4f& colour, int scale) {
    using namespace readoutFont;
    // Any other picture would show its own texels in the boxes.
    if (!atlasReady) return;
    scale = std::max(scale, 1);
    const int advance = glyphWidth * scale, lineHeight = glyphHeight * scale;
    int penX = x, penY = y;
    for (const char byte : text) {
        const int c = static_cast<unsigned char>(byte);
        if (c == '\n') {
            penX = x;
            penY += lineHeight;
            continue;
        }
        const int glyph = c >= firstChar && c <= lastChar ? c : '?';
        // A space draws nothing; it only moves the pen.
        if (glyph != ' ') {
            const int cell = glyph - firstChar;
            const float u0 = float((cell % columns) * cellWidth + glyphX) / atlasWidth;
            const float v0 = float((cell / columns) * cellHeight + glyphY) / atlasHeight;
            addQuad(float(penX), float(penY), float(penX + advance), float(penY + lineHeight), u0,
                    v0, u0 + float(glyphWidth) / atlasWidth, v0 + float(glyphHeight) / atlasHeight,
                    colour);
        }
        penX += advance;
    }
}

void cScreenText::addRect(float x, float y, float width, float height, const cVec4f& colour) {
    if (!(width > 0) || !(height > 0)) return;
    addQuad(x, y, x + width, y + height, -1, -1, -1, -1, colour);
}

int cScreenText::textWidth(const std::string& text, int scale) {
    size_t longest = 0, line = 0;
    for (const char c : text) {
        line = c == '\n' ? 0 : line + 1;
        longest = std::max(longest, line);
    }
    return static_cast<int>(longest) * readoutFont::glyphWidth * std::max(scale, 1);
}

int cScreenText::textHeight(const std::string& text, int scale) {
    if (text.empty()) return 0;
    const int lineCount = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    return lineCount * readoutFont::glyphHeight * std::max(scale, 1);
}

void cScreenText::draw(int targetWidth, int targetHeight) {
    if (vertices.empty() || !program.isLinked() || targetWidth <= 0 || targetHeight <= 0) {
        vertices.clear();
        return;
    }
    cSavedState saved;
    saved.take();

    glViewport(0, 0, targetWidth, targetHeight);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_STENCIL_TEST);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    program.use();
    glUniform2f(targetSizeLocation, float(targetWidth), float(targetHeight));
    glBindTexture(GL_TEXTURE_2D, atlas ? atlas->name : 0);

    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    // An enabled generic attribute 0 would stand in for the positions, and any other
    // enabled array might be read past its end.
    GLint attributeCount = 0;
    glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &attributeCount);
    for (GLint i = 0; i < attributeCount; ++i)
        glDisableVertexAttribArray(static_cast<GLuint>(i));
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
    glDisableClientState(GL_FOG_COORD_ARRAY);

    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(cVertex)),
                 vertices.data(), GL_STREAM_DRAW);
    const GLsizei stride = sizeof(cVertex);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, stride, reinterpret_cast<const void*>(offsetof(cVertex, x)));
    glClientActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, reinterpret_cast<const void*>(offsetof(cVertex, u)));
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, stride, reinterpret_cast<const void*>(offsetof(cVertex, r)));
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size()));
    glPopClientAttrib();

    saved.put();
    vertices.clear();
}

}  // namespace nimra
