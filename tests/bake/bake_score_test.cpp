// The arrangement against the show's timeline: every cut on a bar line at about 103.1
// BPM, every word card answered, and a score the synthesiser can play.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "score.h"

using namespace nimra::bake;

TEST(BakeScore, SectionsTileTheShowAndEveryCutIsADownbeat) {
    const std::vector<cSection>& sections = arrangement();
    ASSERT_FALSE(sections.empty());
    EXPECT_EQ(sections.front().start, 0);
    EXPECT_EQ(sections.back().end, 207000);
    for (size_t i = 1; i < sections.size(); ++i)
        EXPECT_EQ(sections[i].start, sections[i - 1].end) << sections[i].name;

    const double cuts[] = {11600,  30312,  48939,  58276,  67588,  76893,  86210,
                           104878, 123505, 128172, 146828, 165373, 184081, 193384};
    for (double cut : cuts)
        EXPECT_TRUE(std::any_of(sections.begin(), sections.end(), [&](const cSection& s) {
            return s.start == cut;
        })) << cut;
    for (const cSection& s : sections) {
        if (s.bars == 0) continue;
        // 103.1 BPM is a beat of 581.9 ms; every section stays within 2% of it.
        EXPECT_NEAR(s.beatLength(), 581.9, 581.9 * 0.02) << s.name;
    }
}

TEST(BakeScore, BeatsRunEvenlyWithinEachSection) {
    const std::vector<double> beats = beatTimes();
    for (size_t i = 1; i < beats.size(); ++i) {
        EXPECT_GT(beats[i], beats[i - 1]);
        EXPECT_NEAR(beats[i] - beats[i - 1], 581.9, 15) << "at " << beats[i];
    }
    EXPECT_TRUE(std::binary_search(beats.begin(), beats.end(), 86210.0));
}

TEST(BakeScore, EveryWordCardIsAnsweredByANote) {
    const cScore score = composeScore();
    const double cards[] = {2856, 2956, 3150, 3250, 3462, 3482, 3492, 4619,  4819,  5230,  5630,
                            6737, 6999, 7424, 7739, 8081, 9605, 9904, 10362, 10642, 10862, 11169};
    for (double t : cards)
        EXPECT_TRUE(std::any_of(score.notes.begin(), score.notes.end(),
                                [&](const cNoteEvent& n) { return std::fabs(n.start - t) < 5; }))
            << "no note at " << t << " ms";
}

TEST(BakeScore, NotesArePlayableAndTheEndFadesOut) {
    const cScore score = composeScore();
    EXPECT_GE(score.length, 207000);
    EXPECT_LT(score.fadeStart, score.fadeEnd);
    EXPECT_LE(score.fadeEnd, score.length);
    EXPECT_GT(score.fadeStart, 200000);
    for (const cNoteEvent& n : score.notes) {
        EXPECT_GE(n.start, 0);
        EXPECT_LE(n.start + n.length, score.length);
        EXPECT_GE(n.key, 0);
        EXPECT_LE(n.key, 127);
        EXPECT_GE(n.velocity, 1);
        EXPECT_LE(n.velocity, 127);
        EXPECT_GE(n.channel, 0);
        EXPECT_LT(n.channel, 16);
    }
    // The same score every time: the bytes of the track depend on it.
    const cScore again = composeScore();
    ASSERT_EQ(again.notes.size(), score.notes.size());
    for (size_t i = 0; i < score.notes.size(); ++i) {
        ASSERT_EQ(again.notes[i].start, score.notes[i].start);
        ASSERT_EQ(again.notes[i].key, score.notes[i].key);
        ASSERT_EQ(again.notes[i].velocity, score.notes[i].velocity);
    }
}
