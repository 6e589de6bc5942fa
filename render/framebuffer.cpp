#include "render/framebuffer.h"

#include "render/gl.h"

namespace nimra {

std::vector<cFrameBuffer*>& framebufferStack() {
    static std::vector<cFrameBuffer*> stack;
    return stack;
}

cFrameBuffer::cFrameBuffer(int width, int height, int clearMask)
    : mClearColour(1.0f, 1.0f, 1.0f, 0.0f),
      mSize(static_cast<float>(width), static_cast<float>(height)),
      mClearMask(clearMask),
      mClearOnBegin(true) {}

void cFrameBuffer::applyViewport() {
    glViewport(0, 0, static_cast<GLsizei>(mSize.x), static_cast<GLsizei>(mSize.y));
}

void cFrameBuffer::beginCommon() {
    applyViewport();
    glClearColor(mClearColour.x, mClearColour.y, mClearColour.z, mClearColour.w);
    if (mClearOnBegin) clear();
    framebufferStack().push_back(this);
}

void cFrameBuffer::endCommon() {
    std::vector<cFrameBuffer*>& stack = framebufferStack();
    // An unmatched end would pop nothing; the stack is only ever popped by its own begin.
    if (stack.empty()) return;
    stack.pop_back();
    if (!stack.empty()) stack.back()->applyViewport();
}

static unsigned windowFramebufferName = 0;

unsigned windowFramebuffer() { return windowFramebufferName; }
void setWindowFramebuffer(unsigned framebufferName) { windowFramebufferName = framebufferName; }

void cDirectFrameBuffer::begin() {
    // Only a picture drawn offscreen needs binding: the window's own buffer is bound unless
    // an offscreen target is, and every one of those ends by going back to it.
    if (windowFramebufferName != 0) glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, windowFramebufferName);
    beginCommon();
}

void cDirectFrameBuffer::end() { endCommon(); }

void cDirectFrameBuffer::clear() { glClear(static_cast<GLbitfield>(mClearMask)); }

}  // namespace nimra
