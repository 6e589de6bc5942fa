#pragma once
// Seeded, platform-independent randomness for procedural pictures and music: the same
// seed gives the same bytes on every machine (the standard library's engines and
// distributions do not promise that).

#include <cstdint>

namespace nimra::bake {

uint32_t hash32(uint32_t x);
// A value in [0, 1) for an integer lattice point.
float latticeValue(int x, int y, uint32_t seed);

// Gradient noise, roughly -1..1. A non-zero period makes it tile with that many cells.
float noise(float x, float y, uint32_t seed, int period = 0);
// Octaves of noise, each twice the frequency and half the amplitude; the period doubles
// with the frequency so the sum tiles too.
float fbm(float x, float y, uint32_t seed, int octaves, int period = 0);

// Cellular (Worley) noise: distances to the nearest and second-nearest feature point and
// the nearest point's cell identity, over a lattice of one point per cell.
struct cCellSample {
    float nearest;
    float second;
    uint32_t id;
};
cCellSample cellular(float x, float y, uint32_t seed, int period = 0);

class cRandom {
public:
    explicit cRandom(uint64_t seed) : state(seed * 2862933555777941757ull + 3037000493ull) {}
    uint32_t next();
    float uniform();                     // [0, 1)
    float range(float low, float high);  // [low, high)
    int below(int n);                    // [0, n)
    bool chance(float p) { return uniform() < p; }

private:
    uint64_t state;
};

}  // namespace nimra::bake
