#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "demo/sparks.h"

using namespace nimra;

namespace {

// The library's default sequence, which the program relies on by never seeding.
std::vector<int> defaultDraws(int count) {
    std::srand(1);
    std::vector<int> draws;
    for (int i = 0; i < count; ++i)
        draws.push_back(std::rand());
    std::srand(1);
    return draws;
}

cVec2f unit(double x, double y) {
    cVec2f v(static_cast<float>(x), static_cast<float>(y));
    return v.normalise();
}

}  // namespace

TEST(Sparks, BornAtTheUpperLeftInTheirDrawOrder) {
    const std::vector<int> r = defaultDraws(3 * sparkCount);
    cSparkField field;
    buildSparkField(field);
    ASSERT_EQ(field.sparks.size(), size_t(sparkCount));
    for (int i = 0; i < sparkCount; ++i) {
        SCOPED_TRACE(i);
        const cDrifter& spark = field.sparks[i];
        EXPECT_EQ(spark.life, r[3 * i] % 500 + 250);
        EXPECT_EQ(spark.fullLife, spark.life);
        const cVec2f v = unit(r[3 * i + 2] % 40 - 0.3 - 20, r[3 * i + 1] % 3 + 0.7 - 6);
        EXPECT_EQ(spark.velocity.x, v.x);
        EXPECT_EQ(spark.velocity.y, v.y);
        EXPECT_EQ(spark.position.x, -0.6f);
        EXPECT_EQ(spark.position.y, 0.6f);
        EXPECT_EQ(drifterStrength(spark), 0.0f);
    }
    EXPECT_EQ(field.phase, 0.0f);
}

TEST(Sparks, RebornAtTheLowerLeftOnceTheirLifeIsOut) {
    std::srand(1);
    cSparkField field;
    buildSparkField(field);
    // A spark with exactly one frame left is reborn on that frame, at strength 0.
    field.sparks[3].life = 16;
    field.sparks[3].fullLife = 400;
    const std::vector<int> r = defaultDraws(3);
    advanceSpark(field, 3, 16);
    const cDrifter& reborn = field.sparks[3];
    EXPECT_EQ(reborn.life, r[0] % 1500 + 3250);
    EXPECT_EQ(reborn.fullLife, reborn.life);
    EXPECT_FLOAT_EQ(reborn.position.x, -0.5f + reborn.velocity.x * 16 * 0.0003f);
    EXPECT_FLOAT_EQ(reborn.position.y, -0.5f + reborn.velocity.y * 16 * 0.0003f);
    EXPECT_EQ(drifterStrength(reborn), 0.0f);

    // One millisecond more and it only ages.
    field.sparks[4].life = 17;
    advanceSpark(field, 4, 16);
    EXPECT_EQ(field.sparks[4].life, 1);

    // Every first life is over within 749 ms: all are reborn, drifting up and to the
    // left of their rebirthplace, pulled upward as they go, full strength at half life.
    std::srand(1);
    cSparkField all;
    buildSparkField(all);
    for (int frame = 0; frame < 47; ++frame) {
        advanceSparkPhase(all, 16, 0.0f);
        for (int i = 0; i < sparkCount; ++i)
            advanceSpark(all, i, 16);
    }
    for (const cDrifter& spark : all.sparks) {
        EXPECT_GE(spark.fullLife, 3250);
        EXPECT_LT(spark.fullLife, 4750);
        EXPECT_LT(spark.position.x, -0.5f);
        EXPECT_GT(spark.position.y, -0.5f);
        EXPECT_GT(spark.velocity.y, 0.0f);
    }
    cDrifter half = all.sparks[0];
    half.life = half.fullLife / 2;
    half.fullLife = half.life * 2;
    EXPECT_EQ(drifterStrength(half), 1.0f);
}

TEST(Sparks, ThePhaseRunsWithTheMusicAndSetsTheSizes) {
    cSparkField field;
    field.sparks.resize(3);
    advanceSparkPhase(field, 1000, 0.0f);
    EXPECT_FLOAT_EQ(field.phase, 1.0f);
    advanceSparkPhase(field, 1000, 0.05f);
    EXPECT_FLOAT_EQ(field.phase, 7.0f);
    field.sparks[2].life = 1000;
    advanceSpark(field, 2, 10);
    EXPECT_FLOAT_EQ(field.sparks[2].size, drifterSize(7.0f, 2));
}
