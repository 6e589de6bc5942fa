#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "default_draws.h"
#include "demo/drifters.h"
#include "demo/metaballs.h"

using namespace nimra;
using nimra::test::defaultDraws;
using nimra::test::unit;

namespace {

cDrifter drifterWith(int life, int fullLife) {
    cDrifter d;
    d.life = life;
    d.fullLife = fullLife;
    d.velocity = cVec2f(0.0f, -1.0f);
    return d;
}

}  // namespace

TEST(Metaballs, BlobsAreBuiltInTheirDrawOrderHeadingDown) {
    const std::vector<int> r = defaultDraws(3 * metaballCount);
    cMetaballField field;
    buildMetaballField(field);
    ASSERT_EQ(field.blobs.size(), size_t(metaballCount));
    for (int i = 0; i < metaballCount; ++i) {
        SCOPED_TRACE(i);
        const cDrifter& blob = field.blobs[i];
        const int life = r[3 * i], y = r[3 * i + 1], x = r[3 * i + 2];
        EXPECT_EQ(blob.life, life % 500 + 250);
        EXPECT_EQ(blob.fullLife, blob.life);
        const cVec2f v = unit(x % 40 - 0.3 - 20, y % 3 + 0.7 - 6);
        EXPECT_EQ(blob.velocity.x, v.x);
        EXPECT_EQ(blob.velocity.y, v.y);
        EXPECT_LT(blob.velocity.y, 0.0f);
        EXPECT_EQ(blob.position.x, 0.6f);
        EXPECT_EQ(blob.position.y, 0.6f);
        // Born fading in: nothing shows on the first frame.
        EXPECT_EQ(drifterStrength(blob), 0.0f);
    }
    EXPECT_EQ(field.phase, 0.0f);
}

TEST(Drifters, NoLifeLeftIsARebirthUpAndToTheLeft) {
    // One millisecond left: ages, moves, is not reborn.
    cDrifter d = drifterWith(17, 300);
    d.position = cVec2f(0.1f, 0.2f);
    EXPECT_FALSE(advanceDrifter(d, 16, cVec2f(0.5f, -0.5f)));
    EXPECT_EQ(d.life, 1);
    EXPECT_EQ(d.fullLife, 300);

    // Exactly none left: reborn on that frame, drawing life, then y, then x.
    const std::vector<int> r = defaultDraws(3);
    d = drifterWith(16, 300);
    EXPECT_TRUE(advanceDrifter(d, 16, cVec2f(0.5f, -0.5f)));
    EXPECT_EQ(d.life, r[0] % 1500 + 3250);
    EXPECT_EQ(d.fullLife, d.life);
    const cVec2f v = unit(-0.3 - r[2] % 40, r[1] % 40 + 0.3);
    EXPECT_FLOAT_EQ(d.velocity.x, v.x);
    EXPECT_FLOAT_EQ(d.velocity.y, v.y + 16 * 0.0001f);  // pulled before the move
    EXPECT_LT(d.velocity.x, 0.0f);
    EXPECT_GT(d.velocity.y, 0.0f);
    EXPECT_FLOAT_EQ(d.position.x, 0.5f + d.velocity.x * 16 * 0.0003f);
    EXPECT_FLOAT_EQ(d.position.y, -0.5f + d.velocity.y * 16 * 0.0003f);
    // The frame of a rebirth shows it at strength 0.
    EXPECT_EQ(drifterStrength(d), 0.0f);
}

TEST(Drifters, PullBendsUpwardWithoutRenormalising) {
    cDrifter d = drifterWith(2000, 2000);
    for (int frame = 0; frame < 100; ++frame)
        advanceDrifter(d, 10, cVec2f());
    EXPECT_FLOAT_EQ(d.velocity.x, 0.0f);
    EXPECT_NEAR(d.velocity.y, -1.0f + 100 * 10 * 0.0001f, 1e-5);
    // Down 0.3 units a second at first, slowing as the pull takes over.
    EXPECT_NEAR(d.position.y, -0.3f + 0.3f * 0.1f * 0.5f, 1e-3);
}

TEST(Drifters, StrengthRisesToOneAtHalfLifeAndSizeBreathesWithThePhase) {
    EXPECT_EQ(drifterStrength(drifterWith(4000, 4000)), 0.0f);
    EXPECT_EQ(drifterStrength(drifterWith(2000, 4000)), 1.0f);
    EXPECT_FLOAT_EQ(drifterStrength(drifterWith(1000, 4000)), 0.5f);
    EXPECT_NEAR(drifterStrength(drifterWith(1, 4000)), 0.0f, 1e-3);  // last frame
    EXPECT_EQ(drifterStrength(cDrifter()), 0.0f);                    // never born

    EXPECT_FLOAT_EQ(drifterSize(0.0f, 0), 0.2f);
    EXPECT_FLOAT_EQ(drifterSize(0.0f, 5), static_cast<float>(0.11 * std::sin(1.5) + 0.2));
    EXPECT_FLOAT_EQ(drifterSize(1.0f, 2), static_cast<float>(0.11 * std::sin(3.7) + 0.2));
    for (int i = 0; i < metaballCount; ++i) {
        const float s = drifterSize(0.37f * i, i);
        EXPECT_GE(s, 0.09f - 1e-6f);
        EXPECT_LE(s, 0.31f + 1e-6f);
    }

    cMetaballField field;
    advanceMetaballPhase(field, 16);
    EXPECT_FLOAT_EQ(field.phase, 0.0016f);
    advanceMetaballPhase(field, 0);
    EXPECT_FLOAT_EQ(field.phase, 0.0016f);
}

TEST(Metaballs, EveryBlobIsRebornAtTheSamePlaceWithinItsFirstLife) {
    std::srand(1);
    cMetaballField field;
    buildMetaballField(field);
    for (int frame = 0; frame < 47; ++frame) {  // 752 ms: past every first life
        advanceMetaballPhase(field, 16);
        for (int i = 0; i < metaballCount; ++i)
            advanceMetaball(field, i, 16);
    }
    for (const cDrifter& blob : field.blobs) {
        EXPECT_GE(blob.fullLife, 3250);
        EXPECT_LT(blob.fullLife, 4750);
        EXPECT_LT(blob.position.x, 0.5f);  // left of and above where it was reborn
        EXPECT_GT(blob.position.y, -0.5f);
        EXPECT_TRUE(std::isfinite(blob.size) && blob.size > 0.0f);
    }
}

TEST(Drifters, AStallRebornsOnceAndStaysFinite) {
    cDrifter d = drifterWith(300, 700);
    std::srand(1);
    EXPECT_TRUE(advanceDrifter(d, 5000, cVec2f(0.5f, -0.5f)));
    EXPECT_TRUE(std::isfinite(d.position.x) && std::isfinite(d.position.y));
    EXPECT_GE(d.life, 3250);  // one rebirth, the whole stall is not taken off the new life
}
