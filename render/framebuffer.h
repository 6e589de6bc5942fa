#pragma once
// Render targets. Every target is bracketed by begin and end; targets nest through one
// process-wide stack so that ending an inner target re-applies the viewport of the one
// around it. The virtual slots keep this order: begin, end, clear, applyViewport.

#include <vector>

#include "math/vector.h"

namespace nimra {

class cFrameBuffer {
public:
    cFrameBuffer(int width, int height, int clearMask);

    virtual void begin() = 0;
    virtual void end() = 0;
    virtual void clear() = 0;
    // glViewport(0, 0, width, height), each float truncated towards zero.
    virtual void applyViewport();

    void setClearColour(cVec4f colour) { mClearColour = colour; }
    void setSize(cVec2f size) { mSize = size; }
    cVec2f size() const { return mSize; }
    cVec4f clearColour() const { return mClearColour; }
    int clearMask() const { return mClearMask; }
    bool clearOnBegin() const { return mClearOnBegin; }

protected:
    // What begin shares across kinds once the target is bound: viewport, clear colour,
    // optional clear, push.
    void beginCommon();
    // Pop, then re-apply the viewport of whatever target is now on top.
    static void endCommon();

    cVec4f mClearColour;
    cVec2f mSize;
    int mClearMask;
    bool mClearOnBegin;
};

// The process-wide stack of begun targets (non-owning), innermost last.
std::vector<cFrameBuffer*>& framebufferStack();

// The GL framebuffer that stands for the window: 0, the window's own back buffer, unless
// the show's picture is drawn offscreen (at another size than the window's, or with no
// window to speak of) into a framebuffer object. The window's target binds it when begun,
// and every offscreen target goes back to it when it ends.
unsigned windowFramebuffer();
void setWindowFramebuffer(unsigned framebufferName);

// The window's back buffer: GL framebuffer 0, or the object that stands for it.
class cDirectFrameBuffer : public cFrameBuffer {
public:
    using cFrameBuffer::cFrameBuffer;

    void begin() override;
    void end() override;
    void clear() override;
};

}  // namespace nimra
