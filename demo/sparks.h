#pragma once
// The spark layer: 50 sparks drift over everything from the sphere scene to the end of the
// show, by the same rules as the metaball blobs. The first ones start at the upper left
// heading down; every rebirth is at the lower left, heading up and to the left. Their
// sizes breathe with a phase that runs faster when the music is busy. The sphere scene's
// initialiser loads the layer's program and texture and creates the sparks.

#include <vector>

#include "demo/drifters.h"
#include "render/shader_program.h"
#include "render/texture.h"

namespace nimra {

constexpr int sparkCount = 50;

// Appends the 50 sparks (drawing rand() in their fixed order) and keeps the program and
// texture they are drawn with.
void createSparks(cShaderProgram& program, cTexture& texture);

// Once per frame from the sphere scene on: the sparks' rules, then, after the top overlay,
// their picture. Drawing relies on the blending the timeline sets; it turns the depth test
// off while it draws and on again after.
void advanceSparks();
void drawSparks();
void visitSparksState(cStateVisitor& visit);
// The sparks as createSparks made them, drawing rand() again in the same order.
void restartSparks();

// The spark list and its phase, with the rules of a frame apart from GL so that they can
// be checked.
struct cSparkField {
    std::vector<cDrifter> sparks;
    float phase = 0.0f;  // sizes breathe with it
};

const cVec2f sparkBirthplace(-0.6f, 0.6f);
const cVec2f sparkRebirthplace(-0.5f, -0.5f);

void buildSparkField(cSparkField& field);
// Once per frame, before the sparks: 1 a second, plus the music's bin 20.
void advanceSparkPhase(cSparkField& field, int dt, float bin20);
// Spark i's frame: aged, maybe reborn, pulled, moved and sized.
void advanceSpark(cSparkField& field, int i, int dt);

}  // namespace nimra
