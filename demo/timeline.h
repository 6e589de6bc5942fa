#pragma once
// The timeline draws one whole frame: its phases, camera and the stack of layers and
// scenes that the demo clock selects.

#include <climits>
#include <cstdint>

#include "demo/scene_rules.h"

namespace nimra {

// One frame of the show: its rules (advanceShow), then its picture (drawShow).
void runTimeline();

// Every rule of the frame at demoTime, frameTime and this frame's spectrum, in the order the
// layers run: the phases, the cameras and triggers (with their "changing cam:" lines) and
// the particles (with their rand() draws). Nothing is drawn and no GL call is made, so the
// show can be played on to a moment without being drawn, and the state it reaches is the
// state it would have reached on screen.
void advanceShow();

// The picture of the frame from the state as it stands, with no rule run: after advanceShow
// the frame as watched; on its own a frame frozen in time, drawn again.
void drawShow();

// Every phase, camera and particle the show carries from frame to frame, the timeline's own
// and every layer's and scene's.
void visitShowState(cStateVisitor& visit);
// Whether all of it is finite: the capture tool checks after every frame it draws.
bool showStateIsFinite();
// A hash of all of it: two runs of the show that reach the same state give the same digest.
uint64_t showStateDigest();

// Called with a layer's name as each part of the frame finishes ("clear" for the frame
// driver's work before the timeline, then "metaballs", "backdrop", "scenes", "box",
// "fountain", "slide cards", "top overlay", "sparks", "word cards"), so that a tool can
// time the layers one by one. None in the demo; null removes it.
using LayerProbe = void (*)(const char* layer);
void setLayerProbe(LayerProbe probe);

// The timeline's phases back at 0, as at start-up (the debug keys' choice stays).
void restartTimeline();

// Phases every layer of the frame may read. Each is a float advanced in double precision
// and stored back; none is ever reset.
extern float clockSeconds;  // seconds of demo time
extern float slowPhase;     // 0 until 11600 ms, then 0.3 per second
extern float musicPhase;    // 10 per second plus the music's bin 20
extern float overlayTime;   // clockSeconds / 10, recomputed every frame

// The blob fountain's blend factors, picked with the debug keys t, y, g and h.
constexpr int blendFactorCount = 15;
extern const uint32_t blendFactors[blendFactorCount];
extern uint32_t blendSourceIndex;  // starts at 4: GL_DST_COLOR
extern uint32_t blendDestIndex;    // starts at 1: GL_ONE

// The rules the frame applies, apart so that they can be checked without GL.
float advanceClockSeconds(float clock, int dt);
float advanceSlowPhase(float phase, int dt, int t);
float advanceMusicPhase(float phase, int dt, float bin20);
float overlayTimeFor(float clock);

// One step up or down; anything that lands outside the table (as an unsigned number)
// sticks at the last entry, so stepping down from 0 also gives 14.
uint32_t stepBlendIndex(uint32_t index, int step);

// Reads this frame's key presses, steps the indices and prints the debug lines.
void handleBlendKeys();

// Demo-time windows of the layers, in milliseconds.
constexpr int slowPhaseStart = 11600;
constexpr int wordCardsEnd = 13890;  // word cards while t < this
constexpr int boxLast = 30312;       // box mesh drawn while t <= this
constexpr int fountainFirst = 128172;
constexpr int fountainLast = 146828;
constexpr int sparksFirst = 146828;
constexpr int spheresFirst = 146828;
constexpr int spheresLast = 184081;
constexpr int tunnelFirst = 30312;
constexpr int tunnelLast = 48939;
constexpr int loudspeakersFirst = 86210;
constexpr int breakFirst = 123505;
constexpr int breakLast = 128182;

// What the frame knows will be covered, or would come out unchanged, is not drawn: the
// backdrop under an opaque layer or behind the box's and the scenes' opaque surfaces, the
// top overlay's clear middle and margins, the slide cards' clear margins, the sculpture's
// post pass away from the metaball field and its screen copy where no pass reads it, the
// metaball layer where nothing reads it, its blur outside the sphere scene and beyond the
// light of the blobs' box, and its clears beyond that box and where the layers after it
// paint over every pixel. False draws it all the same (the capture tool's --draw-hidden),
// to show that leaving it out changes nothing.
extern bool skipHiddenWork;

// Whether a later layer of the frame at t reads the metaball layer's picture: the
// sculpture's post pass (from 67589 ms), the sphere scene's vertex-data pass and its
// spheres, and the closing composite. Elsewhere the layer's drawing is left out (its blobs
// still move by their rules every frame), unless the hidden work is drawn.
bool metaballLayerRead(int t);
// Whether a later layer of the frame at t reads the layer's blur: only the sphere scene
// does. Every blur is made from that frame's picture alone, so the frames in between need
// none, unless the hidden work is drawn.
bool metaballBlurRead(int t);

// Whether the layers after the metaball layer paint every pixel of the frame at t opaquely
// before anything blends over it (the backdrop, or the opaque scenes and the backdrop
// behind them, or a layer that hides the backdrop), so that the blobs the metaball layer
// leaves in the window need no clearing away, unless the hidden work is drawn.
bool metaballLayerCovered(int t);

// Whether a later layer of the frame at t covers the whole screen with an opaque picture,
// so that the backdrop would never be seen: the break, and the closing composite (which
// the sphere scene draws under its spheres once it is past its first half).
bool backdropHidden(int t);

// Whether the backdrop of the frame at t is drawn after the opaque surfaces of the scenes
// (or of the box, in the opening) instead of before them, so that the pixels they cover
// are never shaded twice: when every scene running at t is opaque and draws it behind
// itself (drawBackdropBehind, right after its opaque surfaces and before anything that
// blends). The timeline then leaves it out before the scenes.
bool backdropDrawnBehind(int t);

// A scene and the window it runs in, both ends included: its rules (advance, none for a
// scene that carries nothing from frame to frame) and its render. A scene whose surfaces
// are all opaque (drawn without blending, so whatever alpha its shader writes they hide
// what is behind them) draws the backdrop behind them itself (drawBackdropBehind, where
// backdropDrawnBehind says so) and says here whether it can: whether its program works.
struct cSceneWindow {
    const char* name;
    int first;
    int last;
    void (*advance)();
    void (*render)();
    bool (*opaque)() = nullptr;
};

constexpr int sceneWindowCount = 8;
extern const cSceneWindow sceneWindows[sceneWindowCount];

inline bool windowContains(const cSceneWindow& window, int t) {
    return window.first <= t && t <= window.last;
}

}  // namespace nimra
