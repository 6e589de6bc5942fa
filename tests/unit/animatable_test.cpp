#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "scene/animatable.h"

using namespace nimra;

namespace {

// Reports which track it is and the time it was asked for, and remembers the flags.
class cProbeTrack : public cAnimationTrack {
public:
    explicit cProbeTrack(float id) : mId(id) {}
    void sample(cVec3f& out, float time, int32_t flags) override {
        out.set(mId, time, 0.0f);
        lastFlags = flags;
        ++calls;
    }
    int32_t lastFlags = -1;
    int calls = 0;

private:
    float mId;
};

void expectVec(const cVec3f& v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

struct ThreeTracks : ::testing::Test {
    cProbeTrack t0{10.0f}, t1{11.0f}, t2{12.0f};
    std::vector<cAnimationTrack*> list{&t0, &t1, &t2};
};

}  // namespace

TEST(Animatable, ConstantAtAnyTime) {
    const cAnimatableVec3f a(cVec3f(1, 2, 3));
    for (float t : {0.0f, -5.0f, 1e9f})
        expectVec(a.evaluate(t), 1, 2, 3);
    const cAnimatableObject& base = a;
    EXPECT_EQ(base.typeCode(), 0);
}

TEST_F(ThreeTracks, SelectedTrackSuppliesTheValueAndTimePassesUnchanged) {
    cAnimatableVec3f a(cVec3f(1, 2, 3));
    a.attachTracks(&list);
    a.setTrackIndex(2);
    expectVec(a.evaluate(-7.25f), 12, -7.25f, 0);
    EXPECT_EQ(t2.lastFlags, 0);
    EXPECT_EQ(t0.calls + t1.calls, 0);

    // Track 3 of three, and any index past the end, falls back to the constant.
    for (uint32_t i : {3u, 4u, 0xFFFFFFFFu}) {
        a.setTrackIndex(i);
        expectVec(a.evaluate(5.0f), 1, 2, 3);
    }
    EXPECT_EQ(t2.calls, 1);

    // An empty slot is no track.
    list[1] = nullptr;
    a.setTrackIndex(1);
    expectVec(a.evaluate(5.0f), 1, 2, 3);
}

TEST_F(ThreeTracks, SetValueSelectsByTruncationTowardZero) {
    cAnimatableVec3f a;
    a.attachTracks(&list);
    a.setSelectByValue(true);

    a.setValue(cVec3f(1.5f, 8, 9));
    EXPECT_EQ(a.trackIndex, 1u);
    expectVec(a.value, 1.5f, 8, 9);
    expectVec(a.evaluate(2.0f), 11, 2, 0);

    a.setValue(cVec3f(2.9f, 0, 0));
    EXPECT_EQ(a.trackIndex, 2u);
    a.setValue(cVec3f(-0.9f, 0, 0));
    EXPECT_EQ(a.trackIndex, 0u);

    // -1.7 truncates to -1, which as an index selects nothing: the constant shows.
    a.setValue(cVec3f(-1.7f, 4, 5));
    EXPECT_EQ(a.trackIndex, 0xFFFFFFFFu);
    expectVec(a.evaluate(2.0f), -1.7f, 4, 5);

    // Values no int32 holds select no track rather than anything undefined.
    for (float x : {1e20f, -1e20f, std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()}) {
        a.setTrackIndex(0);
        a.setValue(cVec3f(x, 0, 0));
        EXPECT_GE(a.trackIndex, 3u) << x;
    }

    // Without selectByValue the index stays where it was.
    a.setSelectByValue(false);
    a.setTrackIndex(2);
    a.setValue(cVec3f(0.0f, 1, 1));
    EXPECT_EQ(a.trackIndex, 2u);
    expectVec(a.value, 0, 1, 1);
}

TEST_F(ThreeTracks, LinkedValueComesFirstAlongTheWholeChain) {
    cAnimatableVec3f head(cVec3f(1, 1, 1)), middle(cVec3f(2, 2, 2)), tail(cVec3f(3, 3, 3));
    head.attachTracks(&list);
    head.setTrackIndex(0);
    head.link(&middle);
    expectVec(head.evaluate(4.0f), 2, 2, 2);
    EXPECT_EQ(t0.calls, 0);

    middle.link(&tail);
    tail.attachTracks(&list);
    tail.setTrackIndex(1);
    expectVec(head.evaluate(4.0f), 11, 4, 0);

    head.link(nullptr);
    expectVec(head.evaluate(4.0f), 10, 4, 0);
}

TEST_F(ThreeTracks, LinkCyclesEndAtTheConstantOfTheFirstValueReachedTwice) {
    cAnimatableVec3f a(cVec3f(1, 0, 0)), b(cVec3f(2, 0, 0)), c(cVec3f(3, 0, 0));
    // Tracks on every value: a cycle still gives the constant, not a sample.
    for (cAnimatableVec3f* v : {&a, &b, &c}) {
        v->attachTracks(&list);
        v->setTrackIndex(0);
    }

    a.link(&a);
    expectVec(a.evaluate(0.0f), 1, 0, 0);

    a.link(&b);
    b.link(&a);
    expectVec(a.evaluate(0.0f), 1, 0, 0);
    expectVec(b.evaluate(0.0f), 2, 0, 0);

    // A tail leading into a loop: a -> b -> c -> b.
    b.link(&c);
    c.link(&b);
    expectVec(a.evaluate(0.0f), 2, 0, 0);
    expectVec(c.evaluate(0.0f), 3, 0, 0);
    EXPECT_EQ(t0.calls, 0);
}

TEST(Animatable, LongChainsAndLongLoopsDoNotExhaustTheStack) {
    std::vector<cAnimatableVec3f> chain(1000000);
    for (size_t i = 0; i + 1 < chain.size(); ++i)
        chain[i].link(&chain[i + 1]);
    chain.back().value.set(7, 8, 9);
    expectVec(chain[0].evaluate(0.0f), 7, 8, 9);

    // Close it onto its middle: the middle is the first value met twice.
    chain[500000].value.set(5, 5, 5);
    chain.back().link(&chain[500000]);
    expectVec(chain[0].evaluate(0.0f), 5, 5, 5);
    expectVec(chain.back().evaluate(0.0f), 7, 8, 9);
}
