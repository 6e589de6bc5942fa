#include <gtest/gtest.h>

#include <string>

#include "demo/scene_rules.h"

using namespace nimra;

TEST(ScenePhases, StepInDoubleFromTheBaseRateAndTheBin) {
    EXPECT_EQ(advancePhase(3.5f, 0, 0.01, 0.7f, 5.1), 3.5f);  // dt = 0 moves nothing
    EXPECT_FLOAT_EQ(advancePhase(0.0f, 1000, 0.01, 0.0f, 5.1), 10.0f);
    EXPECT_FLOAT_EQ(advancePhase(1.0f, 16, 0.01, 0.5f, 5.1), 1.0f + 0.16f + 40.8f);
    // A huge phase still takes small steps as far as a float can hold them.
    EXPECT_EQ(advancePhase(1.0e9f, 16, 0.01, 0.0f, 1.0), 1.0e9f);
}

namespace {

// Frames of dt ms with a silent spectrum until the trigger fires; the frame count, or -1.
int framesUntilFiring(cCameraTrigger& trigger, int dt, std::string& printed) {
    for (int frame = 1; frame <= 100000; ++frame) {
        ::testing::internal::CaptureStdout();
        const bool fired = trigger.advance(dt, 0.0f);
        printed = ::testing::internal::GetCapturedStdout();
        if (fired) return frame;
        EXPECT_EQ(printed, "");
    }
    return -1;
}

}  // namespace

TEST(CameraTrigger, SilenceFiresOnceTheThresholdSinksBelowZero) {
    cCameraTrigger trigger;  // 0.5, falling by clock x 0.00001 per frame
    std::string printed;
    // After k frames of 16 ms the threshold is 0.5 - 0.00016 k (k + 1) / 2: below 0 at k = 79.
    EXPECT_EQ(framesUntilFiring(trigger, 16, printed), 79);
    ASSERT_EQ(printed.rfind("changing cam:-", 0), 0u) << printed;
    EXPECT_NEAR(std::stof(printed.substr(13)), 0.5 - 0.00016 * 79 * 80 / 2, 1e-5);
    EXPECT_EQ(trigger.clock, 0);
    EXPECT_EQ(trigger.threshold, 0.5f);
    // It starts over the same way.
    EXPECT_EQ(framesUntilFiring(trigger, 16, printed), 79);
}

TEST(CameraTrigger, ALoudBinFiresAtOnceAndTheSculpturesQuickerDecayFiresSooner) {
    cCameraTrigger trigger;
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(trigger.advance(16, 0.6f));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "changing cam:0.49984\n");
    EXPECT_FALSE(trigger.advance(16, 0.4f));  // below the threshold: nothing

    cCameraTrigger sculpture{0, 0.3f, 0.0001};
    std::string printed;
    // 0.3 - 0.0016 k (k + 1) / 2 < 0 first at k = 19.
    EXPECT_EQ(framesUntilFiring(sculpture, 16, printed), 19);
    EXPECT_EQ(sculpture.threshold, 0.5f);  // every firing restarts from 0.5
}

TEST(CameraTrigger, AStallSinksTheThresholdByTheWholeFrameAtOnce) {
    cCameraTrigger trigger;
    EXPECT_FALSE(trigger.advance(5000, 0.0f));
    EXPECT_FLOAT_EQ(trigger.threshold, 0.45f);
    cCameraTrigger sculpture{0, 0.3f, 0.0001};
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(sculpture.advance(5000, 0.0f));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "changing cam:-0.2\n");
}
