#pragma once
// The screen quad: one mesh spanning (-1, -1, 0) to (1, 1, 0) in two triangles, drawn by
// every full-screen, card and sprite layer and by the blur chain. The opening scene's
// initialiser builds it, first of all; until then it is null.

#include "render/mesh.h"

namespace nimra {

extern cMesh* screenQuad;

// Positions (-1,-1,0) (1,-1,0) (1,1,0) (-1,1,0) and triangles (0,1,3) (1,2,3), as float
// and unsigned-int buffers with static usage.
void fillScreenQuad(cMesh& mesh);

// A rectangle of window pixels, lower-left corner first, as glScissor takes it: the part
// of the screen a layer draws the quad over when the rest would come out unchanged.
struct cPixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};

}  // namespace nimra
