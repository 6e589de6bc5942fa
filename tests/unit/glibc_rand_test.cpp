// The browser program's rand() against the real one: glibc's, which the native programs
// draw from and which the show's particles and cameras were made with.

#include <gtest/gtest.h>

#include <cstdlib>

#include "web/glibc_rand.h"

using nimra::cGlibcRandom;

TEST(GlibcRandom, DrawsGlibcsSequenceUnseededAndAfterEverySeed) {
    cGlibcRandom ours;
    // Unseeded, as the show leaves it, then seed 1 (the show's restart), then others.
    std::srand(1);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(ours.next(), std::rand()) << "draw " << i;
    for (unsigned seed : {1u, 0u, 2u, 12345u, 2147483647u, 2147483648u, 4294967295u}) {
        ours.seed(seed);
        std::srand(seed);
        for (int i = 0; i < 3000; ++i)
            ASSERT_EQ(ours.next(), std::rand()) << "seed " << seed << ", draw " << i;
    }
}

TEST(GlibcRandom, StartsWhereGlibcStartsAndSeedingAgainStartsOver) {
    cGlibcRandom ours;
    const int first[5] = {1804289383, 846930886, 1681692777, 1714636915, 1957747793};
    for (int value : first)
        EXPECT_EQ(ours.next(), value);
    ours.seed(1);
    EXPECT_EQ(ours.next(), first[0]);
}
