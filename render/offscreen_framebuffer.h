#pragma once
// Render-to-texture targets: a GL framebuffer object (EXT_framebuffer_object) with
// texture colour attachments and an optional depth renderbuffer. Shares the begin/end
// stack of the window framebuffer; ending always leaves the window's framebuffer bound.

#include <vector>

#include "render/framebuffer.h"
#include "render/gl.h"
#include "render/texture.h"

namespace nimra {

class cRenderBuffer {
public:
    GLuint name = 0;

    // Generates, binds (and leaves bound) and allocates storage.
    cRenderBuffer& create(int width, int height, GLenum internalFormat);
};

class cOffscreenFrameBuffer : public cFrameBuffer {
public:
    GLuint framebufferName = 0;
    std::vector<cTexture*> attachedTextures;  // non-owning, in attachment order

    cOffscreenFrameBuffer(int width, int height, int clearMask);

    void begin() override;
    // Binds the window's framebuffer, regenerates the mipmaps of mipmapped attachments, then the
    // common end.
    void end() override;
    void clear() override;

    // 2D textures only; anything else is silently not attached.
    void attachTexture(cTexture& texture, GLenum attachment, int level);
    void attachRenderBuffer(cRenderBuffer& renderBuffer, GLenum attachment);
    void setDrawReadBuffers(GLenum drawBuffer, GLenum readBuffer);
    // True when complete; otherwise prints what is wrong.
    bool checkStatus();
};

}  // namespace nimra
