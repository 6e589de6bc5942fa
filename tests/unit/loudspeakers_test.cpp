#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "default_draws.h"
#include "demo/loudspeakers.h"

using namespace nimra;
using nimra::test::defaultDraws;

namespace {

cVec3f unit(int x, int y, int z) {
    return cVec3f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)).normalise();
}

void expectSame(const cVec3f& a, const cVec3f& b) {
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z);
}

}  // namespace

TEST(Smoke, PuffsStartAtTheOriginWithDirectionsDrawnZThenYThenX) {
    const std::vector<int> r = defaultDraws(3 * puffCount);
    const std::vector<cPuff> puffs = makePuffs();
    ASSERT_EQ(puffs.size(), size_t(puffCount));
    for (int i = 0; i < puffCount; ++i) {
        const cPuff& puff = puffs[i];
        EXPECT_EQ(puff.life, 100);
        EXPECT_EQ(puff.fullLife, 100);
        expectSame(puff.position, cVec3f());
        expectSame(puff.direction,
                   unit(r[3 * i + 2] % 40 - 20, r[3 * i + 1] % 40 + 60, r[3 * i] % 40 - 20));
    }
}

TEST(Smoke, APuffAgesRisesAndIsBornAgainOnTopOfTheStack) {
    cPuff puff;
    puff.direction = cVec3f(0.0f, 1.0f, 0.0f);
    EXPECT_FLOAT_EQ(advancePuff(puff, 30), 0.7f);
    EXPECT_EQ(puff.life, 70);
    EXPECT_FLOAT_EQ(puff.direction.y, 1.0f - 30 * 1e-7f);  // the faint pull
    EXPECT_FLOAT_EQ(puff.position.y, puff.direction.y * 9.0f);

    // Exactly 0 left: drawn once more, fully faded, and nothing drawn from rand().
    const std::vector<int> r = defaultDraws(4);
    EXPECT_EQ(advancePuff(puff, 70), 0.0f);
    EXPECT_EQ(puff.life, 0);
    EXPECT_EQ(std::rand(), r[0]);

    // Below 0 on the next frame: a new life of 800 to 1299 ms at the top of the central
    // stack, drawn first, then the direction's z, y and x; "strength" is exactly 1.
    std::srand(1);
    EXPECT_EQ(advancePuff(puff, 16), 1.0f);
    EXPECT_EQ(puff.life, r[0] % 500 + 800);
    EXPECT_EQ(puff.fullLife, puff.life);
    const cVec3f born = unit(r[3] % 40 - 20, r[2] % 40 + 60, r[1] % 40 - 20);
    EXPECT_FLOAT_EQ(puff.direction.x, born.x);
    EXPECT_FLOAT_EQ(puff.direction.y, born.y - 16 * 1e-7f);
    EXPECT_FLOAT_EQ(puff.direction.z, born.z);
    EXPECT_FLOAT_EQ(puff.position.x, born.x * 16 * 0.3f);
    EXPECT_FLOAT_EQ(puff.position.y, 120.0f + puff.direction.y * 16 * 0.3f);
}

TEST(Smoke, AStallLongerThanALifeBringsOneRebirthAndDtZeroChangesNothing) {
    std::srand(1);
    cPuff puff = makePuffs()[0];
    const cPuff before = puff;
    EXPECT_EQ(advancePuff(puff, 0), 1.0f);
    EXPECT_EQ(puff.life, before.life);
    expectSame(puff.position, before.position);

    EXPECT_EQ(advancePuff(puff, 5000), 1.0f);
    EXPECT_GE(puff.life, 800);
    EXPECT_LE(puff.life, 1299);
    EXPECT_NEAR(puff.position.y, 120.0f + puff.direction.y * 1500.0f, 1e-3f);
}

TEST(Smoke, OnlyAfter104878Milliseconds) {
    EXPECT_FALSE(smokeShows(86210));
    EXPECT_FALSE(smokeShows(104878));
    EXPECT_TRUE(smokeShows(104879));
    EXPECT_TRUE(smokeShows(123505));
}

TEST(SpeakerMotion, PhasesStepFromTheBaseRateAndBin20) {
    cSpeakerMotion motion;
    motion.cameraPhase = 4.0f;
    advanceSpeakerMotion(motion, 0, 0.0f, 0.9f);
    EXPECT_EQ(motion.shaderPhase, 0.0f);
    EXPECT_EQ(motion.cameraPhase, 4.0f);

    motion = {};
    advanceSpeakerMotion(motion, 1000, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(motion.shaderPhase, 10.0f);
    EXPECT_FLOAT_EQ(motion.cameraPhase, 10.0f);

    motion = {};
    advanceSpeakerMotion(motion, 16, 0.0f, 0.25f);
    EXPECT_FLOAT_EQ(motion.shaderPhase, 0.16f + 16 * 0.25f * 2.1f);
    EXPECT_FLOAT_EQ(motion.cameraPhase, 0.16f + 16 * 0.25f * 1.1f);
}

TEST(SpeakerMotion, EachFiringDrawsACameraAtRandom) {
    // Camera 0 until the trigger first fires: in silence, on the 79th frame of 16 ms.
    cSpeakerMotion motion;
    std::vector<int> r = defaultDraws(2);
    for (int frame = 1; frame < 79; ++frame) {
        advanceSpeakerMotion(motion, 16, 0.0f, 0.0f);
        EXPECT_EQ(motion.camera, 0);
    }
    ::testing::internal::CaptureStdout();
    advanceSpeakerMotion(motion, 16, 0.0f, 0.0f);
    EXPECT_EQ(::testing::internal::GetCapturedStdout().rfind("changing cam:-", 0), 0u);
    EXPECT_EQ(motion.camera, r[0] % 4);
    EXPECT_EQ(motion.trigger.clock, 0);

    // A loud bin 10 fires at once and draws again, possibly the same camera.
    ::testing::internal::CaptureStdout();
    advanceSpeakerMotion(motion, 16, 0.7f, 0.0f);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "changing cam:0.49984\n");
    EXPECT_EQ(motion.camera, r[1] % 4);
}

TEST(SpeakerCameras, TheOrbitCarriesTheEyesButNotTheTargets) {
    const float a = 37.0f, b = 91.0f;
    const double orbitX = 470.0 * std::cos(0.01 * b + 0.54);
    const double orbitZ = 470.0 * std::sin(0.01 * b + 0.54);
    const cSpeakerCamera c0 = speakerCamera(0, a, b);
    EXPECT_FLOAT_EQ(c0.eye.x, float(70.0 * std::cos(0.01 * b + 0.54) - 20.0 + orbitX));
    EXPECT_FLOAT_EQ(c0.eye.y, float(160.0 * std::sin(0.03 * a) + 180.0));
    EXPECT_FLOAT_EQ(c0.eye.z, float(-283.0 * std::sin(0.01 * b) - 20.0 + orbitZ));
    expectSame(c0.target, cVec3f(0.0f, 70.0f, 0.0f));
    expectSame(c0.up, cVec3f(0.0f, 1.0f, 0.0f));

    const cSpeakerCamera c1 = speakerCamera(1, a, b);
    EXPECT_FLOAT_EQ(c1.eye.x, float(10.0 * std::cos(0.01 * b - 0.54) - 20.0 + orbitX));
    EXPECT_FLOAT_EQ(c1.eye.y, float(190.0 * std::sin(0.03 * a) + 240.0));
    EXPECT_FLOAT_EQ(c1.eye.z, float(-78.0 * std::sin(0.0165 * b + 0.4) - 20.0 + orbitZ));
    const cSpeakerCamera c2 = speakerCamera(2, a, b);
    EXPECT_FLOAT_EQ(c2.eye.x, float(60.0 * std::cos(0.01 * b - 0.14) - 20.0 + orbitX));
    EXPECT_FLOAT_EQ(c2.eye.y, float(60.0 * std::sin(0.03 * a) + 190.0));
    EXPECT_FLOAT_EQ(c2.eye.z, float(-153.0 * std::sin(0.0165 * b + 0.4) - 20.0 + orbitZ));
    const cSpeakerCamera c3 = speakerCamera(3, a, b);
    EXPECT_FLOAT_EQ(c3.eye.x, float(90.0 * std::cos(0.01 * b - 0.14) - 20.0 + orbitX));
    EXPECT_FLOAT_EQ(c3.eye.y, float(60.0 * std::sin(0.03 * a) + 200.0));
    EXPECT_FLOAT_EQ(c3.eye.z, float(-24.0 * std::sin(0.0165 * b + 0.4) - 20.0 + orbitZ));
    for (const cSpeakerCamera& c : {c1, c2, c3})
        expectSame(c.target, cVec3f(50.0f, 70.0f, 0.0f));
    expectSame(c1.up, cVec3f(0.0f, 1.0f, 0.0f));
    expectSame(c2.up, cVec3f(0.0f, 1.0f, 0.0f));
    // The last one rolls with the shader phase.
    EXPECT_FLOAT_EQ(c3.up.x, float(std::sin(0.02 * a)));
    EXPECT_FLOAT_EQ(c3.up.y, float(std::sin(0.0264 * a)));
    EXPECT_FLOAT_EQ(c3.up.z, float(std::cos(0.02 * a + 0.453)));
}
