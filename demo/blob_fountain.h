#pragma once
// The blob fountain over the creature scene: 160 blobs drift under a pull along +y and
// burst into ten fragments each when their life runs out, starting again near the origin.

#include <cstdint>
#include <vector>

#include "demo/scene_rules.h"
#include "math/vector.h"
#include "render/gl.h"

namespace nimra {

// One blob or fragment.
struct Blob {
    cVec2f origin;    // "origPos"
    cVec2f position;  // "pos"
    cVec2f velocity;
    int32_t life = 0;   // ms left
    float size = 0.0f;  // "size"; fragments of the initial build keep 0 and stay hidden
};

struct cBlobFountain {
    std::vector<Blob> blobs;
    std::vector<std::vector<Blob>> fragmentPools;
    uint32_t nextPool = 0;
};

constexpr int blobCount = 160;
constexpr int poolCount = 10;
constexpr int fragmentsPerPool = 10;

// The initial particles, drawing from rand() in their fixed order.
void buildBlobFountain(cBlobFountain& fountain);

// One frame of blob i: age, burst into the next pool when its life has run out, pull,
// move and size. True when it burst.
bool advanceBlob(cBlobFountain& fountain, size_t i, int dt, float slowPhase);

// One frame of a fragment; true while it is alive and drawn.
bool advanceFragment(Blob& fragment, int dt);

// Builds the particles the layer draws; called by the opening scene's initialiser.
void buildBlobFountain();
// The particles as start-up built them, drawing rand() again in the same order.
void restartBlobFountain();

// One frame of every blob, then of every fragment.
void advanceBlobFountain();
// Draws every blob, then every live fragment, with these blend factors.
void drawBlobFountain(GLenum sourceFactor, GLenum destFactor);

void visitBlobFountainState(cStateVisitor& visit);

}  // namespace nimra
