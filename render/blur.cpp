#include "render/blur.h"

#include "render/mesh.h"
#include "render/offscreen_framebuffer.h"
#include "render/screen_quad.h"
#include "render/shader_program.h"

namespace nimra {

namespace {

// The result exists from the start, nameless (GL's default texture) until initBlur, so that
// anything that takes hold of it before the chain is built holds the real thing.
cTexture namelessTexture2D() {
    cTexture texture(false);
    texture.target = GL_TEXTURE_2D;
    return texture;
}
cTexture resultTexture = namelessTexture2D();

struct {
    cTexture* result = &resultTexture;  // colour attachment 0
    cTexture* work = nullptr;           // colour attachment 1
    cOffscreenFrameBuffer* framebuffer = nullptr;
    cShaderProgram* horizontal = nullptr;
    cShaderProgram* vertical = nullptr;
} state;

void specifyTarget(cTexture& texture, int width, int height) {
    texture.setImage(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);
    texture.setParameter(GL_TEXTURE_WRAP_S, GL_CLAMP);
    texture.setParameter(GL_TEXTURE_WRAP_T, GL_CLAMP);
    texture.setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture.setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

// One pass: the input on unit 0, drawn through the program over the whole target into
// the given attachment.
void pass(GLenum attachment, cTexture& input, cShaderProgram* program) {
    state.framebuffer->setDrawReadBuffers(attachment, attachment);
    state.framebuffer->begin();
    input.bind(0);
    screenQuad->draw(program, GL_TRIANGLES);
    state.framebuffer->end();
}

}  // namespace

void initBlur(int width, int height) {
    glGenTextures(1, &state.result->name);
    specifyTarget(*state.result, width, height);
    state.work = new cTexture(true);
    specifyTarget(*state.work, width, height);
    state.framebuffer = new cOffscreenFrameBuffer(width, height, GL_COLOR_BUFFER_BIT);
    state.framebuffer->attachTexture(*state.result, GL_COLOR_ATTACHMENT0_EXT, 0);
    state.framebuffer->attachTexture(*state.work, GL_COLOR_ATTACHMENT1_EXT, 0);
    state.framebuffer->checkStatus();
    state.framebuffer->setClearColour(cVec4f(0.0f, 0.0f, 0.0f, 0.0f));

    state.horizontal = new cShaderProgram();
    state.horizontal->loadFiles({"overlayShade.vert"}, {"horblur.frag", "postprocBlurh.frag"});
    state.vertical = new cShaderProgram();
    state.vertical->loadFiles({"overlayShade.vert"}, {"verblur.frag", "postprocBlurv.frag"});
}

void blurTexture(cTexture& source, int passes) {
    // Nothing to draw with before initBlur and the opening scene's quad exist.
    if (!state.framebuffer || !screenQuad) return;
    pass(GL_COLOR_ATTACHMENT0_EXT, source, state.horizontal);
    // An even count of ping-pong passes always lands the last one in the result.
    const int rounded = passes + (passes & 1);
    for (int i = 0; i < rounded; ++i) {
        if (i % 2 == 0) {
            pass(GL_COLOR_ATTACHMENT1_EXT, *state.result, state.vertical);
        } else {
            pass(GL_COLOR_ATTACHMENT0_EXT, *state.work, state.horizontal);
        }
    }
}

cTexture& blurResult() { return *state.result; }

}  // namespace nimra
