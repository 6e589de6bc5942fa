// The sphere scene reads its RGBA8 grid back as floats into a pixel-pack buffer. The browser
// (WebGL 1, render/webgl/library_webgl_kit.js) has neither float read-back nor pack buffers:
// it reads the bytes and turns each into a float itself: b times the float nearest 1/255,
// rounded to a float, as Mesa converts them (b / 255 would differ in the last bit for about
// half the bytes). That must be, bit for bit, the float desktop GL gives for every byte.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "kit_support.h"
#include "render/gl.h"

TEST(GridReadback, EveryByteReadsAsTheFloatTheBrowserMakesOfIt) {
    // One texel for each byte value, in every channel, through the same path as the scene:
    // an RGBA8 texture attached to a framebuffer, read as floats into a pack buffer.
    const int side = 16;
    std::vector<uint8_t> texels(side * side * 4);
    for (int i = 0; i < side * side; ++i)
        for (int c = 0; c < 4; ++c)
            texels[i * 4 + c] = static_cast<uint8_t>((i + c * 85) & 0xFF);
    GLuint texture = 0, framebuffer = 0, buffer = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    glGenFramebuffersEXT(1, &framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture,
                              0);
    ASSERT_EQ(glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT), GLenum(GL_FRAMEBUFFER_COMPLETE_EXT));
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
    glBufferData(GL_PIXEL_PACK_BUFFER, side * side * 4 * sizeof(float), nullptr, GL_DYNAMIC_DRAW);
    glReadPixels(0, 0, side, side, GL_RGBA, GL_FLOAT, nullptr);
    std::vector<float> values(side * side * 4);
    glGetBufferSubData(GL_PIXEL_PACK_BUFFER, 0, GLsizeiptr(values.size() * sizeof(float)),
                       values.data());
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glDeleteBuffers(1, &buffer);
    glDeleteFramebuffersEXT(1, &framebuffer);
    glDeleteTextures(1, &texture);

    for (size_t i = 0; i < texels.size(); ++i) {
        const float browser = static_cast<float>(texels[i]) * (1.0f / 255.0f);
        uint32_t desktopBits, browserBits;
        std::memcpy(&desktopBits, &values[i], 4);
        std::memcpy(&browserBits, &browser, 4);
        ASSERT_EQ(desktopBits, browserBits) << "byte " << int(texels[i]) << ": desktop GL gives "
                                            << values[i] << ", the browser " << browser;
    }
}
