#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo/interludes.h"
#include "demo/word_cards.h"

using namespace nimra;

namespace {

std::vector<std::string> wordsAt(int t) {
    std::vector<std::string> images;
    for (const cWordCardEntry& card : wordCardTable) {
        if (wordCardShows(card.start, card.end, t)) images.push_back(card.image);
    }
    return images;
}

using Names = std::vector<std::string>;

const SlideCard& slideCard(int number) { return slideCardTable[number - 1].card; }

void expectPose(const SlideCard& card, int t, float x, float y, bool visible, float fade) {
    const cSlidePose pose = slidePose(card, t);
    EXPECT_FLOAT_EQ(pose.position.x, x) << "t = " << t;
    EXPECT_FLOAT_EQ(pose.position.y, y) << "t = " << t;
    EXPECT_EQ(pose.visible, visible) << "t = " << t;
    if (visible) {
        EXPECT_NEAR(pose.fade, fade, 1e-6) << "t = " << t;
    }
}

}  // namespace

TEST(WordCards, WindowsIncludeTheirStartAndExcludeTheirEnd) {
    EXPECT_EQ(wordsAt(0), Names{});
    EXPECT_EQ(wordsAt(2855), Names{});
    EXPECT_EQ(wordsAt(2856), Names{"i.png"});
    EXPECT_EQ(wordsAt(2955), Names{"i.png"});
    EXPECT_EQ(wordsAt(2956), Names{"grew.png"});
    // "to" lasts twenty milliseconds.
    EXPECT_EQ(wordsAt(3461), Names{"listening.png"});
    EXPECT_EQ(wordsAt(3462), Names{"to.png"});
    EXPECT_EQ(wordsAt(3481), Names{"to.png"});
    EXPECT_EQ(wordsAt(3482), Names{"alot.png"});
    EXPECT_EQ(wordsAt(12168), Names{"listener.png"});
    EXPECT_EQ(wordsAt(13889), Names{"listener.png"});
}

TEST(WordCards, ALotAndOfShowTogetherInListOrder) {
    EXPECT_EQ(wordsAt(3491), Names{"alot.png"});
    EXPECT_EQ(wordsAt(3492), (Names{"alot.png", "of.png"}));
    EXPECT_EQ(wordsAt(4491), (Names{"alot.png", "of.png"}));
    EXPECT_EQ(wordsAt(4492), Names{"of.png"});
}

TEST(WordCards, TheLastWordDriftsLeftFrom12169) {
    EXPECT_EQ(slideWordCard(0.0f, 12168, 16), 0.0f);
    EXPECT_FLOAT_EQ(slideWordCard(0.0f, 12169, 16), -0.016f);
    EXPECT_FLOAT_EQ(slideWordCard(-1.0f, 13000, 500), -1.5f);

    // Frame by frame at 60 fps it has moved about 1.72 units by the last drawn frame.
    float slide = 0.0f;
    for (int k = 0; k * 1000 / 60 < 13890; ++k) {
        const int t = k * 1000 / 60;
        const int dt = t - (k == 0 ? 0 : (k - 1) * 1000 / 60);
        for (const cWordCardEntry& card : wordCardTable) {
            if (wordCardShows(card.start, card.end, t)) slide = slideWordCard(slide, t, dt);
        }
    }
    EXPECT_NEAR(slide, -1.72, 0.02);
}

TEST(SlideCards, CardOneSlidesInHoldsAndSlidesOut) {
    const SlideCard& card = slideCard(1);
    expectPose(card, 11599, -2, 0, false, 0);
    expectPose(card, 11600, -2, 0, true, 0);     // t0: at "from", start fade
    expectPose(card, 12300, -1, 0, true, 0.5f);  // half way in
    expectPose(card, 13000, 0, 0, true, 1);      // t1: holding wins
    expectPose(card, 14000, 0, 0, true, 1);
    expectPose(card, 16000, 0, 0, true, 1);  // t2: slide-out starts at "hold"
    expectPose(card, 17500, 1.5f, 0, true, 0.25f);
    expectPose(card, 17999, 1.999f, 0, true, 0.0005f);
    expectPose(card, 18000, -2, 0, false, 0);  // t3: back at "from"
}

TEST(SlideCards, CardsWithoutSlideOutVanishAtTheirLastTime) {
    for (int number : {7, 8}) {
        const SlideCard& card = slideCard(number);
        const float fromY = card.from.y;
        expectPose(card, 42999, 0, 0, true, 1);
        expectPose(card, 43000, 0, fromY, false, 0);
        expectPose(card, 50000, 0, fromY, false, 0);
    }
    EXPECT_EQ(slideCard(7).from.y, -2.0f);
    EXPECT_EQ(slideCard(8).from.y, 2.0f);
}

TEST(SlideCards, PairsFadesAndRestingPlaces) {
    // 15 and 16 cross from opposite sides and never fade below 0.8.
    for (int t = 182081; t < 186081; t += 7) {
        const cSlidePose a = slidePose(slideCard(15), t);
        const cSlidePose b = slidePose(slideCard(16), t);
        ASSERT_TRUE(a.visible && b.visible) << t;
        EXPECT_GE(a.fade, 0.8f) << t;
        EXPECT_FLOAT_EQ(a.position.x, -b.position.x) << t;
    }
    expectPose(slideCard(4), 33000, 0, 0.3f, true, 1);
    expectPose(slideCard(11), 91741, -1, 0.2f, true, 0.5f);
    // Card 20 is in within 300 ms and out within 180.
    expectPose(slideCard(20), 62689, 1, 0, true, 0.5f);
    expectPose(slideCard(20), 63929, 0, -1, true, 0.5f);
    expectPose(slideCard(20), 64019, 2, 0, false, 0);
}

TEST(SlideCards, EveryCardRestsOffScreenOutsideItsWindow) {
    // Invisible cards are still drawn, so they must sit where they cover nothing.
    for (const cSlideCardEntry& entry : slideCardTable) {
        const SlideCard& card = entry.card;
        for (int t : {0, card.t0 - 1, card.t3, 207000}) {
            const cSlidePose pose = slidePose(card, t);
            if (pose.visible) continue;
            EXPECT_GE(std::max(std::abs(pose.position.x), std::abs(pose.position.y)), 2.0f)
                << entry.image << " at " << t;
        }
    }
}

TEST(SlideCards, InkLandsWhereTheCardsVertexStagePutsItMovedWithTheCard) {
    const int viewport[4] = {0, 0, 800, 600};
    // Ink over the middle of the picture's upper half: u from 0.25 to 0.75, v (down from
    // the top) from 0.125 to 0.375, so the screen quad's x from -0.5 to 0.5, y 0.25 to 0.75.
    cInkBox ink;
    ink.empty = false;
    ink.left = 0.25f;
    ink.right = 0.75f;
    ink.top = 0.125f;
    ink.bottom = 0.375f;
    cPixelRect rect = inkOnScreen(ink, cVec2f(0.0f, 0.0f), viewport);
    EXPECT_EQ(rect.x, 199);  // a pixel to spare on every side
    EXPECT_EQ(rect.width, 402);
    EXPECT_EQ(rect.y, 374);  // pixels count up from the bottom
    EXPECT_EQ(rect.height, 152);

    // Moved right by half the screen quad, the ink's right end leaves the screen.
    rect = inkOnScreen(ink, cVec2f(1.0f, 0.0f), viewport);
    EXPECT_EQ(rect.x, 599);
    EXPECT_EQ(rect.width, 201);
    // Off screen altogether, and a viewport that does not start at the corner.
    EXPECT_EQ(inkOnScreen(ink, cVec2f(2.0f, 0.0f), viewport).width, 0);
    const int shifted[4] = {10, 20, 400, 300};
    rect = inkOnScreen(ink, cVec2f(0.0f, -0.5f), shifted);
    EXPECT_EQ(rect.x, 10 + 99);
    EXPECT_EQ(rect.y, 20 + 111);

    EXPECT_EQ(inkOnScreen(cInkBox(), cVec2f(0.0f, 0.0f), viewport).width, 0);  // no ink
}
