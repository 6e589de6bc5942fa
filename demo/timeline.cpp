#include "demo/timeline.h"

#include "demo/blob_fountain.h"
#include "demo/creatures.h"
#include "demo/interludes.h"
#include "demo/loudspeakers.h"
#include "demo/metaballs.h"
#include "demo/opening.h"
#include "demo/scene_rules.h"
#include "demo/sculpture.h"
#include "demo/sparks.h"
#include "demo/spheres.h"
#include "demo/tunnel.h"
#include "demo/word_cards.h"
#include "math/matrix.h"
#include "render/gl.h"
#include "render/transform.h"
#include "runtime/state.h"

namespace nimra {

float clockSeconds = 0.0f;
float slowPhase = 0.0f;
float musicPhase = 0.0f;
float overlayTime = 0.0f;

const uint32_t blendFactors[blendFactorCount] = {
    GL_ZERO,
    GL_ONE,
    GL_SRC_COLOR,
    GL_ONE_MINUS_SRC_COLOR,
    GL_DST_COLOR,
    GL_ONE_MINUS_DST_COLOR,
    GL_SRC_ALPHA,
    GL_ONE_MINUS_SRC_ALPHA,
    GL_DST_ALPHA,
    GL_ONE_MINUS_DST_ALPHA,
    GL_SRC_ALPHA_SATURATE,
    GL_CONSTANT_COLOR,
    GL_ONE_MINUS_CONSTANT_COLOR,
    GL_CONSTANT_ALPHA,
    GL_ONE_MINUS_CONSTANT_ALPHA,
};
uint32_t blendSourceIndex = 4;
uint32_t blendDestIndex = 1;

// Rows run in this order; on a shared boundary millisecond both neighbours run. A scene
// joins the show by putting its render into its row.
const cSceneWindow sceneWindows[sceneWindowCount] = {
    {"tunnel", tunnelFirst, tunnelLast, advanceTunnel, drawTunnel, tunnelIsOpaque},
    {"sculpture", 48939, 86210, advanceSculptureScene, drawSculptureScene, sculptureIsOpaque},
    {"loudspeakers", loudspeakersFirst, 123505, advanceLoudspeakers, drawLoudspeakers,
     loudspeakersAreOpaque},
    {"break", breakFirst, breakLast, advanceBreak, drawBreak},
    {"creatures", 128172, 146828, advanceCreatures, drawCreatures, creaturesAreOpaque},
    {"spheres", spheresFirst, spheresLast, advanceSpheres, drawSpheres},
    {"composite", 184081, 193384, nullptr, drawOverlayComposite},
    {"final composite", 193384, INT_MAX, nullptr, drawOverlayComposite},
};

static LayerProbe layerProbe = nullptr;

void setLayerProbe(LayerProbe probe) { layerProbe = probe; }

static void layerDone(const char* layer) {
    if (layerProbe) layerProbe(layer);
}

void visitShowState(cStateVisitor& visit) {
    visit(clockSeconds);
    visit(slowPhase);
    visit(musicPhase);
    visit(overlayTime);
    visitWordCardsState(visit);
    visitInterludesState(visit);
    visitBlobFountainState(visit);
    visitMetaballsState(visit);
    visitTunnelState(visit);
    visitSculptureState(visit);
    visitLoudspeakersState(visit);
    visitCreaturesState(visit);
    visitSpheresState(visit);
    visitSparksState(visit);
}

bool showStateIsFinite() {
    cFiniteCheck check;
    visitShowState(check);
    return check.finite;
}

uint64_t showStateDigest() {
    cStateDigest digest;
    visitShowState(digest);
    return digest.hash;
}

bool skipHiddenWork = true;

bool backdropDrawnBehind(int t) {
    if (!skipHiddenWork || backdropHidden(t)) return false;
    if (t < tunnelFirst) return boxIsOpaque();  // the opening: the box is all there is
    bool any = false;
    for (const cSceneWindow& window : sceneWindows) {
        if (!windowContains(window, t)) continue;
        if (!window.opaque || !window.opaque()) return false;
        any = true;
    }
    return any;
}

bool metaballLayerRead(int t) {
    if (!skipHiddenWork) return true;
    const bool sculpture = tunnelLast <= t && t <= loudspeakersFirst;
    return (sculpture && sculpturePostPasses(t) > 0) || t >= spheresFirst;
}

bool metaballBlurRead(int t) { return !skipHiddenWork || (spheresFirst <= t && t <= spheresLast); }

bool metaballLayerCovered(int t) {
    // Hidden, the backdrop gives way to a layer that covers the screen opaquely; drawn, it
    // covers it itself, or all of it that the opaque scenes it is drawn behind leave.
    return skipHiddenWork && (backdropHidden(t) || backdropIsOpaque());
}

bool backdropHidden(int t) {
    if (!skipHiddenWork) return false;
    if (breakFirst <= t && t <= breakLast) return breakIsOpaque();
    if (t > compositeAfter) return compositeIsOpaque();
    return false;
}

void restartTimeline() {
    clockSeconds = 0.0f;
    slowPhase = 0.0f;
    musicPhase = 0.0f;
    overlayTime = 0.0f;
}

float advanceClockSeconds(float clock, int dt) { return static_cast<float>(clock + dt * 0.001); }

float advanceSlowPhase(float phase, int dt, int t) {
    if (t < slowPhaseStart) return phase;
    return static_cast<float>(phase + dt * 0.0003);
}

float advanceMusicPhase(float phase, int dt, float bin20) {
    return static_cast<float>(phase + dt * 0.01 + dt * static_cast<double>(bin20) * 2.1);
}

float overlayTimeFor(float clock) { return static_cast<float>(clock * 0.1); }

uint32_t stepBlendIndex(uint32_t index, int step) {
    const uint32_t next = index + static_cast<uint32_t>(step);
    return next >= static_cast<uint32_t>(blendFactorCount) ? blendFactorCount - 1 : next;
}

static void printBlendIndices() {
    console << "blend mode SRC:" << blendSourceIndex << std::endl;
    console << "blend mode DST:" << blendDestIndex << std::endl;
}

void handleBlendKeys() {
    if (wasKeyPressed('t')) {
        blendSourceIndex = stepBlendIndex(blendSourceIndex, -1);
        printBlendIndices();
    }
    if (wasKeyPressed('y')) {
        blendSourceIndex = stepBlendIndex(blendSourceIndex, 1);
        printBlendIndices();
    }
    if (wasKeyPressed('g')) {
        blendDestIndex = stepBlendIndex(blendDestIndex, -1);
        printBlendIndices();
    }
    if (wasKeyPressed('h')) {
        blendDestIndex = stepBlendIndex(blendDestIndex, 1);
        printBlendIndices();
    }
    if (wasKeyPressed('o')) {
        console << "blend mode SRC:" << blendSourceIndex << " and blend mode DST:" << blendDestIndex
                << std::endl;
    }
}

void advanceShow() {
    const int t = demoTime;
    const int dt = frameTime;
    clockSeconds = advanceClockSeconds(clockSeconds, dt);
    advanceMetaballs();
    slowPhase = advanceSlowPhase(slowPhase, dt, t);
    musicPhase = advanceMusicPhase(musicPhase, dt, spectrumBin(20));
    overlayTime = overlayTimeFor(clockSeconds);
    for (const cSceneWindow& window : sceneWindows) {
        if (window.advance && windowContains(window, t)) window.advance();
    }
    if (fountainFirst <= t && t <= fountainLast) advanceBlobFountain();
    if (t >= sparksFirst) advanceSparks();
    if (t < wordCardsEnd) advanceWordCards();
}

void drawShow() {
    const int t = demoTime;
    layerDone("clear");

    // The metaball layer draws first of all: it fills its capture (and the blur, for the
    // spheres) for later layers and leaves the framebuffer cleared, or its blobs for the
    // layers after it to paint over.
    if (metaballLayerRead(t)) drawMetaballs(metaballBlurRead(t), metaballLayerCovered(t));
    layerDone("metaballs");

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // One fixed camera for every layer that does not set its own.
    cMatrix4f view;
    view.lookAt(cVec3f(-80.0f, 0.0f, -80.0f), cVec3f(50.0f, 0.0f, 0.0f), cVec3f(0.0f, 1.0f, 0.0f));
    applyCamera(view.data(), projection.data());

    drawBackdrop(overlayTime, musicPhase, slowPhase, backdropHidden(t) || backdropDrawnBehind(t));
    layerDone("backdrop");

    glEnable(GL_DEPTH_TEST);
    glClear(GL_DEPTH_BUFFER_BIT);
    glUniform1f(boxProgram().uniformLocation("anim"), musicPhase);

    for (const cSceneWindow& window : sceneWindows) {
        if (window.render && windowContains(window, t)) window.render();
    }
    layerDone("scenes");

    drawBox(musicPhase, t);
    layerDone("box");

    // The debug keys belong to the frame as watched, not to the rules: a show played on
    // without being drawn would otherwise see one press many times.
    handleBlendKeys();

    // The fountain reads the harbour at its small levels: from the copy that has them.
    gradientTexture().bind(0);
    introImage(1).bind(1);
    if (fountainFirst <= t && t <= fountainLast) {
        drawBlobFountain(blendFactors[blendSourceIndex], blendFactors[blendDestIndex]);
    }
    layerDone("fountain");

    drawSlideCards();
    layerDone("slide cards");
    drawTopOverlay();
    layerDone("top overlay");

    if (t >= sparksFirst) drawSparks();
    layerDone("sparks");

    introImage(1).bind(0);
    introImage(2).bind(1);
    if (t < wordCardsEnd) drawWordCards();
    layerDone("word cards");
}

void runTimeline() {
    advanceShow();
    drawShow();
}

}  // namespace nimra
