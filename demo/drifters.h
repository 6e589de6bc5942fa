#pragma once
// Particles that drift across a 2D layer: born at one point, sent off along a random
// direction, bent upward by a steady pull, pulsing in size and fading in and out over
// their life. The metaball blobs and the sparks follow the same rules from different
// birthplaces.

#include <cstdint>
#include <vector>

#include "demo/scene_rules.h"
#include "math/vector.h"

namespace nimra {

struct cDrifter {
    int32_t life = 0;      // ms left
    int32_t fullLife = 0;  // the life given at the last birth
    cVec2f velocity;       // unit length at birth, then bent by the pull
    cVec2f position;       // in the screen quad's units, sent as "pos"
    float size = 0.0f;     // recomputed every frame before use, sent as "size"
};

// The first life: 250 to 749 ms, heading down and to either side. rand() is drawn for
// the life, then the velocity's y part, then its x part.
cDrifter makeDrifter(cVec2f position);

// One frame: age by dt; at no life left (exactly 0 included) reborn at rebirthAt with
// 3250 to 4749 ms, heading up and to the left (rand() for the life, then y, then x); then
// pulled up and moved. True when it was reborn.
bool advanceDrifter(cDrifter& drifter, int dt, cVec2f rebirthAt);

// Particle i's size under the layer's phase: it breathes between 0.09 and 0.31.
float drifterSize(float phase, int i);

// 0 at birth and at death, 1 half-way through the life.
float drifterStrength(const cDrifter& drifter);

// Every life, velocity, position and size of a layer's particles.
void visitDrifters(cStateVisitor& visit, const std::vector<cDrifter>& drifters);

}  // namespace nimra
