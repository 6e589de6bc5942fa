#include "render/blur.h"

#include <algorithm>
#include <cmath>

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

// One pass: the input on unit 0, drawn through the program into the given attachment over
// the given texels of the target, the rest of it cleared.
void pass(GLenum attachment, cTexture& input, cShaderProgram* program, const cPixelRect& drawn) {
    state.framebuffer->setDrawReadBuffers(attachment, attachment);
    state.framebuffer->begin();
    if (drawn.width > 0 && drawn.height > 0) {
        input.bind(0);
        const bool whole = drawn.x == 0 && drawn.y == 0 && drawn.width == state.result->width &&
                           drawn.height == state.result->height;
        if (!whole) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(drawn.x, drawn.y, drawn.width, drawn.height);
        }
        screenQuad->draw(program, GL_TRIANGLES);
        if (!whole) glDisable(GL_SCISSOR_TEST);
    }
    state.framebuffer->end();
}

// The rectangle grown by the given texels on either side, within the target.
cPixelRect grown(const cPixelRect& rect, int across, int up) {
    const int width = state.result->width, height = state.result->height;
    const int x0 = std::max(rect.x - across, 0), y0 = std::max(rect.y - up, 0);
    const int x1 = std::min(rect.x + rect.width + across, width);
    const int y1 = std::min(rect.y + rect.height + up, height);
    return {x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0)};
}

// The texels of the first pass that light from the source's lit box can reach: the box
// scaled to the target and widened either way by two texels (the pass's reach of two
// thirds of a texel, and rounding) and by a source texel (the bilinear neighbour of each
// read). Reads past the source's edges come round from the other side where it repeats, as
// the show's capture does: a box within reach of the far side lights the whole width or
// height.
cPixelRect firstLit(const cPixelRect& lit, int sourceWidth, int sourceHeight) {
    const int width = state.result->width, height = state.result->height;
    if (lit.width <= 0 || lit.height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return {};
    const auto span = [](int first, int count, int from, int to, int& low, int& size) {
        low = static_cast<int>(std::floor(double(first) * to / from));
        size = static_cast<int>(std::ceil(double(first + count) * to / from)) - low;
    };
    cPixelRect rect;
    span(lit.x, lit.width, sourceWidth, width, rect.x, rect.width);
    span(lit.y, lit.height, sourceHeight, height, rect.y, rect.height);
    rect = grown(rect, 2 + (width + sourceWidth - 1) / sourceWidth,
                 2 + (height + sourceHeight - 1) / sourceHeight);
    // The first and last source texels the pass reads along an axis, offset by the given
    // share of a target texel, past either end: below 0 or from `size` up.
    const auto wraps = [](int first, int count, int size, int target, double offset) {
        const double scale = double(size) / target;
        const int low = static_cast<int>(std::floor((0.5 - offset) * scale - 0.5 - 1e-3));
        const int high =
            static_cast<int>(std::floor((target - 0.5 + offset) * scale - 0.5 + 1e-3)) + 1;
        return (low < 0 && first + count > size + low) || (high >= size && first <= high - size);
    };
    if (wraps(lit.x, lit.width, sourceWidth, width, 2.0 / 3.0)) {
        rect.x = 0;
        rect.width = width;
    }
    if (wraps(lit.y, lit.height, sourceHeight, height, 0.0)) {
        rect.y = 0;
        rect.height = height;
    }
    return rect;
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

void blurTexture(cTexture& source, int passes, const cPixelRect* lit) {
    // Nothing to draw with before initBlur and the opening scene's quad exist.
    if (!state.framebuffer || !screenQuad) return;
    // Each pass reaches one texel further along its own axis.
    cPixelRect drawn = {0, 0, state.result->width, state.result->height};
    if (lit) drawn = firstLit(*lit, source.width, source.height);
    pass(GL_COLOR_ATTACHMENT0_EXT, source, state.horizontal, drawn);
    // An even count of ping-pong passes always lands the last one in the result.
    const int rounded = passes + (passes & 1);
    for (int i = 0; i < rounded; ++i) {
        if (i % 2 == 0) {
            if (lit) drawn = grown(drawn, 0, 1);
            pass(GL_COLOR_ATTACHMENT1_EXT, *state.result, state.vertical, drawn);
        } else {
            if (lit) drawn = grown(drawn, 1, 0);
            pass(GL_COLOR_ATTACHMENT0_EXT, *state.work, state.horizontal, drawn);
        }
    }
}

cTexture& blurResult() { return *state.result; }

}  // namespace nimra
