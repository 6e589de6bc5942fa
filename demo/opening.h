#pragma once
// The opening scene: the harbour backdrop under every scene, the tumbling box of the first
// half minute and the framed overlay over everything. Its initialiser runs first of all and
// also makes the screen quad and the blob fountain's particles.

#include "render/shader_program.h"
#include "render/texture.h"

namespace nimra {

void initOpeningScene();

void drawBackdrop(float overlayTime, float musicPhase, float slowPhase);
// The box's rotation and state changes happen every frame; its mesh only while t <= 30312.
void drawBox(float musicPhase, int t);
void drawTopOverlay();

// Objects of the opening that the timeline and the blob fountain draw with; valid once
// initOpeningScene has run.
cShaderProgram& boxProgram();
cShaderProgram& blobProgram();
cTexture& introImage(int number);  // 1 to 4
cTexture& gradientTexture();

// The backdrop's "mixer": the music's swing, scaled in by the slow phase.
float backdropMixer(float musicPhase, float slowPhase);

}  // namespace nimra
