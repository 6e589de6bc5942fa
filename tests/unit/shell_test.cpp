#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/state.h"
#include "shell/frame.h"
#include "shell/options.h"
#include "shell/reach.h"
#include "shell/startup.h"

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

TEST(CommandLine, OneSizeRuleForWindowsAndCapturedFrames) {
    int width = 0, height = 0;
    EXPECT_TRUE(parseFrameSize("16x8192", width, height));
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 8192);
    EXPECT_FALSE(parseFrameSize("15x600", width, height));
    EXPECT_FALSE(parseFrameSize("800x8193", width, height));

    // The player keeps to it: a window no capture could match is refused.
    const auto parse = [](std::vector<std::string> words, std::string& error) {
        std::vector<char*> argv{const_cast<char*>("nimra")};
        for (std::string& word : words)
            argv.push_back(word.data());
        cPlayerOptions options;
        return parsePlayerOptions(static_cast<int>(argv.size()), argv.data(), options, error);
    };
    std::string error;
    EXPECT_TRUE(parse({"--size", "16x16"}, error)) << error;
    EXPECT_FALSE(parse({"--size", "16384x600"}, error));
    EXPECT_NE(error.find("from 16 to 8192"), std::string::npos) << error;
}

TEST(MomentGrid, FramesAtSixtyASecondAlternateSixteenAndSeventeenMilliseconds) {
    EXPECT_EQ(gridTime(0), 0);
    EXPECT_EQ(gridTime(1), 17);
    EXPECT_EQ(gridTime(2), 33);
    EXPECT_EQ(gridTime(3), 50);
    EXPECT_EQ(gridTime(4200), 70000);
    // Every moment has the last frame at or before it, and is a frame only when one lies on it.
    for (int t = 0; t < 3000; ++t) {
        const long k = gridFrameBefore(t);
        ASSERT_LE(gridTime(k), t) << t;
        ASSERT_GT(gridTime(k + 1), t) << t;
        ASSERT_EQ(gridFrameAt(t), gridTime(k) == t ? k : -1) << t;
    }
    EXPECT_EQ(gridFrameAt(30312), -1);
    EXPECT_EQ(gridTime(gridFrameBefore(30312)), 30300);
    // Another rate, as the capture tool's --fps asks.
    EXPECT_EQ(gridTime(3, 1), 3000);
    EXPECT_EQ(gridFrameBefore(2999, 1), 2);
}
