#include <string>
#include <vector>

#include "kit_support.h"
#include "render/framebuffer.h"
#include "render/offscreen_framebuffer.h"
#include "render/texture.h"

using namespace nimra;

namespace {

cTexture* colourTarget(int width, int height, GLint minFilter) {
    cTexture* texture = new cTexture(true);
    texture->setImage(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                      nullptr);
    texture->setParameter(GL_TEXTURE_WRAP_S, GL_CLAMP);
    texture->setParameter(GL_TEXTURE_WRAP_T, GL_CLAMP);
    texture->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture->setParameter(GL_TEXTURE_MIN_FILTER, minFilter);
    return texture;
}

// The first texel of a level; GL hands back the whole level.
std::vector<uint8_t> firstTexel(const cTexture& texture, int level) {
    std::vector<uint8_t> rgba = kit::levelPixels(texture, level);
    rgba.resize(4);
    return rgba;
}

void viewportSize(GLint& width, GLint& height) {
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    width = vp[2];
    height = vp[3];
}

}  // namespace

TEST(OffscreenFramebuffer, TypicalSetUpIsCompleteAndRendersIntoItsTexture) {
    cOffscreenFrameBuffer target(64, 32, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    cTexture* colour = colourTarget(64, 32, GL_LINEAR);
    cRenderBuffer depth;
    depth.create(64, 32, GL_DEPTH_COMPONENT24);
    target.attachTexture(*colour, GL_COLOR_ATTACHMENT0_EXT, 0);
    target.attachRenderBuffer(depth, GL_DEPTH_ATTACHMENT_EXT);
    EXPECT_EQ(kit::integer(GL_FRAMEBUFFER_BINDING_EXT), 0);
    kit::startCapture();
    EXPECT_TRUE(target.checkStatus());
    EXPECT_EQ(kit::stopCapture(), "");

    target.setClearColour(cVec4f(0.0f, 1.0f, 0.0f, 1.0f));
    target.begin();
    EXPECT_EQ(kit::integer(GL_FRAMEBUFFER_BINDING_EXT), static_cast<GLint>(target.framebufferName));
    target.end();
    const std::vector<uint8_t> texel = firstTexel(*colour, 0);
    EXPECT_EQ(texel[0], 0);
    EXPECT_EQ(texel[1], 255);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(OffscreenFramebuffer, NestedEndLeavesWindowBoundWithOuterViewport) {
    cDirectFrameBuffer window(800, 600, GL_COLOR_BUFFER_BIT);
    cOffscreenFrameBuffer outer(64, 32, GL_COLOR_BUFFER_BIT);
    cOffscreenFrameBuffer inner(16, 8, GL_COLOR_BUFFER_BIT);
    cTexture* outerColour = colourTarget(64, 32, GL_LINEAR);
    cTexture* innerColour = colourTarget(16, 8, GL_LINEAR);
    outer.attachTexture(*outerColour, GL_COLOR_ATTACHMENT0_EXT, 0);
    inner.attachTexture(*innerColour, GL_COLOR_ATTACHMENT0_EXT, 0);

    window.begin();
    outer.begin();
    inner.begin();
    GLint w, h;
    viewportSize(w, h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 8);
    inner.end();
    EXPECT_EQ(kit::integer(GL_FRAMEBUFFER_BINDING_EXT), 0);
    viewportSize(w, h);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 32);
    outer.end();
    viewportSize(w, h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(framebufferStack().size(), 1u);
    window.end();
    EXPECT_TRUE(framebufferStack().empty());
}

TEST(OffscreenFramebuffer, MipmapsAreMadeOnAttachAndRemadeOnEveryEnd) {
    cOffscreenFrameBuffer target(32, 32, GL_COLOR_BUFFER_BIT);
    cTexture* colour = colourTarget(32, 32, GL_LINEAR_MIPMAP_LINEAR);
    ASSERT_TRUE(colour->isMipmapped());
    target.attachTexture(*colour, GL_COLOR_ATTACHMENT0_EXT, 0);
    glBindTexture(GL_TEXTURE_2D, colour->name);
    GLint smallest = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 5, GL_TEXTURE_WIDTH, &smallest);
    EXPECT_EQ(smallest, 1);
    EXPECT_TRUE(target.checkStatus());

    for (float red : {1.0f, 0.0f}) {
        target.setClearColour(cVec4f(red, 0.0f, 1.0f, 1.0f));
        target.begin();
        target.end();
        const std::vector<uint8_t> texel = firstTexel(*colour, 5);
        EXPECT_EQ(texel[0], red * 255);
        EXPECT_EQ(texel[2], 255);
    }
    glDisable(GL_TEXTURE_2D);
}

TEST(OffscreenFramebuffer, OnlyTwoDimensionalTexturesAttach) {
    cOffscreenFrameBuffer target(16, 16, GL_COLOR_BUFFER_BIT);
    cTexture cube(true);
    for (int face = 0; face < 6; ++face) {
        cube.setCubeFace(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA, 16, 16, 0, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, nullptr);
    }
    target.attachTexture(cube, GL_COLOR_ATTACHMENT0_EXT, 0);
    EXPECT_TRUE(target.attachedTextures.empty());
    EXPECT_EQ(kit::integer(GL_FRAMEBUFFER_BINDING_EXT), 0);

    kit::startCapture();
    EXPECT_FALSE(target.checkStatus());
    EXPECT_EQ(kit::stopCapture(), "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT\n");
}

TEST(OffscreenFramebuffer, DrawAndReadBufferChoiceStaysWithTheObject) {
    cOffscreenFrameBuffer target(16, 16, GL_COLOR_BUFFER_BIT);
    cTexture* first = colourTarget(16, 16, GL_LINEAR);
    cTexture* second = colourTarget(16, 16, GL_LINEAR);
    target.attachTexture(*first, GL_COLOR_ATTACHMENT0_EXT, 0);
    target.attachTexture(*second, GL_COLOR_ATTACHMENT1_EXT, 0);
    target.setDrawReadBuffers(GL_COLOR_ATTACHMENT1_EXT, GL_COLOR_ATTACHMENT1_EXT);
    EXPECT_EQ(kit::integer(GL_FRAMEBUFFER_BINDING_EXT), 0);
    EXPECT_EQ(kit::integer(GL_DRAW_BUFFER), GL_BACK);

    target.setClearColour(cVec4f(1.0f, 1.0f, 0.0f, 1.0f));
    target.begin();
    EXPECT_EQ(kit::integer(GL_DRAW_BUFFER), GL_COLOR_ATTACHMENT1_EXT);
    EXPECT_EQ(kit::integer(GL_READ_BUFFER), GL_COLOR_ATTACHMENT1_EXT);
    target.end();

    // Only the chosen attachment was cleared.
    EXPECT_EQ(firstTexel(*second, 0)[1], 255);
    EXPECT_NE(firstTexel(*first, 0)[1], 255);
    glDisable(GL_TEXTURE_2D);
}
