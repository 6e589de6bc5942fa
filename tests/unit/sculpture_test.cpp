#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "demo/sculpture.h"

using namespace nimra;

TEST(SculptureCamera, TheClockPicksItAndCameraOneWinsTheOverlap) {
    const struct {
        int t;
        int camera;
    } cases[] = {
        {48939, 0}, {58276, 0}, {58277, 2}, {67588, 2}, {67589, 3}, {76893, 3},
        {76894, 1}, {76900, 1}, {76913, 1}, {76914, 1}, {86210, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sculptureCameraFor(c.t, 0), c.camera) << c.t;
    // Outside the three windows the last choice stays.
    EXPECT_EQ(sculptureCameraFor(50000, 3), 3);
    EXPECT_EQ(sculptureCameraFor(58276, 2), 2);
    EXPECT_EQ(sculptureCameraFor(86217, 1), 1);
    EXPECT_EQ(sculptureCameraFor(86217, 0), 0);
}

TEST(SculpturePowah, SixteenTimesBin50OnlyWhileCameraTwoFilms) {
    EXPECT_FLOAT_EQ(sculpturePowah(58276, 0.01f), 0.06f);
    EXPECT_FLOAT_EQ(sculpturePowah(58277, 0.01f), 0.16f);
    EXPECT_FLOAT_EQ(sculpturePowah(67588, 0.01f), 0.16f);
    EXPECT_FLOAT_EQ(sculpturePowah(67589, 0.01f), 0.06f);
    EXPECT_FLOAT_EQ(sculpturePowah(76900, 0.01f), 0.06f);
    EXPECT_FLOAT_EQ(sculpturePowah(86210, 0.01f), 0.06f);
    EXPECT_EQ(sculpturePowah(60000, 0.0f), 0.0f);
}

TEST(SculpturePostPass, NoneBefore67589TwiceWhereItsWindowsOverlap) {
    for (int t = 48939; t <= 86210; ++t) {
        const int expected = t <= 67588 ? 0 : (76894 <= t && t <= 76913) ? 2 : 1;
        ASSERT_EQ(sculpturePostPasses(t), expected) << t;
    }
    EXPECT_EQ(sculpturePostPasses(86216), 1);
    EXPECT_EQ(sculpturePostPasses(86217), 0);
}

TEST(SculptureCameras, FourOrbitsFromBothPhases) {
    cSculptureCamera c[sculptureCameraCount];
    sculptureCameras(1234.5f, 678.25f, c);
    const float bob = 43.0184f;  // 60 sin(0.03 A) + 80, shared by all four
    const float eyes[4][3] = {{66.1579f, bob, 19.7424f},
                              {69.9255f, bob, -101.1283f},
                              {75.4861f, bob, -88.7107f},
                              {64.2524f, bob, -89.5385f}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(c[k].eye.x, eyes[k][0], 2e-3) << k;
        EXPECT_NEAR(c[k].eye.y, eyes[k][1], 2e-3) << k;
        EXPECT_NEAR(c[k].eye.z, eyes[k][2], 2e-3) << k;
        EXPECT_EQ(c[k].target.x, k == 0 ? 0.0f : 50.0f) << k;
        EXPECT_EQ(c[k].target.y, 70.0f) << k;
        EXPECT_EQ(c[k].target.z, 0.0f) << k;
    }
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(c[k].up.y, 1.0f) << k;
    // Camera 3 rolls with A.
    EXPECT_NEAR(c[3].up.x, -0.428418f, 1e-4);
    EXPECT_NEAR(c[3].up.y, 0.922641f, 1e-4);
    EXPECT_NEAR(c[3].up.z, 0.999947f, 1e-4);
}

namespace {

// Frames of dt ms from `from` to `to` with the given bins; what was printed, and the
// camera of every frame after the last one in `cameras`.
std::string play(cSculptureRig& rig, int from, int to, int dt, float bin10, float bin20,
                 std::string* cameras = nullptr) {
    ::testing::internal::CaptureStdout();
    for (int t = from; t <= to; t += dt) {
        advanceSculptureRig(rig, t, dt, bin10, bin20);
        if (cameras) *cameras += char('0' + rig.camera);
    }
    return ::testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(SculptureRig, SilenceFiresTheTriggerWithANegativeThresholdAndNeverMovesTheCamera) {
    cSculptureRig rig;
    // 0.3 - 0.0016 k (k + 1) / 2 first drops below 0 on frame 19.
    std::string printed = play(rig, 48939, 48939 + 17 * 16, 16, 0.0f, 0.0f);
    EXPECT_EQ(printed, "");
    printed = play(rig, 48939 + 18 * 16, 48939 + 18 * 16, 16, 0.0f, 0.0f);
    ASSERT_EQ(printed.rfind("changing cam:-", 0), 0u) << printed;
    EXPECT_NEAR(std::stof(printed.substr(13)), 0.3 - 0.0016 * 19 * 20 / 2, 1e-5);
    EXPECT_EQ(rig.camera, 0);

    // On through the scene: every firing prints a threshold below 0, and the camera is
    // whatever the clock says, frame for frame.
    std::string cameras;
    printed = play(rig, 49243, 86210, 16, 0.0f, 0.0f, &cameras);
    std::istringstream lines(printed);
    int firings = 0;
    for (std::string line; std::getline(lines, line); ++firings) {
        ASSERT_EQ(line.rfind("changing cam:-", 0), 0u) << line;
    }
    // From 0.5, 0.5 - 0.0016 k (k + 1) / 2 drops below 0 every 25th frame.
    EXPECT_EQ(firings, int(cameras.size()) / 25);
    std::string expected;
    for (int t = 49243, camera = 0; t <= 86210; t += 16)
        expected += char('0' + (camera = sculptureCameraFor(t, camera)));
    EXPECT_EQ(cameras, expected);
}

TEST(SculptureRig, ALoudBin10FiresEveryFrameAndTheCameraStillFollowsTheClock) {
    cSculptureRig quiet, loud;
    std::string quietCameras, loudCameras;
    play(quiet, 58000, 77000, 17, 0.0f, 0.05f, &quietCameras);
    const std::string printed = play(loud, 58000, 77000, 17, 1.0f, 0.05f, &loudCameras);
    EXPECT_EQ(loudCameras, quietCameras);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), int(quietCameras.size()));
    // The music drives both phases the same way, loud trigger or not.
    EXPECT_EQ(loud.anim, quiet.anim);
    EXPECT_EQ(loud.orbit, quiet.orbit);
}

TEST(SculptureRig, BothPhasesRunWithBin20AtTheirOwnGains) {
    cSculptureRig rig;
    play(rig, 48939, 48939, 16, 0.0f, 0.1f);
    EXPECT_FLOAT_EQ(rig.anim, 0.16f + 3.36f);        // dt x 0.01 + dt x S[20] x 2.1
    EXPECT_FLOAT_EQ(rig.orbit, 0.16f + 1.76f);       // dt x 0.01 + dt x S[20] x 1.1
    advanceSculptureRig(rig, 48955, 0, 0.0f, 0.5f);  // a frame of no time moves nothing
    EXPECT_FLOAT_EQ(rig.anim, 3.52f);
}
