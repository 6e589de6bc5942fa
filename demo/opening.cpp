#include "demo/opening.h"

#include <cmath>

#include "demo/blob_fountain.h"
#include "demo/timeline.h"
#include "render/mesh.h"
#include "render/screen_quad.h"
#include "runtime/state.h"

namespace nimra {

// The frame lies within 20 pixels of the screen's edges and the emblem within the 95 x 140
// pixels of the lower right corner; these keep four pixels clear of both.
const cScreenRect overlayClear[overlayClearCount] = {
    {{-0.94f, -0.52f}, {0.94f, 0.92f}},   // above the emblem, edge to edge
    {{-0.94f, -0.92f}, {0.75f, -0.52f}},  // beside it
};

static struct {
    cShaderProgram* backdropProgram = nullptr;
    cShaderProgram* topOverlayProgram = nullptr;
    cShaderProgram* boxProgram = nullptr;
    cShaderProgram* blobProgram = nullptr;
    cShaderProgram* frameMaskProgram = nullptr;  // marks where the top overlay is clear
    bool frameMaskWorks = false;
    cMesh* boxMesh = nullptr;
    cTexture* introImages[4] = {};  // three copies of the harbour, then its second picture
    cTexture* saxOverlay = nullptr;
    cTexture* colourScheme = nullptr;
    cTexture* gradient = nullptr;
} state;

void initOpeningScene() {
    console << "initing scene1" << std::endl;

    state.backdropProgram = new cShaderProgram();
    state.topOverlayProgram = new cShaderProgram();
    screenQuad = new cMesh();
    state.blobProgram = new cShaderProgram();
    state.boxMesh = new cMesh();
    state.boxMesh->loadFile("aBox.obj.bin");
    state.boxProgram = new cShaderProgram();

    state.boxProgram->load("box.vert", "box.frag");
    state.backdropProgram->load("overlay.vert", "overlay.frag");
    state.topOverlayProgram->load("overlay2.vert", "overlay2.frag");
    state.blobProgram->load("metaball.vert", "metaball.frag");

    fillScreenQuad(*screenQuad);

    glUniform1i(state.backdropProgram->uniformLocation("mixTex"), 1);
    glUniform1i(state.blobProgram->uniformLocation("tex2"), 1);

    state.introImages[0] = loadImageTexture("introback.png");
    state.introImages[1] = loadImageTexture("introback.png");
    state.introImages[2] = loadImageTexture("introback.png");
    state.introImages[3] = loadImageTexture("introback2.png");
    state.saxOverlay = loadImageTexture("sax_overlay.png");
    state.colourScheme = loadImageTexture("colorscheme.png");
    state.gradient = loadImageTexture("grad.png");

    buildBlobFountain();

    state.frameMaskProgram = new cShaderProgram();
    state.frameMaskProgram->load("framemask.vert", "framemask.frag");
    // Without it the overlay is drawn over the whole screen as it always could be: slower,
    // never wrong.
    state.frameMaskWorks = state.frameMaskProgram->isLinked();
}

float backdropMixer(float musicPhase, float slowPhase) {
    return static_cast<float>((std::sin(musicPhase * 0.7) * 0.5 + 0.5) * slowPhase);
}

void drawBackdrop(float overlayTime, float musicPhase, float slowPhase, bool hidden) {
    cShaderProgram& program = *state.backdropProgram;
    glUniform1f(program.uniformLocation("anim"), overlayTime);
    glUniform1f(program.uniformLocation("mixer"), backdropMixer(musicPhase, slowPhase));
    state.introImages[2]->bind(0);
    state.introImages[3]->bind(1);
    if (!hidden) screenQuad->draw(&program, GL_TRIANGLES);
}

void drawBackdropBehind() {
    if (!state.backdropProgram) return;  // a scene drawn on its own, without the opening
    state.introImages[2]->bind(0);
    state.introImages[3]->bind(1);
    // At the far plane, and only where nothing nearer has been drawn.
    glDepthRange(1.0, 1.0);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    screenQuad->draw(state.backdropProgram, GL_TRIANGLES);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    glDepthRange(0.0, 1.0);
}

void drawBox(float musicPhase, int t) {
    // The state changes run on every frame of the show: the blend and depth state they
    // leave is what every later layer starts from.
    glEnable(GL_BLEND);
    state.colourScheme->bind(0);
    glPushMatrix();
    const double p = musicPhase;
    glRotatef(static_cast<float>(std::sin(p * 0.01) * 32.0),
              static_cast<float>(std::sin(p * 0.03) * 0.6 + 0.2),
              static_cast<float>(std::sin(p * 0.0737) * 0.6 + 0.9),
              static_cast<float>(std::cos(p * 0.03123) * 0.3 + 0.2));
    if (t <= boxLast) state.boxMesh->draw(state.boxProgram, GL_TRIANGLES);
    glPopMatrix();
    // Before the first scene the box is the only thing in front of the backdrop.
    if (t < tunnelFirst && backdropDrawnBehind(t)) {
        drawBackdropBehind();
        state.colourScheme->bind(0);
    }
    glDisable(GL_DEPTH_TEST);
}

bool boxIsOpaque() { return state.boxProgram && state.boxProgram->isLinked(); }

// The frame covers only the screen's edges and the emblem's corner: sampling its clear
// middle would cost the software renderer a whole screen of texture reads for nothing. So
// the middle is marked near in the depth buffer first (no layer after this one reads the
// depth), and the depth test turns those pixels away before they are shaded.
static void maskOverlayMiddle() {
    cShaderProgram& mask = *state.frameMaskProgram;
    glDepthMask(GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    for (const cScreenRect& rect : overlayClear) {
        glUniform2fv(mask.uniformLocation("lowerLeft"), 1, rect.lowerLeft.data());
        glUniform2fv(mask.uniformLocation("upperRight"), 1, rect.upperRight.data());
        screenQuad->draw(&mask, GL_TRIANGLES);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void drawTopOverlay() {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (state.frameMaskWorks && skipHiddenWork) maskOverlayMiddle();
    state.saxOverlay->bind(0);
    screenQuad->draw(state.topOverlayProgram, GL_TRIANGLES);
    glDisable(GL_DEPTH_TEST);  // as the box left it for the layers after
}

cShaderProgram& boxProgram() { return *state.boxProgram; }
cShaderProgram& blobProgram() { return *state.blobProgram; }
cTexture& introImage(int number) { return *state.introImages[number - 1]; }
cTexture& gradientTexture() { return *state.gradient; }

}  // namespace nimra
