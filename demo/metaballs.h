#pragma once
// The metaball layer: 169 soft blobs rise and drift across the screen for the whole show.
// They are never shown as they are drawn: every frame they are summed into the window,
// captured into the window-sized metaball image, cleared away and blurred through the
// blur chain. The sculpture's post pass and the overlay composite read the image, the
// sphere scene the blurred result. The layer also owns what the composite draws with.

#include <vector>

#include "demo/drifters.h"
#include "render/screen_quad.h"
#include "render/shader_program.h"
#include "render/texture.h"

namespace nimra {

constexpr int metaballCount = 169;

// Needs the window size set and the screen quad built; runs before the blur chain exists.
void initMetaballs();

// The blobs' rules, first of every frame.
void advanceMetaballs();
// First drawing of the frame, where a later layer reads it; through the blur chain as well
// when blurred (the chain's result is made from this frame's image alone). Leaves the
// window cleared, blending and the depth test off; when covered (a later layer paints
// every pixel opaquely before anything blends), the blobs are left for it to paint over.
void drawMetaballs(bool blurred = true, bool covered = false);

// The capture of this frame's blobs, window-sized as the window was at start-up.
cTexture& metaballImage();
// Makes the capture the window's size now, for a picture that has changed its resolution.
void resizeMetaballImage();

void visitMetaballsState(cStateVisitor& visit);
// The blobs as start-up made them, drawing rand() again in the same order.
void restartMetaballs();

// Half the height on screen of a blob's sprite of size 1; it is 0.75 of that across, so
// that it stays round on the 4:3 screen. "metaball2.vert" places its corners by the same
// numbers, and the field's box below relies on them (while the file's text is start-up's:
// copiedNumbersAgree).
constexpr float metaballSpriteReach = 0.26f;
constexpr float metaballSpriteAspect = 0.75f;

// The box of window pixels outside which this frame's metaball image is empty: every
// blob's sprite lies inside it, with a pixel or two to spare for filtering. The image and
// the window share their pixels only while the window has its start-up size; after a
// resize (or with a blob somewhere no number can say) there is no box and false comes back.
bool metaballFieldBox(cPixelRect& box);

// The pixels of a width x height image under a sprite (or box) from low to high in
// screen-quad units, two pixels wider on every side (the image is read with linear
// filtering), clipped to the image. False for a corner that is not a finite number.
bool spritePixels(const cVec2f& low, const cVec2f& high, int width, int height, cPixelRect& rect);

// The same pixels in finer pieces: disjoint rectangles inside the box, together covering
// every blob's sprite (with the same pixels to spare), made of whole cells of a grid of
// fieldCell pixels. The drops rise in drifting columns with gaps between them, so the
// pieces cover a half to two thirds of the box. False, and nothing, where there is no box.
constexpr int fieldCell = 32;
bool metaballFieldPieces(std::vector<cPixelRect>& pieces);

// Disjoint rectangles made of whole cells of a grid of the given pixels, clipped to the
// bounds, covering every pixel of the given rectangles inside the bounds: a row of cells
// at a time, runs of cells merged across and runs of equal span merged down.
std::vector<cPixelRect> cellCover(const std::vector<cPixelRect>& rects, const cPixelRect& bounds,
                                  int cell);

// Whether the composite fills the whole screen with an opaque picture: whenever its
// program works.
bool compositeIsOpaque();

// The metaball field over the background picture, over the whole screen: the sphere scene
// runs it under its spheres from 165373 ms, the timeline over everything from 184081 ms.
// Leaves blending on.
void drawOverlayComposite();
// The columns of the window from which the composite may read the metaball field, given
// the field's box: the box widened by the farthest a reflection's ripple moves a read
// across. Beside them the composite is the harbour picture alone. False where a read could
// reach past the image's edge (it repeats, so every column may read the field).
bool compositeFieldColumns(const cPixelRect& box, int width, int& first, int& count);

// The blob list and its phase, with the rules of a frame apart from GL so that they can
// be checked.
struct cMetaballField {
    std::vector<cDrifter> blobs;
    float phase = 0.0f;  // sizes breathe with it
};

// Blobs begin at (0.6, 0.6) heading down; every rebirth is at (0.5, -0.5), heading up.
const cVec2f metaballBirthplace(0.6f, 0.6f);
const cVec2f metaballRebirthplace(0.5f, -0.5f);

// The 169 blobs, drawing rand() in their fixed order.
void buildMetaballField(cMetaballField& field);
// Once per frame, before the blobs.
void advanceMetaballPhase(cMetaballField& field, int dt);
// Blob i's frame: aged, maybe reborn, pulled, moved and sized.
void advanceMetaball(cMetaballField& field, int i, int dt);

}  // namespace nimra
