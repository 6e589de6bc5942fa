#include <gtest/gtest.h>

#include <vector>

#include "shell/frame.h"
#include "shell/startup.h"
#include "runtime/state.h"

using namespace nimra;

namespace {

std::vector<uint32_t> tickSequence;
size_t tickIndex = 0;
uint32_t scriptedTicks() {
    return tickSequence[tickIndex < tickSequence.size() - 1 ? tickIndex++ : tickIndex];
}

class FrameClock : public ::testing::Test {
protected:
    void SetUp() override {
        demoTime = 0;
        frameTime = 0;
        tickIndex = 0;
        resetFrameClock();
        setTickSource(scriptedTicks);
    }
    void TearDown() override { setTickSource(nullptr); }
};

}  // namespace

TEST(VideoMode, FlagsFollowTheDisplay) {
    EXPECT_EQ(videoModeFlags(false, false), 0xA0000017u);
    EXPECT_EQ(videoModeFlags(true, false), 0xA0000017u);  // the hardware bit is already in
    EXPECT_EQ(videoModeFlags(true, true), 0xA0000117u);
    EXPECT_EQ(videoModeFlags(false, true), 0xA0000117u);
}

TEST(Keys, QueriesReduceToEightBitsAndSeeOnlyFreshPresses) {
    keys.assign(300, 0);
    previousKeys.clear();  // the very first frame: nothing was down before
    keys[27] = 1;
    EXPECT_TRUE(isKeyDown(27));
    EXPECT_TRUE(isKeyDown(27 + 256));  // wraps to 27
    EXPECT_TRUE(wasKeyPressed(27));
    EXPECT_FALSE(isKeyDown(28));

    previousKeys = keys;  // still held on the next frame
    EXPECT_TRUE(isKeyDown(27));
    EXPECT_FALSE(wasKeyPressed(27));

    keys[116] = 1;  // t pressed on this frame
    EXPECT_TRUE(wasKeyPressed(116));
    EXPECT_TRUE(wasKeyPressed(116 + 512));

    keys.clear();
    previousKeys.clear();  // before the first key sample nothing is down
    EXPECT_FALSE(isKeyDown(27));
    EXPECT_FALSE(wasKeyPressed(27));
}

TEST(Keys, EscapeAndTheClockEndTheDemo) {
    keys.assign(256, 0);
    demoTime = 206999;
    EXPECT_FALSE(demoShouldEnd());
    demoTime = 207000;
    EXPECT_TRUE(demoShouldEnd());
    demoTime = 0;
    keys[27] = 1;
    EXPECT_TRUE(demoShouldEnd());
    keys.clear();
}

TEST_F(FrameClock, FirstFrameIsZeroThenWallClockSteps) {
    tickSequence = {1000, 1000, 1016, 1033, 6033, 6049};
    advanceClocks();
    EXPECT_EQ(frameTime, 0);
    EXPECT_EQ(demoTime, 0);
    advanceClocks();
    EXPECT_EQ(frameTime, 16);
    advanceClocks();
    EXPECT_EQ(frameTime, 17);
    // A 5000 ms stall is one big step, and demoTime jumps by the same amount.
    advanceClocks();
    EXPECT_EQ(frameTime, 5000);
    EXPECT_EQ(demoTime, 5033);
    advanceClocks();
    EXPECT_EQ(demoTime, 5049);
}

TEST_F(FrameClock, TickCounterWrapStillGivesTheStep) {
    tickSequence = {0xFFFFFFF0u, 0xFFFFFFF0u, 0x00000010u};
    advanceClocks();
    advanceClocks();
    EXPECT_EQ(frameTime, 32);
}

TEST_F(FrameClock, TheLastFrameIsTheFirstToSeeTheEnd) {
    // 16 ms frames from 0: the loop stops after the frame whose incoming demoTime is
    // 207000 or more.
    tickSequence.clear();
    for (uint32_t t = 0; t <= 210000; t += 16)
        tickSequence.push_back(t);
    tickSequence.insert(tickSequence.begin(), 0);
    int frames = 0;
    while (!demoShouldEnd()) {
        advanceClocks();
        ++frames;
    }
    EXPECT_GE(demoTime, 207000);
    EXPECT_LT(demoTime - 16, 207000);
    EXPECT_EQ(frames, 1 + (207000 + 15) / 16);
}
