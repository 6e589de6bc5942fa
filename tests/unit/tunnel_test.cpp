#include <gtest/gtest.h>

#include <cmath>

#include "demo/tunnel.h"

using namespace nimra;

TEST(Tunnel, PhasesRunAtTenPerSecondAndTheShadersFeelsBin20FarMore) {
    cTunnelPhases phases{3.0f, 7.0f};
    advanceTunnelPhases(phases, 0, 0.9f);  // dt = 0: only "powah" could change
    EXPECT_EQ(phases.shader, 3.0f);
    EXPECT_EQ(phases.camera, 7.0f);

    phases = {};
    for (int i = 0; i < 125; ++i)
        advanceTunnelPhases(phases, 8, 0.0f);
    EXPECT_NEAR(phases.shader, 10.0f, 1e-4f);
    EXPECT_NEAR(phases.camera, 10.0f, 1e-4f);

    phases = {};
    advanceTunnelPhases(phases, 16, 0.5f);
    EXPECT_FLOAT_EQ(phases.shader, 0.16f + 16 * 0.5f * 5.1f);
    EXPECT_FLOAT_EQ(phases.camera, 0.16f + 16 * 0.5f * 1.1f);
}

TEST(Tunnel, TheEyeSwingsAlongTheAxisBetweenMinus120And80) {
    EXPECT_FLOAT_EQ(tunnelEye(0.0f).z, -20.0f);
    EXPECT_FLOAT_EQ(tunnelEye(50.0f * 3.14159265f).z, 80.0f);
    EXPECT_FLOAT_EQ(tunnelEye(150.0f * 3.14159265f).z, -120.0f);
    for (float q = 0.0f; q < 1.0e6f; q = q * 1.7f + 13.0f) {
        const cVec3f eye = tunnelEye(q);
        EXPECT_EQ(eye.x, 0.0f);
        EXPECT_EQ(eye.y, 5.0f);
        EXPECT_GE(eye.z, -120.0f) << q;
        EXPECT_LE(eye.z, 80.0f) << q;
    }
    // Always looking on down the passage.
    EXPECT_GT(tunnelTarget.z, 80.0f);
}
