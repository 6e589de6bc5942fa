// What the 3D scenes hand on to the layers drawn after them in the same frame. Run without
// the show's files: the loaders complain and every scene still draws.
#include <gtest/gtest.h>

#include "demo/creatures.h"
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
    if (!screenQuad) {
        screenQuad = new cMesh();
        fillScreenQuad(*screenQuad);
    }
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
    drawTunnel();
    EXPECT_EQ(kit::integer(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(kit::integer(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    glLoadIdentity();
}
