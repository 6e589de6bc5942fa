#pragma once
// Pictures between and over the scenes: the break interlude between the loudspeakers and
// the creatures, and the credit cards that slide in, hold and slide out all through the show.

#include <cstdint>
#include <string>

#include "demo/scene_rules.h"
#include "math/vector.h"
#include "render/screen_quad.h"
#include "render/texture.h"

namespace nimra {

void initBreak();
// One frame of the break's phase, then its picture.
void advanceBreak();
void drawBreak();
// Whether the break fills the whole screen with an opaque picture: whenever its program
// works.
bool breakIsOpaque();
void visitInterludesState(cStateVisitor& visit);  // the break's phase
void restartBreak();

struct SlideCard {
    cVec2f from;  // offsets of the card's centre, in screen quad units
    cVec2f hold;
    cVec2f to;
    int32_t t0;  // slide-in starts
    int32_t t1;  // slide-in ends, holding starts
    int32_t t2;  // holding ends, slide-out starts
    int32_t t3;  // slide-out ends
    float fadeStart;
    float fadeEnd;
    float fadeHold;
    cTexture* texture;
};

struct cSlideCardEntry {
    const char* image;
    SlideCard card;
};

constexpr int slideCardCount = 20;
extern const cSlideCardEntry slideCardTable[slideCardCount];

struct cSlidePose {
    cVec2f position;
    bool visible;
    float fade;
};

// The part of a card's picture that holds any ink (alpha above 0), in picture coordinates:
// u across, v down from the top row. Empty when the picture is clear throughout.
struct cInkBox {
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
    bool empty = true;
};
// Reads the texture's top level back once, at start-up.
cInkBox findInk(cTexture& texture);

// Where a card's ink lands on screen with the card moved by offset (screen quad units),
// for the viewport (x, y, width, height); every pixel the ink can touch is inside.
cPixelRect inkOnScreen(const cInkBox& ink, cVec2f offset, const int viewport[4]);

// A card's pose is a pure function of the demo time: from "from" to "hold" during
// [t0, t1), resting during [t1, t2), on to "to" during [t2, t3), at "from" otherwise.
cSlidePose slidePose(const SlideCard& card, int t);

void initSlideCards();
// Finds the ink again of every card drawn from that picture, for a picture loaded anew.
void findSlideInk(const std::string& image);
void drawSlideCards();

}  // namespace nimra
