#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "default_draws.h"
#include "demo/blob_fountain.h"

using namespace nimra;
using nimra::test::defaultDraws;
using nimra::test::unit;

namespace {

cBlobFountain builtFountain() {
    std::srand(1);
    cBlobFountain fountain;
    buildBlobFountain(fountain);
    return fountain;
}

}  // namespace

TEST(BlobFountain, InitialBuildDrawsInItsFixedOrder) {
    const std::vector<int> r = defaultDraws(3 * 160 + 3 * 100);
    cBlobFountain fountain;
    buildBlobFountain(fountain);

    ASSERT_EQ(fountain.blobs.size(), 160u);
    ASSERT_EQ(fountain.fragmentPools.size(), 10u);
    EXPECT_EQ(fountain.nextPool, 0u);
    for (int i = 0; i < 160; ++i) {
        const Blob& blob = fountain.blobs[i];
        const int life = r[3 * i], a = r[3 * i + 1], b = r[3 * i + 2];
        EXPECT_EQ(blob.life, life % 500 + 250);
        const cVec2f v = unit(b % 40 - 0.3 - 20, a % 3 + 0.7 - 6);
        EXPECT_EQ(blob.velocity.x, v.x);
        EXPECT_EQ(blob.velocity.y, v.y);
        EXPECT_LT(blob.velocity.y, 0.0f);  // every first life starts downward
        EXPECT_EQ(blob.position.x, 0.6f);
        EXPECT_EQ(blob.origin.y, 0.6f);
    }
    for (int p = 0; p < 10; ++p) {
        ASSERT_EQ(fountain.fragmentPools[p].size(), 10u);
        for (int f = 0; f < 10; ++f) {
            const int k = 480 + 3 * (10 * p + f);
            const Blob& fragment = fountain.fragmentPools[p][f];
            EXPECT_EQ(fragment.life, r[k] % 500 + 250);
            const cVec2f v = unit(r[k + 2] % 10 - 0.3 - 20, r[k + 1] % 3 + 0.7 - 6);
            EXPECT_EQ(fragment.velocity.x, v.x);
            EXPECT_EQ(fragment.size, 0.0f);
        }
    }
}

TEST(BlobFountain, TheFirstFrameSizesEveryBlobBeforeAnyBursts) {
    cBlobFountain fountain = builtFountain();
    const float slowPhase = 35.0f;
    for (size_t i = 0; i < fountain.blobs.size(); ++i) {
        EXPECT_FALSE(advanceBlob(fountain, i, 17, slowPhase)) << i;
        EXPECT_FLOAT_EQ(fountain.blobs[i].size, std::sin(slowPhase * 3.1 + i * 0.3) * 0.11 + 0.11);
    }
    EXPECT_EQ(fountain.nextPool, 0u);
}

TEST(BlobFountain, PullAndMoveFollowTheFrameTime) {
    cBlobFountain fountain = builtFountain();
    Blob before = fountain.blobs[0];
    advanceBlob(fountain, 0, 100, 0.0f);
    const Blob& after = fountain.blobs[0];
    EXPECT_EQ(after.life, before.life - 100);
    EXPECT_FLOAT_EQ(after.velocity.x, before.velocity.x);
    EXPECT_FLOAT_EQ(after.velocity.y, before.velocity.y + 0.1f);
    EXPECT_FLOAT_EQ(after.position.x, 0.6f + after.velocity.x * 0.06f);
    EXPECT_FLOAT_EQ(after.position.y, 0.6f + after.velocity.y * 0.06f);
}

TEST(BlobFountain, BurstsFillThePoolsRoundRobin) {
    cBlobFountain fountain = builtFountain();
    for (size_t i = 0; i < fountain.blobs.size(); ++i)
        advanceBlob(fountain, i, 16, 2.0f);

    Blob& blob = fountain.blobs[5];
    blob.life = 10;
    const Blob before = blob;
    ASSERT_TRUE(advanceBlob(fountain, 5, 16, 2.0f));
    EXPECT_EQ(fountain.nextPool, 1u);
    for (const Blob& fragment : fountain.fragmentPools[0]) {
        EXPECT_EQ(fragment.life, 250);
        EXPECT_EQ(fragment.origin.x, before.origin.x);
        EXPECT_EQ(fragment.position.y, before.position.y);
        EXPECT_FLOAT_EQ(fragment.size, before.size * 0.45f);  // last frame's size
        EXPECT_NEAR(fragment.velocity.length(), 1.0f, 1e-5f);
    }
    // The blob starts again within 0.3 of the origin with a life of 1250 to 1749 ms.
    EXPECT_NEAR(blob.origin.length(), 0.3f, 1e-5f);
    EXPECT_GE(blob.life, 1250);
    EXPECT_LT(blob.life, 1750);

    // Two in the same frame take the next pools in turn; ten in a row come back to pool 0.
    fountain.blobs[6].life = 1;
    fountain.blobs[7].life = 1;
    EXPECT_TRUE(advanceBlob(fountain, 6, 16, 2.0f));
    EXPECT_TRUE(advanceBlob(fountain, 7, 16, 2.0f));
    EXPECT_EQ(fountain.nextPool, 3u);
    for (int i = 10; i < 17; ++i) {
        fountain.blobs[i].life = 1;
        advanceBlob(fountain, i, 16, 2.0f);
    }
    EXPECT_EQ(fountain.nextPool, 0u);
    fountain.blobs[20].life = 1;
    const cVec2f origin20 = fountain.blobs[20].origin;
    advanceBlob(fountain, 20, 16, 2.0f);
    EXPECT_EQ(fountain.nextPool, 1u);
    EXPECT_EQ(fountain.fragmentPools[0][3].origin.x, origin20.x);
}

TEST(BlobFountain, ABurstDrawsInItsFixedOrder) {
    cBlobFountain fountain = builtFountain();
    fountain.blobs[0].life = 1;
    const std::vector<int> r = defaultDraws(25);
    advanceBlob(fountain, 0, 16, 0.0f);

    const cVec2f firstFragment = unit(r[1] % 200 - 100, r[0] % 200 - 100);
    EXPECT_EQ(fountain.fragmentPools[0][0].velocity.x, firstFragment.x);
    EXPECT_EQ(fountain.fragmentPools[0][0].velocity.y, firstFragment.y);
    const Blob& blob = fountain.blobs[0];
    const cVec2f origin = unit(r[21] % 50 - 25, r[20] % 50 - 25) * 0.3f;
    EXPECT_EQ(blob.origin.x, origin.x);
    EXPECT_EQ(blob.origin.y, origin.y);
    EXPECT_EQ(blob.life, r[22] % 500 + 1250);
    // Velocity: the new direction, then this frame's pull.
    const cVec2f direction = unit(r[24] % 40 - 0.3 - 20, r[23] % 40 + 0.3 - 20);
    EXPECT_FLOAT_EQ(blob.velocity.x, direction.x);
    EXPECT_FLOAT_EQ(blob.velocity.y, direction.y + 0.016f);
}

TEST(BlobFountain, AFrameLongerThanALifeBurstsOnce) {
    cBlobFountain fountain = builtFountain();
    ASSERT_TRUE(advanceBlob(fountain, 0, 5000, 0.0f));
    EXPECT_EQ(fountain.nextPool, 1u);
    EXPECT_GE(fountain.blobs[0].life, 1250);
}

TEST(BlobFountain, FragmentsLiveOutTheirQuarterSecondThenWait) {
    Blob fragment;
    fragment.life = 250;
    fragment.velocity = cVec2f(1.0f, 0.0f);
    EXPECT_TRUE(advanceFragment(fragment, 100));
    EXPECT_FLOAT_EQ(fragment.velocity.y, 0.01f);
    EXPECT_FLOAT_EQ(fragment.position.x, 0.07f);
    EXPECT_TRUE(advanceFragment(fragment, 149));
    const Blob last = fragment;
    EXPECT_FALSE(advanceFragment(fragment, 1));
    EXPECT_FALSE(advanceFragment(fragment, 16));
    EXPECT_EQ(fragment.position.x, last.position.x);
    EXPECT_EQ(fragment.velocity.y, last.velocity.y);
}

TEST(BlobFountain, ZeroBurstOffsetsStayFiniteAndStill) {
    // Two minutes of bursts on the library's sequence: now and then both draws of a rebirth
    // place land on the middle of their range, which must give the origin itself, not NaN.
    cBlobFountain fountain = builtFountain();
    int bornAtOrigin = 0;
    for (int frame = 0; frame < 7200; ++frame) {
        for (size_t i = 0; i < fountain.blobs.size(); ++i) {
            if (advanceBlob(fountain, i, 16, frame * 0.005f)) {
                const Blob& blob = fountain.blobs[i];
                bornAtOrigin += blob.origin.x == 0.0f && blob.origin.y == 0.0f;
            }
        }
        for (std::vector<Blob>& pool : fountain.fragmentPools)
            for (Blob& fragment : pool)
                advanceFragment(fragment, 16);
    }
    EXPECT_GT(bornAtOrigin, 0);  // the case did come up
    for (const Blob& blob : fountain.blobs) {
        ASSERT_TRUE(std::isfinite(blob.position.x) && std::isfinite(blob.position.y));
        ASSERT_TRUE(std::isfinite(blob.origin.x) && std::isfinite(blob.velocity.y));
    }
    for (const std::vector<Blob>& pool : fountain.fragmentPools)
        for (const Blob& fragment : pool)
            ASSERT_TRUE(std::isfinite(fragment.position.x) && std::isfinite(fragment.velocity.y));
}
