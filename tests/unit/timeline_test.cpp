#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo/opening.h"
#include "demo/timeline.h"
#include "runtime/state.h"

using namespace nimra;

namespace {

std::vector<std::string> scenesAt(int t) {
    std::vector<std::string> names;
    for (const cSceneWindow& window : sceneWindows) {
        if (windowContains(window, t)) names.push_back(window.name);
    }
    return names;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(TimelineWindows, SharedBoundariesRunBothNeighboursEarlierFirst) {
    EXPECT_EQ(scenesAt(0), Names{});
    EXPECT_EQ(scenesAt(30311), Names{});
    EXPECT_EQ(scenesAt(30312), Names{"tunnel"});
    EXPECT_EQ(scenesAt(48938), Names{"tunnel"});
    EXPECT_EQ(scenesAt(48939), (Names{"tunnel", "sculpture"}));
    EXPECT_EQ(scenesAt(48940), Names{"sculpture"});
    EXPECT_EQ(scenesAt(86210), (Names{"sculpture", "loudspeakers"}));
    EXPECT_EQ(scenesAt(123505), (Names{"loudspeakers", "break"}));
    EXPECT_EQ(scenesAt(128171), Names{"break"});
    for (int t = 128172; t <= 128182; ++t) {
        EXPECT_EQ(scenesAt(t), (Names{"break", "creatures"})) << t;
    }
    EXPECT_EQ(scenesAt(128183), Names{"creatures"});
    EXPECT_EQ(scenesAt(146828), (Names{"creatures", "spheres"}));
    EXPECT_EQ(scenesAt(184081), (Names{"spheres", "composite"}));
    // Two rows hold at 193384, so the composite pass runs twice in that frame.
    EXPECT_EQ(scenesAt(193383), Names{"composite"});
    EXPECT_EQ(scenesAt(193384), (Names{"composite", "final composite"}));
    EXPECT_EQ(scenesAt(193385), Names{"final composite"});
    EXPECT_EQ(scenesAt(206999), Names{"final composite"});
    EXPECT_EQ(scenesAt(260000), Names{"final composite"});
}

TEST(TimelinePhases, SlowPhaseWaitsFor11600AndMusicPhaseFollowsBin20) {
    EXPECT_EQ(advanceSlowPhase(0.0f, 16, 0), 0.0f);
    EXPECT_EQ(advanceSlowPhase(0.0f, 16, 11599), 0.0f);
    EXPECT_FLOAT_EQ(advanceSlowPhase(0.0f, 16, 11600), 0.0048f);
    EXPECT_FLOAT_EQ(advanceSlowPhase(1.0f, 1000, 50000), 1.3f);

    EXPECT_FLOAT_EQ(advanceMusicPhase(0.0f, 16, 0.0f), 0.16f);
    EXPECT_FLOAT_EQ(advanceMusicPhase(2.0f, 16, 0.05f), 2.0f + 0.16f + 1.68f);
    EXPECT_EQ(advanceMusicPhase(5.0f, 0, 1.0f), 5.0f);  // the first frame moves nothing

    // Until the slow phase starts the backdrop's mix stays shut whatever the music does.
    EXPECT_EQ(backdropMixer(1234.5f, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(backdropMixer(0.0f, 3.0f), 1.5f);
}

TEST(TimelinePhases, ALongFrameMovesEveryPhaseByTheFullAmount) {
    EXPECT_FLOAT_EQ(advanceClockSeconds(1.5f, 5000), 6.5f);
    EXPECT_FLOAT_EQ(advanceSlowPhase(0.0f, 5000, 14000), 1.5f);
    EXPECT_FLOAT_EQ(advanceMusicPhase(0.0f, 5000, 0.1f), 50.0f + 1050.0f);
    EXPECT_FLOAT_EQ(overlayTimeFor(6.5f), 0.65f);
}

namespace {

class BlendKeys : public ::testing::Test {
protected:
    void SetUp() override {
        blendSourceIndex = 4;
        blendDestIndex = 1;
        keys.assign(300, 0);
        previousKeys.assign(300, 0);
    }
    void TearDown() override {
        keys.clear();
        previousKeys.clear();
        blendSourceIndex = 4;
        blendDestIndex = 1;
    }

    // One frame with these keys freshly down; returns what the frame printed.
    std::string press(std::initializer_list<char> pressed) {
        previousKeys.assign(300, 0);
        keys.assign(300, 0);
        for (char key : pressed)
            keys[static_cast<unsigned char>(key)] = 1;
        testing::internal::CaptureStdout();
        handleBlendKeys();
        return testing::internal::GetCapturedStdout();
    }
};

}  // namespace

TEST_F(BlendKeys, StepsWrapToTheLastEntryBothWays) {
    EXPECT_EQ(press({'g'}), "blend mode SRC:4\nblend mode DST:0\n");
    EXPECT_EQ(press({'g'}), "blend mode SRC:4\nblend mode DST:14\n");
    EXPECT_EQ(press({'h'}), "blend mode SRC:4\nblend mode DST:14\n");
    EXPECT_EQ(press({'t'}), "blend mode SRC:3\nblend mode DST:14\n");
    for (int i = 0; i < 20; ++i)
        press({'y'});
    EXPECT_EQ(blendSourceIndex, 14u);
    EXPECT_EQ(stepBlendIndex(0, -1), 14u);
    EXPECT_EQ(stepBlendIndex(13, 1), 14u);
    EXPECT_EQ(stepBlendIndex(5, -1), 4u);
}

TEST_F(BlendKeys, OPrintsBothAndChangesNothing) {
    EXPECT_EQ(press({'o'}), "blend mode SRC:4 and blend mode DST:1\n");
    EXPECT_EQ(blendSourceIndex, 4u);
    EXPECT_EQ(blendDestIndex, 1u);
}

TEST_F(BlendKeys, SeveralKeysFireInOneFrameInTheirOrder) {
    EXPECT_EQ(press({'o', 'h', 't'}),
              "blend mode SRC:3\nblend mode DST:1\n"
              "blend mode SRC:3\nblend mode DST:2\n"
              "blend mode SRC:3 and blend mode DST:2\n");
}

TEST_F(BlendKeys, AHeldKeyFiresOnce) {
    press({'h'});
    previousKeys = keys;  // still down on the next frame
    testing::internal::CaptureStdout();
    handleBlendKeys();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(blendDestIndex, 2u);
}
