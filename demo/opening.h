#pragma once
// The opening scene: the harbour backdrop under every scene, the tumbling box of the first
// half minute and the framed overlay over everything. Its initialiser runs first of all and
// also makes the screen quad and the blob fountain's particles.

#include <vector>

#include "math/vector.h"
#include "render/screen_quad.h"
#include "render/shader_program.h"
#include "render/texture.h"

namespace nimra {

void initOpeningScene();

// With hidden set, a later layer of the frame covers the whole screen with an opaque
// picture: the uniforms are set and the pictures bound as always, but the screen is not
// filled only to be filled again. The backdrop is opaque whatever alpha its shaders write
// (it is drawn without blending), so it covers whatever the frame held before it.
void drawBackdrop(float overlayTime, float musicPhase, float slowPhase, bool hidden = false);
// The backdrop of this frame (as the last drawBackdrop set it up) drawn after an opaque
// scene instead of before it, only where the scene left the depth buffer clear: the pixels
// the scene covers are turned away before they are shaded. The picture is the same as
// drawing it first, since nothing drawn since then blends. Needs the depth test on; leaves
// the depth state as the scenes have it and the backdrop's pictures on units 0 and 1.
void drawBackdropBehind();
// Whether the backdrop's program works, so that drawing it covers the whole screen.
bool backdropIsOpaque();

// The first row, counted up from the bottom of a backdrop drawn the given rows high at
// "anim", from which every pixel lies above the night band (its night share is 1, and the
// dusk picture is not seen), with two rows to spare for rounding; the rows if none does.
// overlay.vert places the pictures and the band by the same numbers.
int backdropNightFrom(float anim, int rows);
// The box's rotation and state changes happen every frame; its mesh only while t <= 30312.
void drawBox(float musicPhase, int t);
// Whether the box's surfaces are opaque (its program works).
bool boxIsOpaque();
void drawTopOverlay();

// Objects of the opening that the timeline and the blob fountain draw with; valid once
// initOpeningScene has run.
cShaderProgram& boxProgram();
cShaderProgram& blobProgram();
cTexture& introImage(int number);  // 1 to 4
cTexture& gradientTexture();

// Where the top overlay's picture is clear, in the screen quad's units: the middle of the
// screen inside its frame, less the emblem's corner, and the margins outside the frame. The
// overlay is only drawn outside them; the baked picture keeps them clear (its tests check).
struct cScreenRect {
    cVec2f lowerLeft;
    cVec2f upperRight;
};
constexpr int overlayClearCount = 6;
extern const cScreenRect overlayClear[overlayClearCount];

// Whether every texel of the picture that lands in (or within two texels of) one of the
// rectangles is clear. The top overlay is drawn through its strips only while its picture
// is: checked at start-up and whenever the picture is loaded anew.
bool pictureClearWithin(cTexture& texture, const cScreenRect* rects, int count);
void checkOverlayPicture();

// The rest of the viewport (x, y, width, height), where the top overlay is drawn: strips of
// whole pixels that cover every pixel outside the clear rectangles once, none twice.
std::vector<cPixelRect> overlayStrips(const int viewport[4]);

// The backdrop's "mixer": the music's swing, scaled in by the slow phase.
float backdropMixer(float musicPhase, float slowPhase);

}  // namespace nimra
