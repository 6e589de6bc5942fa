#include "demo/blob_fountain.h"

#include <cmath>
#include <cstdlib>

#include "demo/opening.h"
#include "demo/scene_rules.h"
#include "demo/timeline.h"
#include "render/mesh.h"
#include "render/quad_batch.h"
#include "render/screen_quad.h"
#include "runtime/state.h"

namespace nimra {

static struct {
    cBlobFountain fountain;
    cQuadBatch sprites;
} state;

// Every component is worked out in double and stored as a float, then the vector is
// normalised in place. The burst's random offsets are zero now and then (both draws land
// on the middle of their range, one burst in 2500 for a rebirth place); normalising that
// would send the particle's position, and the uniforms drawn from it, to NaN for good, so
// a zero offset stays zero: the blob is born right at the origin, the fragment stands still.
static cVec2f unitVector(double x, double y) {
    cVec2f v(static_cast<float>(x), static_cast<float>(y));
    if (v.x == 0.0f && v.y == 0.0f) return v;
    v.normalise();
    return v;
}

void buildBlobFountain(cBlobFountain& fountain) {
    // The order of the rand() draws is part of the show: the program never seeds it, so
    // every run draws the same fountain.
    for (int i = 0; i < blobCount; ++i) {
        Blob blob;
        blob.origin = blob.position = cVec2f(0.6f, 0.6f);
        blob.life = std::rand() % 500 + 250;
        const int a = std::rand();
        const int b = std::rand();
        blob.velocity = unitVector(b % 40 - 0.3 - 20, a % 3 + 0.7 - 6);
        fountain.blobs.push_back(blob);
    }
    for (int p = 0; p < poolCount; ++p) {
        fountain.fragmentPools.emplace_back();
        for (int f = 0; f < fragmentsPerPool; ++f) {
            Blob fragment;
            fragment.life = std::rand() % 500 + 250;
            const int a = std::rand();
            const int b = std::rand();
            fragment.velocity = unitVector(b % 10 - 0.3 - 20, a % 3 + 0.7 - 6);
            fragment.origin = fragment.position = cVec2f(0.6f, 0.6f);
            fountain.fragmentPools.back().push_back(fragment);
        }
    }
}

// The blob's ten fragments take over its place and last size; the pool filled longest
// ago is the one overwritten, live fragments and all.
static void burst(cBlobFountain& fountain, Blob& blob) {
    for (Blob& fragment : fountain.fragmentPools[fountain.nextPool]) {
        fragment.origin = blob.origin;
        fragment.position = blob.position;
        fragment.size = blob.size * 0.45f;
        const int a = std::rand();
        const int b = std::rand();
        fragment.velocity = unitVector(b % 200 - 100, a % 200 - 100);
        fragment.life = 250;
    }
    if (++fountain.nextPool >= fountain.fragmentPools.size()) fountain.nextPool = 0;

    const int a = std::rand();
    const int b = std::rand();
    blob.origin = unitVector(b % 50 - 25, a % 50 - 25) * 0.3f;
    blob.position = blob.origin;
    blob.life = std::rand() % 500 + 1250;
    const int c = std::rand();
    const int d = std::rand();
    blob.velocity = unitVector(d % 40 - 0.3 - 20, c % 40 + 0.3 - 20);
}

bool advanceBlob(cBlobFountain& fountain, size_t i, int dt, float slowPhase) {
    Blob& blob = fountain.blobs[i];
    blob.life -= dt;
    const bool bursts = blob.life <= 0;
    if (bursts) burst(fountain, blob);

    blob.velocity = blob.velocity - cVec2f(0.0f, -1.0f) * static_cast<float>(dt) * 0.001f;
    blob.position = blob.position + blob.velocity * static_cast<float>(dt) * 0.0006f;
    blob.size = static_cast<float>(std::sin(slowPhase * 3.1 + i * 0.3) * 0.11 + 0.11);
    return bursts;
}

bool advanceFragment(Blob& fragment, int dt) {
    fragment.life -= dt;
    if (fragment.life <= 0) return false;
    fragment.velocity = fragment.velocity - cVec2f(0.0f, -1.0f) * static_cast<float>(dt) * 0.0001f;
    fragment.position = fragment.position + fragment.velocity * static_cast<float>(dt) * 0.0007f;
    return true;
}

void buildBlobFountain() {
    buildBlobFountain(state.fountain);
    state.sprites.build(blobCount + poolCount * fragmentsPerPool,
                        {{"particle", 4}, {"particleSize", 1}});
}

void restartBlobFountain() {
    if (state.fountain.blobs.empty()) return;  // never built
    state.fountain = cBlobFountain();
    buildBlobFountain(state.fountain);
}

static void visitParticle(cStateVisitor& visit, const Blob& b) {
    visit(b.origin);
    visit(b.position);
    visit(b.velocity);
    visit(b.life);
    visit(b.size);
}

void visitBlobFountainState(cStateVisitor& visit) {
    for (const Blob& blob : state.fountain.blobs)
        visitParticle(visit, blob);
    for (const std::vector<Blob>& pool : state.fountain.fragmentPools)
        for (const Blob& fragment : pool)
            visitParticle(visit, fragment);
    visit(state.fountain.nextPool);
}

// A particle of size 0 (the initial build's fragments, until a burst takes them over)
// covers no pixel and is left out of the batch.
static void addParticle(const Blob& particle) {
    if (particle.size == 0.0f) return;
    const float values[5] = {particle.position.x, particle.position.y, particle.origin.x,
                             particle.origin.y, particle.size};
    state.sprites.add(values);
}

void advanceBlobFountain() {
    cBlobFountain& fountain = state.fountain;
    for (size_t i = 0; i < fountain.blobs.size(); ++i)
        advanceBlob(fountain, i, frameTime, slowPhase);
    for (std::vector<Blob>& pool : fountain.fragmentPools) {
        for (Blob& fragment : pool)
            advanceFragment(fragment, frameTime);
    }
}

void drawBlobFountain(GLenum sourceFactor, GLenum destFactor) {
    const cBlobFountain& fountain = state.fountain;
    state.sprites.clear();
    for (const Blob& blob : fountain.blobs)
        addParticle(blob);
    // A fragment lives, and is drawn, until its life has run out.
    for (const std::vector<Blob>& pool : fountain.fragmentPools) {
        for (const Blob& fragment : pool) {
            if (fragment.life > 0) addParticle(fragment);
        }
    }
    if (!fountain.blobs.empty()) glBlendFunc(sourceFactor, destFactor);
    state.sprites.draw(blobProgram());
}

}  // namespace nimra
