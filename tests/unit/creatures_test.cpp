#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "demo/creatures.h"

using namespace nimra;

TEST(Creatures, PhasesAndTheTriggerThatOnlyReports) {
    cCreatureMotion motion;
    motion.shaderPhase = 2.0f;
    advanceCreatureMotion(motion, 0, 0.0f, 0.8f);
    EXPECT_EQ(motion.shaderPhase, 2.0f);
    EXPECT_EQ(motion.cameraPhase, 0.0f);

    motion = {};
    advanceCreatureMotion(motion, 16, 0.0f, 0.5f);
    EXPECT_FLOAT_EQ(motion.shaderPhase, 0.16f + 16 * 0.5f * 2.1f);
    EXPECT_FLOAT_EQ(motion.cameraPhase, 0.16f + 16 * 0.5f * 1.1f);

    // In silence the phases run at 10 per second and the trigger fires, and prints, once
    // its threshold has sunk below 0: on the 79th frame of 16 ms.
    motion = {};
    std::string printed;
    int firedAt = 0;
    for (int frame = 1; frame <= 100 && !firedAt; ++frame) {
        ::testing::internal::CaptureStdout();
        advanceCreatureMotion(motion, 16, 0.0f, 0.0f);
        printed = ::testing::internal::GetCapturedStdout();
        if (!printed.empty()) firedAt = frame;
    }
    EXPECT_EQ(firedAt, 79);
    EXPECT_EQ(printed.rfind("changing cam:-", 0), 0u) << printed;
    EXPECT_NEAR(motion.shaderPhase, 79 * 0.16f, 1e-4f);
    EXPECT_EQ(motion.trigger.threshold, 0.5f);
}

TEST(Creatures, TheCameraCirclesLevelWithTheGroup670Out) {
    for (float b : {0.0f, 1.0f, 157.0f, 1234.5f, 98765.0f}) {
        const cVec3f eye = creatureEye(b);
        EXPECT_EQ(eye.y, 0.0f);
        EXPECT_NEAR(std::hypot(eye.x + 20.0f, eye.z + 20.0f), 670.0f, 1e-3f) << b;
    }
    const cVec3f start = creatureEye(0.0f);
    EXPECT_FLOAT_EQ(start.x, 670.0f * std::cos(0.54f) - 20.0f);
    EXPECT_FLOAT_EQ(start.z, 670.0f * std::sin(0.54f) - 20.0f);
    EXPECT_EQ(creatureTarget.y, 70.0f);
}

TEST(Creatures, EachSwimsOnItsOwnPathAndSpin) {
    // At A = B = 0 creature i stands at (64.03 sin(0.23 i), 0, 64.03 sin(1.3 cos(0.2 i))),
    // turned 45 i degrees.
    for (int i = 0; i < creatureCount; ++i) {
        const cCreaturePose pose = creaturePose(i, 0.0f, 0.0f);
        EXPECT_NEAR(pose.position.x, 64.03 * std::sin(0.23 * i), 1e-4) << i;
        EXPECT_EQ(pose.position.y, 0.0f);
        EXPECT_NEAR(pose.position.z, 64.03 * std::sin(1.3 * std::cos(0.2 * i)), 1e-4) << i;
        EXPECT_FLOAT_EQ(pose.angle, 45.0f * i);
        EXPECT_EQ(pose.axis.z, 1.0f);
    }

    const float a = 1500.0f, b = 700.0f;  // phases; the poses use a thousandth of them
    const double ka = 1.5f, kb = 0.7f;
    const cCreaturePose first = creaturePose(0, a, b);
    EXPECT_NEAR(first.axis.x, 1.23 * std::sin(4.2 * ka), 1e-5);
    EXPECT_EQ(first.axis.y, 0.0f);
    EXPECT_FLOAT_EQ(first.angle, b);
    EXPECT_NEAR(first.position.x, 64.03 * std::sin(ka), 1e-4);
    EXPECT_NEAR(first.position.z, 64.03 * std::sin(1.3 * std::cos(0.3 * kb) + 0.32 * ka), 1e-4);

    const cCreaturePose last = creaturePose(9, a, b);
    EXPECT_NEAR(last.axis.x, 1.23 * std::sin(4.2 * ka + 1.8), 1e-5);
    EXPECT_FLOAT_EQ(last.axis.y, 2.07f);
    EXPECT_FLOAT_EQ(last.angle, 405.0f + b);
}
