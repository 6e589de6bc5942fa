#pragma once
// Rules every 3D scene shares: music-driven phases and the camera-switch trigger. Each
// scene keeps its own values in its own state and steps them here once per frame.

#include <cmath>
#include <cstdint>

#include "math/vector.h"

namespace nimra {

// phase + dt x rate + dt x bin x gain, worked out in double and stored back as a float.
// With dt = 0 nothing moves; with a silent bin the phase runs at its base rate.
float advancePhase(float phase, int dt, double rate, float bin, double gain);

// Fires on the music: a threshold that sinks ever faster (its fall grows with the time
// since the last firing) until bin 10 of the spectrum rises above it. Each firing prints
// "changing cam:" and the threshold, then starts again from 0.5.
struct cCameraTrigger {
    int32_t clock = 0;  // ms since the last firing
    float threshold = 0.5f;
    double decay = 0.00001;  // per ms of clock, per frame

    // One frame: true when it fired (and printed).
    bool advance(int dt, float bin10);
};

// Every number a layer carries from one frame to the next, handed over one at a time: the
// check that the show's state is still finite (a stall of many seconds multiplies
// everything by the frame's length) and the digest that tells two runs of the show apart
// walk the same list.
class cStateVisitor {
public:
    virtual ~cStateVisitor() = default;
    virtual void number(double value) = 0;

    void operator()(double value) { number(value); }
    void operator()(const cVec2f& v) {
        number(v.x);
        number(v.y);
    }
    void operator()(const cVec3f& v) {
        number(v.x);
        number(v.y);
        number(v.z);
    }
    void operator()(const cCameraTrigger& trigger) {
        number(trigger.clock);
        number(trigger.threshold);
    }
};

// Whether every number visited was finite.
struct cFiniteCheck : cStateVisitor {
    bool finite = true;
    void number(double value) override { finite = finite && std::isfinite(value); }
};

// A 64-bit FNV-1a hash of the exact values visited, in order.
struct cStateDigest : cStateVisitor {
    uint64_t hash = 14695981039346656037ull;
    void number(double value) override;
};

inline bool isFinite(float v) { return std::isfinite(v); }
inline bool isFinite(const cVec2f& v) { return std::isfinite(v.x) && std::isfinite(v.y); }
inline bool isFinite(const cVec3f& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace nimra
