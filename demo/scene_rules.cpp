#include "demo/scene_rules.h"

#include <cstring>

#include "runtime/state.h"

namespace nimra {

float advancePhase(float phase, int dt, double rate, float bin, double gain) {
    return static_cast<float>(phase + dt * rate + dt * static_cast<double>(bin) * gain);
}

bool cCameraTrigger::advance(int dt, float bin10) {
    clock += dt;
    threshold = static_cast<float>(threshold - clock * decay);
    if (!(threshold < bin10)) return false;
    console << "changing cam:" << threshold << std::endl;
    clock = 0;
    threshold = 0.5f;
    return true;
}

void cStateDigest::number(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) {
        hash ^= (bits >> (8 * i)) & 0xFFu;
        hash *= 1099511628211ull;
    }
}

}  // namespace nimra
