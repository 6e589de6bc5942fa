#include "render/offscreen_framebuffer.h"

#include <iostream>

namespace nimra {

cRenderBuffer& cRenderBuffer::create(int width, int height, GLenum internalFormat) {
    glGenRenderbuffersEXT(1, &name);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, name);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, internalFormat, width, height);
    return *this;
}

cOffscreenFrameBuffer::cOffscreenFrameBuffer(int width, int height, int clearMask)
    : cFrameBuffer(width, height, clearMask) {
    glGenFramebuffersEXT(1, &framebufferName);
}

void cOffscreenFrameBuffer::begin() {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebufferName);
    beginCommon();
}

void cOffscreenFrameBuffer::end() {
    // Always back to the window (or what stands for it), even when this target was begun
    // inside another offscreen target: only the viewport of the outer one is restored.
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, windowFramebuffer());
    for (cTexture* texture : attachedTextures) {
        if (!texture->isMipmapped()) continue;
        texture->bind(0);
        glGenerateMipmapEXT(GL_TEXTURE_2D);
    }
    endCommon();
}

void cOffscreenFrameBuffer::clear() { glClear(static_cast<GLbitfield>(mClearMask)); }

void cOffscreenFrameBuffer::attachTexture(cTexture& texture, GLenum attachment, int level) {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebufferName);
    if (texture.target == GL_TEXTURE_2D) {
        // Every level must exist before a mipmapped texture is complete enough to attach.
        if (texture.isMipmapped()) {
            texture.bind(0);
            glGenerateMipmapEXT(GL_TEXTURE_2D);
        }
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, attachment, texture.target, texture.name,
                                  level);
        attachedTextures.push_back(&texture);
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, windowFramebuffer());
}

void cOffscreenFrameBuffer::attachRenderBuffer(cRenderBuffer& renderBuffer, GLenum attachment) {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebufferName);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, attachment, GL_RENDERBUFFER_EXT,
                                 renderBuffer.name);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, windowFramebuffer());
}

void cOffscreenFrameBuffer::setDrawReadBuffers(GLenum drawBuffer, GLenum readBuffer) {
    // The choice is state of the framebuffer object, so it outlives the binding.
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebufferName);
    glDrawBuffer(drawBuffer);
    glReadBuffer(readBuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, windowFramebuffer());
}

bool cOffscreenFrameBuffer::checkStatus() {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebufferName);
    const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, windowFramebuffer());

    // The first five carry their own newline and are not flushed; the rest are.
    switch (status) {
        case GL_FRAMEBUFFER_COMPLETE_EXT:
            return true;
        case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT:
            std::cout << "GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT\n";
            break;
        case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT:
            std::cout << "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT\n";
            break;
        case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT:
            std::cout << "GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT\n";
            break;
        case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT:
            std::cout << "GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT\n";
            break;
        case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT:
            std::cout << "GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT\n";
            break;
        case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT:
            std::cout << "incomplete read buffer oops" << std::endl;
            break;
        case GL_FRAMEBUFFER_UNSUPPORTED_EXT:
            std::cout << "framebuffer unsupported!" << std::endl;
            break;
        default:
            std::cout << "framebuffer error, some bad stuff happen" << std::endl;
            break;
    }
    return false;
}

}  // namespace nimra
