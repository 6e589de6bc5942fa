// What the 3D scenes hand on to the layers drawn after them in the same frame. Run without
// the show's files: the loaders complain and every scene still draws.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "demo/creatures.h"
#include "demo/interludes.h"
#include "demo/loudspeakers.h"
#include "demo/tunnel.h"
#include "kit_support.h"
#include "math/matrix.h"
#include "render/screen_quad.h"
#include "runtime/state.h"

using namespace nimra;

namespace {

// Each initialiser once per process, as start-up does.
void initScenes() {
    static bool done = false;
    if (done) return;
    done = true;
    kit::buildScreenQuad();
    kit::startCapture();
    initTunnel();
    initLoudspeakers();
    initCreatures();
    const std::string printed = kit::stopCapture();
    EXPECT_NE(printed.find("initing scene 2\n"), std::string::npos) << printed;
}

}  // namespace

TEST(SceneState, CreaturesLeaveTheirViewScaledBy250OnUnitZero) {
    initScenes();
    glMatrixMode(GL_MODELVIEW);
    demoTime = 130000;
    frameTime = 16;
    advanceCreatures();
    drawCreatures();

    // One silent frame of 16 ms moves the camera phase by 0.16.
    cMatrix4f view;
    view.lookAt(creatureEye(0.16f), creatureTarget, cVec3f(0.0f, 1.0f, 0.0f));
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(modelview[i], view.m[i] * (i < 12 ? 250.0f : 1.0f), 1e-3f) << i;
    EXPECT_EQ(kit::integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    // The later layers' quads are not all wound the same way.
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    glLoadIdentity();
}

TEST(SceneState, SmokeLeavesDepthWritesAndTheDepthTestOnAndBlendingAsTheTimelineHasIt) {
    initScenes();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    demoTime = smokeAfter + 1;
    frameTime = 16;
    advanceLoudspeakers();
    drawLoudspeakers();

    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(kit::integer(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
    EXPECT_EQ(kit::integer(GL_BLEND_DST_RGB), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    glLoadIdentity();
}

TEST(SceneState, TheTunnelLeavesUnitOneActiveAndItsBlendAlone) {
    initScenes();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    demoTime = 40000;
    frameTime = 16;
    advanceTunnel();
    drawTunnel();
    EXPECT_EQ(kit::integer(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(kit::integer(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    glLoadIdentity();
}

// Slide cards are drawn only over their ink, found once from the uploaded picture.
TEST(SceneState, ACardsInkIsFoundInItsPictureWithATexelToSpare) {
    kit::drainErrors();
    const auto picture = [](int width, int height, std::initializer_list<std::pair<int, int>> ink) {
        std::vector<uint8_t> rgba(size_t(width) * height * 4, 0);
        for (auto [column, row] : ink)
            rgba[(size_t(row) * width + column) * 4 + 3] = 1;
        cTexture* texture = new cTexture(true);
        texture->setImage(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                          rgba.data());
        return texture;
    };
    cTexture* middle = picture(64, 32, {{10, 4}, {40, 20}});
    cInkBox ink = findInk(*middle);
    EXPECT_FALSE(ink.empty);
    EXPECT_FLOAT_EQ(ink.left, 9.0f / 64);
    EXPECT_FLOAT_EQ(ink.right, 42.0f / 64);
    EXPECT_FLOAT_EQ(ink.top, 3.0f / 32);  // rows count down from the picture's top
    EXPECT_FLOAT_EQ(ink.bottom, 22.0f / 32);

    // Ink on an edge may wrap round under filtering: that axis counts whole.
    cTexture* edge = picture(64, 32, {{63, 10}});
    ink = findInk(*edge);
    EXPECT_FLOAT_EQ(ink.left, 0.0f);
    EXPECT_FLOAT_EQ(ink.right, 1.0f);
    EXPECT_FLOAT_EQ(ink.top, 9.0f / 32);

    cTexture* clear = picture(8, 8, {});
    EXPECT_TRUE(findInk(*clear).empty);
    for (cTexture* texture : {middle, edge, clear})
        delete texture;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
