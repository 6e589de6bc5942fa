#include "demo/interludes.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "demo/timeline.h"
#include "render/gl.h"
#include "render/mesh.h"
#include "render/screen_quad.h"
#include "render/shader_program.h"
#include "runtime/state.h"

namespace nimra {

static constexpr float breakPhaseStart = -0.3f;

// Fades per card: at start, at end, while holding. The list is not in time order, and
// drawing follows the list.
const cSlideCardEntry slideCardTable[slideCardCount] = {
    {"slide01.png", {{-2, 0}, {0, 0}, {2, 0}, 11600, 13000, 16000, 18000, 0, 0, 1, nullptr}},
    {"slide02.png", {{0, -2}, {0, 0}, {0, 2}, 18000, 19000, 21000, 22000, 0, 0, 1, nullptr}},
    {"slide03.png", {{2, 0}, {0, 0}, {-2, 0}, 30312, 31312, 33312, 34312, 0, 0, 1, nullptr}},
    {"slide04.png", {{0, -2}, {0, 0.3f}, {0, 2}, 31312, 32312, 35312, 36312, 0, 0, 1, nullptr}},
    {"slide05.png", {{-2, 0}, {0, 0}, {2, 0}, 36000, 37000, 39000, 40000, 0, 0, 1, nullptr}},
    {"slide06.png", {{2, 0}, {0, 0}, {-2, 0}, 36000, 37000, 39000, 40000, 0, 0, 1, nullptr}},
    // Cards 7 and 8 have no slide-out: they vanish at 43000.
    {"slide07.png", {{0, -2}, {0, 0}, {0, 2}, 40000, 41000, 43000, 43000, 0, 0, 1, nullptr}},
    {"slide08.png", {{0, 2}, {0, 0}, {0, -2}, 40000, 41000, 43000, 43000, 0, 0, 1, nullptr}},
    {"slide09.png", {{0, 2}, {0, 0}, {-2, 0}, 66589, 67589, 69589, 70589, 0, 0, 1, nullptr}},
    {"slide10.png", {{0, -2}, {0, 0}, {2, 0}, 86241, 87241, 89241, 90241, 0, 0, 1, nullptr}},
    {"slide11.png",
     {{-2, 0.2f}, {0, 0.2f}, {2, 0.2f}, 91241, 92241, 94241, 95241, 0, 0, 1, nullptr}},
    {"slide12.png", {{2, 0}, {0, 0}, {0, -2}, 95241, 96241, 98241, 99241, 0, 0, 1, nullptr}},
    {"slide13.png", {{-2, 0}, {0, 0}, {0, 2}, 99241, 100241, 102241, 103241, 0, 0, 1, nullptr}},
    {"slide14.png", {{0, -2}, {0, 0}, {2, 0}, 103241, 104241, 106241, 107241, 0, 0, 1, nullptr}},
    {"slide15.png",
     {{-2, 0}, {0, 0}, {2, 0}, 182081, 183081, 185081, 186081, 0.8f, 0.8f, 1, nullptr}},
    {"slide16.png",
     {{2, 0}, {0, 0}, {-2, 0}, 182081, 183081, 185081, 186081, 0.8f, 0.8f, 1, nullptr}},
    {"slide17.png", {{2, 0}, {0, 0}, {-2, 0}, 50939, 51939, 53939, 54939, 0, 0, 1, nullptr}},
    {"slide18.png", {{-2, 0}, {0, 0}, {0, 2}, 55039, 56039, 58039, 59039, 0, 0, 1, nullptr}},
    {"slide19.png", {{0, -2}, {0, 0}, {-2, 0}, 59539, 60539, 61539, 62539, 0, 0, 1, nullptr}},
    {"slide20.png", {{2, 0}, {0, 0}, {0, -2}, 62539, 62839, 63839, 64019, 0, 0, 1, nullptr}},
};

static struct {
    cShaderProgram* breakProgram = nullptr;
    cTexture* breakImage1 = nullptr;
    cTexture* breakImage2 = nullptr;
    float breakPhase = breakPhaseStart;

    cShaderProgram* slideProgram = nullptr;
    std::vector<SlideCard> slideCards;
    std::vector<cInkBox> slideInk;  // per card, in the same order
} state;

cInkBox findInk(cTexture& texture) {
    texture.bind(0);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    cInkBox ink;
    if (width <= 0 || height <= 0) return ink;
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int left = width, right = -1, top = height, bottom = -1;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            if (rgba[(size_t(row) * width + column) * 4 + 3] == 0) continue;
            left = std::min(left, column);
            right = std::max(right, column);
            top = std::min(top, row);
            bottom = std::max(bottom, row);
        }
    }
    if (right < 0) return ink;
    ink.empty = false;
    // One texel more on every side for filtering; ink at an edge may wrap round to the
    // other side, so that whole axis counts.
    const bool wrapsAcross = left == 0 || right == width - 1;
    const bool wrapsDown = top == 0 || bottom == height - 1;
    ink.left = wrapsAcross ? 0.0f : float(left - 1) / width;
    ink.right = wrapsAcross ? 1.0f : float(right + 2) / width;
    ink.top = wrapsDown ? 0.0f : float(top - 1) / height;
    ink.bottom = wrapsDown ? 1.0f : float(bottom + 2) / height;
    return ink;
}

cPixelRect inkOnScreen(const cInkBox& ink, cVec2f offset, const int viewport[4]) {
    cPixelRect rect;
    if (ink.empty) return rect;
    // The cards' vertex stage reads picture (u, v) at screen quad (2u - 1, 1 - 2v), moved
    // by the card's offset; a pixel more on every side for rounding.
    const auto span = [](double low, double high, int origin, int size, int& first, int& count) {
        const double from = std::floor((low * 0.5 + 0.5) * size) - 1.0;
        const double to = std::ceil((high * 0.5 + 0.5) * size) + 1.0;
        const double a = std::clamp(from, 0.0, double(size));
        const double b = std::clamp(to, 0.0, double(size));
        first = origin + static_cast<int>(a);
        count = static_cast<int>(b - a);
    };
    span(2.0 * ink.left - 1.0 + offset.x, 2.0 * ink.right - 1.0 + offset.x, viewport[0],
         viewport[2], rect.x, rect.width);
    span(1.0 - 2.0 * ink.bottom + offset.y, 1.0 - 2.0 * ink.top + offset.y, viewport[1],
         viewport[3], rect.y, rect.height);
    return rect;
}

void visitInterludesState(cStateVisitor& visit) { visit(state.breakPhase); }

void initBreak() {
    console << "initing scene break over" << std::endl;
    state.breakProgram = new cShaderProgram();
    state.breakProgram->load("overlay.vert", "overlay.frag");
    // overlay.frag reads them at their own size.
    state.breakImage1 = loadImageTexture("break1.png", ePictureLevels::top);
    state.breakImage2 = loadImageTexture("break2.png", ePictureLevels::top);
}

bool breakIsOpaque() { return state.breakProgram && state.breakProgram->isLinked(); }

void restartBreak() { state.breakPhase = breakPhaseStart; }

void advanceBreak() {
    state.breakPhase = static_cast<float>(state.breakPhase + frameTime * 0.0001);
}

void drawBreak() {
    // The identity stays for the scene renders that follow in the same frame.
    glLoadIdentity();
    glUniform1f(state.breakProgram->uniformLocation("anim"), state.breakPhase);
    glUniform1f(state.breakProgram->uniformLocation("mixer"), 1.0f);
    state.breakImage1->bind(0);
    if (demoTime > 125876) state.breakImage2->bind(0);
    // Opaque whatever alpha the shader writes: nothing under it is drawn.
    glDisable(GL_BLEND);
    screenQuad->draw(state.breakProgram, GL_TRIANGLES);
    glEnable(GL_BLEND);
}

cSlidePose slidePose(const SlideCard& card, int t) {
    // The divisions run in double from the integer differences; a zero-length slide-out
    // (t2 = t3) gives a quotient that is not finite, fails both range tests and is skipped.
    const float u = static_cast<float>(static_cast<double>(t - card.t0) / (card.t1 - card.t0));
    const float v = static_cast<float>(static_cast<double>(t - card.t2) / (card.t3 - card.t2));
    const bool holding = card.t1 <= t && t < card.t2;

    cSlidePose pose{card.from, false, 1.0f};
    if (0.0f <= u && u < 1.0f) {
        pose.visible = true;
        pose.position = card.from + (card.hold - card.from) * u;
        pose.fade = (card.fadeHold - card.fadeStart) * u + card.fadeStart;
    } else if (0.0f <= v && v < 1.0f) {
        pose.visible = true;
        pose.position = card.hold + (card.to - card.hold) * v;
        pose.fade = (card.fadeEnd - card.fadeHold) * v + card.fadeHold;
    }
    if (holding) {
        pose.visible = true;
        pose.position = card.hold;
        pose.fade = card.fadeHold;
    }
    return pose;
}

void initSlideCards() {
    console << "initing scene break over" << std::endl;
    state.slideProgram = new cShaderProgram();
    state.slideProgram->load("overlay3.vert", "overlay3.frag");
    for (const cSlideCardEntry& entry : slideCardTable) {
        SlideCard card = entry.card;
        card.texture = loadImageTexture(entry.image);
        state.slideCards.push_back(card);
        state.slideInk.push_back(findInk(*card.texture));
    }
}

void findSlideInk(const std::string& image) {
    for (size_t i = 0; i < state.slideCards.size() && i < size_t(slideCardCount); ++i) {
        if (image == slideCardTable[i].image) state.slideInk[i] = findInk(*state.slideCards[i].texture);
    }
}

void drawSlideCards() {
    const int t = demoTime;
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // A card's clear texels blend to nothing, so each card is drawn only over the box of
    // its ink: type and ornaments cover a fraction of the screen-sized picture.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (skipHiddenWork) glEnable(GL_SCISSOR_TEST);
    for (size_t i = 0; i < state.slideCards.size(); ++i) {
        const SlideCard& card = state.slideCards[i];
        const cSlidePose pose = slidePose(card, t);
        card.texture->bind(0);
        glPushMatrix();
        glTranslatef(pose.position.x, pose.position.y, 0.0f);
        // A card outside its window sits off screen at its start, under whatever "fader"
        // the card before it left.
        if (pose.visible) glUniform1f(state.slideProgram->uniformLocation("fader"), pose.fade);
        if (skipHiddenWork) {
            const cPixelRect rect = inkOnScreen(state.slideInk[i], pose.position, viewport);
            glScissor(rect.x, rect.y, rect.width, rect.height);
        }
        screenQuad->draw(state.slideProgram, GL_TRIANGLES);
        glPopMatrix();
    }
    if (skipHiddenWork) glDisable(GL_SCISSOR_TEST);
    glPopMatrix();
}

}  // namespace nimra
