#include "demo/word_cards.h"

#include <cmath>
#include <vector>

#include "render/mesh.h"
#include "render/screen_quad.h"
#include "render/shader_program.h"
#include "runtime/state.h"

namespace nimra {

// Cards 6 and 7 overlap on purpose: "a lot" stays up while "of" joins it.
const cWordCardEntry wordCardTable[wordCardCount] = {
    {"i.png", 2856, 2956},          {"grew.png", 2956, 3150},      {"up.png", 3150, 3250},
    {"listening.png", 3250, 3462},  {"to.png", 3462, 3482},        {"alot.png", 3482, 4492},
    {"of.png", 3492, 4619},         {"jazz.png", 4619, 4819},      {"and.png", 4819, 5230},
    {"funk.png", 5230, 5630},       {"and2.png", 5630, 6737},      {"wanted.png", 6737, 6999},
    {"tobe.png", 6999, 7424},       {"apart.png", 7424, 7739},     {"ofthat.png", 7739, 8081},
    {"movement.png", 8081, 9605},   {"in.png", 9605, 9904},        {"another.png", 9904, 10362},
    {"way.png", 10362, 10642},      {"instead.png", 10642, 10862}, {"just.png", 10862, 11169},
    {"listener.png", 11169, 15169},
};

static struct {
    std::vector<WordCard> wordCards;
    cShaderProgram* program = nullptr;
    float wordSlide = 0.0f;
    std::vector<float> cardSlide;  // per card: where this frame's slide left it
} state;

float slideWordCard(float wordSlide, int t, int dt) {
    if (t < wordSlideStart) return wordSlide;
    return static_cast<float>(wordSlide - dt * 0.001);
}

void visitWordCardsState(cStateVisitor& visit) { visit(state.wordSlide); }

void initWordCards() {
    console << "initing intro" << std::endl;
    for (const cWordCardEntry& entry : wordCardTable) {
        state.wordCards.push_back(WordCard{entry.start, entry.end, loadImageTexture(entry.image)});
    }
    state.cardSlide.assign(state.wordCards.size(), 0.0f);
    state.program = new cShaderProgram();
    state.program->load("overlay3.vert", "overlay3.frag");
}

void restartWordCards() {
    state.wordSlide = 0.0f;
    state.cardSlide.assign(state.cardSlide.size(), 0.0f);
}

// Every card showing in the frame takes the slide one step further, in list order, and is
// drawn where its own step left it.
void advanceWordCards() {
    const int t = demoTime;
    if (t < wordSlideStart) return;
    for (size_t i = 0; i < state.wordCards.size(); ++i) {
        const WordCard& card = state.wordCards[i];
        if (!wordCardShows(card.start, card.end, t)) continue;
        state.wordSlide = slideWordCard(state.wordSlide, t, frameTime);
        state.cardSlide[i] = state.wordSlide;
    }
}

void drawWordCards() {
    const int t = demoTime;
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (size_t i = 0; i < state.wordCards.size(); ++i) {
        const WordCard& card = state.wordCards[i];
        if (!wordCardShows(card.start, card.end, t)) continue;
        card.texture->bind(0);
        glPushMatrix();
        if (t >= wordSlideStart) glTranslatef(state.cardSlide[i], 0.0f, 0.0f);
        glUniform1f(state.program->uniformLocation("fader"), 1.0f);
        screenQuad->draw(state.program, GL_TRIANGLES);
        glPopMatrix();
    }
    glPopMatrix();
}

}  // namespace nimra
