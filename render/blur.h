#pragma once
// Separable blur at a fixed low resolution: the source is drawn through a horizontal blur
// into the result texture, then ping-ponged vertical / horizontal between the two
// textures of one framebuffer, always ending on a horizontal pass into the result.

#include "render/screen_quad.h"
#include "render/texture.h"

namespace nimra {

void initBlur(int width, int height);

// 1 + the pass count rounded up to even: 0 -> 1 pass, 1 and 2 -> 3, 3 -> 5. With lit, the
// source is clear outside that box of its texels (lower-left first): every pass is drawn
// only over the texels light from the box can reach, the rest of each being cleared, which
// is all a blur of nothing gives. The result is the same, texel for texel.
void blurTexture(cTexture& source, int passes, const cPixelRect* lit = nullptr);

// Holds the last blur; scenes bind it to a unit of their choice. The object exists from
// the start, so a reference taken before initBlur stays good; until then it is GL's
// default 2D texture.
cTexture& blurResult();

}  // namespace nimra
