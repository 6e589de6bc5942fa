#include "noise.h"

#include <cmath>

namespace nimra::bake {

uint32_t hash32(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

static uint32_t latticeHash(int x, int y, uint32_t seed) {
    return hash32(uint32_t(x) * 0x9E3779B1u ^ hash32(uint32_t(y) * 0x85EBCA77u ^ seed));
}

float latticeValue(int x, int y, uint32_t seed) {
    return (latticeHash(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

static int wrap(int v, int period) {
    if (period <= 0) return v;
    v %= period;
    return v < 0 ? v + period : v;
}

static float gradientDot(int ix, int iy, float dx, float dy, uint32_t seed, int period) {
    const uint32_t h = latticeHash(wrap(ix, period), wrap(iy, period), seed);
    const float angle = (h >> 8) * (6.2831853f / 16777216.0f);
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

float noise(float x, float y, uint32_t seed, int period) {
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    const float fx = x - ix, fy = y - iy;
    const float ux = fx * fx * fx * (fx * (fx * 6 - 15) + 10);
    const float uy = fy * fy * fy * (fy * (fy * 6 - 15) + 10);
    const float a = gradientDot(ix, iy, fx, fy, seed, period);
    const float b = gradientDot(ix + 1, iy, fx - 1, fy, seed, period);
    const float c = gradientDot(ix, iy + 1, fx, fy - 1, seed, period);
    const float d = gradientDot(ix + 1, iy + 1, fx - 1, fy - 1, seed, period);
    const float top = a + (b - a) * ux, bottom = c + (d - c) * ux;
    return (top + (bottom - top) * uy) * 1.41f;
}

float fbm(float x, float y, uint32_t seed, int octaves, int period) {
    float sum = 0, amplitude = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * noise(x, y, seed + 1013u * i, period);
        norm += amplitude;
        x *= 2;
        y *= 2;
        period *= 2;
        amplitude *= 0.5f;
    }
    return sum / norm;
}

cCellSample cellular(float x, float y, uint32_t seed, int period) {
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    cCellSample best{1e9f, 1e9f, 0};
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
            const int cx = wrap(ix + i, period), cy = wrap(iy + j, period);
            const float px = ix + i + latticeValue(cx, cy, seed);
            const float py = iy + j + latticeValue(cx, cy, seed ^ 0x5bd1e995u);
            const float d = std::hypot(px - x, py - y);
            if (d < best.nearest) {
                best.second = best.nearest;
                best.nearest = d;
                best.id = latticeHash(cx, cy, seed + 7);
            } else if (d < best.second) {
                best.second = d;
            }
        }
    return best;
}

uint32_t cRandom::next() {
    // PCG-XSH-RR
    const uint64_t old = state;
    state = old * 6364136223846793005ull + 1442695040888963407ull;
    const uint32_t shifted = uint32_t(((old >> 18) ^ old) >> 27);
    const uint32_t rot = uint32_t(old >> 59);
    return (shifted >> rot) | (shifted << ((32 - rot) & 31));
}

float cRandom::uniform() { return (next() >> 8) * (1.0f / 16777216.0f); }

float cRandom::range(float low, float high) { return low + (high - low) * uniform(); }

int cRandom::below(int n) { return n <= 0 ? 0 : int((uint64_t(next()) * uint32_t(n)) >> 32); }

}  // namespace nimra::bake
