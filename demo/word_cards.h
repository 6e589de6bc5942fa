#pragma once
// The opening sentence, one word card at a time, over everything else for the first
// fourteen seconds; the last word drifts off to the left.

#include <cstdint>

#include "demo/scene_rules.h"
#include "render/texture.h"

namespace nimra {

struct WordCard {
    int32_t start;  // shown while start <= t < end
    int32_t end;
    cTexture* texture;
};

struct cWordCardEntry {
    const char* image;
    int32_t start;
    int32_t end;
};

constexpr int wordCardCount = 22;
extern const cWordCardEntry wordCardTable[wordCardCount];

constexpr int wordSlideStart = 12169;

inline bool wordCardShows(int32_t start, int32_t end, int t) { return start <= t && t < end; }

// wordSlide after one showing card's turn in a frame: it moves left from 12169 ms on.
float slideWordCard(float wordSlide, int t, int dt);

void initWordCards();
// One frame of the cards' slide, then their picture; while t < 13890.
void advanceWordCards();
void drawWordCards();
void visitWordCardsState(cStateVisitor& visit);
void restartWordCards();

}  // namespace nimra
