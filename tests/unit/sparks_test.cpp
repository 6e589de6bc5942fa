#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "demo/sparks.h"

using namespace nimra;

// The drifting itself is the metaball blobs' (drifters_test); what is the sparks' own is
// where they are born and reborn, how many, and the phase their sizes breathe with.

TEST(Sparks, FiftyBornAtTheUpperLeftAllRebornAtTheLowerLeftWithinTheirFirstLife) {
    std::srand(1);
    const int firstLife = std::rand() % 500 + 250;
    std::srand(1);
    cSparkField field;
    buildSparkField(field);
    ASSERT_EQ(field.sparks.size(), size_t(sparkCount));
    EXPECT_EQ(field.sparks[0].life, firstLife);  // the first of its three draws
    for (const cDrifter& spark : field.sparks) {
        EXPECT_EQ(spark.position.x, -0.6f);
        EXPECT_EQ(spark.position.y, 0.6f);
        EXPECT_LT(spark.velocity.y, 0.0f);
    }

    // One frame of 749 ms ends every first life: all are reborn at (-0.5, -0.5), and the
    // move of that same frame carries them up and to the left.
    for (int i = 0; i < sparkCount; ++i)
        advanceSpark(field, i, 749);
    for (const cDrifter& spark : field.sparks) {
        EXPECT_GE(spark.fullLife, 3250);
        EXPECT_LT(spark.fullLife, 4750);
        EXPECT_EQ(spark.life, spark.fullLife);
        EXPECT_LT(spark.position.x, -0.5f);
        EXPECT_GT(spark.position.y, -0.5f);
    }
}

TEST(Sparks, SizesBreatheWithAPhaseThatRunsFasterWithTheMusic) {
    cSparkField field;
    field.sparks.resize(3);
    advanceSparkPhase(field, 1000, 0.0f);  // 1 a second in silence
    EXPECT_FLOAT_EQ(field.phase, 1.0f);
    advanceSparkPhase(field, 1000, 0.05f);  // bin 20 at 0.05 adds 5
    EXPECT_FLOAT_EQ(field.phase, 7.0f);
    field.sparks[2].life = 1000;
    advanceSpark(field, 2, 10);
    EXPECT_FLOAT_EQ(field.sparks[2].size, drifterSize(7.0f, 2));
    EXPECT_EQ(field.sparks[2].life, 990);
}
