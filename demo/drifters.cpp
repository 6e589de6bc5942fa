#include "demo/drifters.h"

#include <cmath>
#include <cstdlib>

namespace nimra {

// Components worked out in double, stored as floats, then normalised in place.
static cVec2f unitVector(double x, double y) {
    cVec2f v(static_cast<float>(x), static_cast<float>(y));
    v.normalise();
    return v;
}

cDrifter makeDrifter(cVec2f position) {
    cDrifter drifter;
    drifter.life = std::rand() % 500 + 250;
    const int y = std::rand();
    const int x = std::rand();
    drifter.velocity = unitVector(x % 40 - 0.3 - 20, y % 3 + 0.7 - 6);
    drifter.position = position;
    drifter.fullLife = drifter.life;
    return drifter;
}

bool advanceDrifter(cDrifter& drifter, int dt, cVec2f rebirthAt) {
    drifter.life -= dt;
    const bool reborn = drifter.life <= 0;
    if (reborn) {
        drifter.position = rebirthAt;
        drifter.life = std::rand() % 1500 + 3250;
        drifter.fullLife = drifter.life;
        const int y = std::rand();
        const int x = std::rand();
        drifter.velocity = unitVector(-0.3 - x % 40, y % 40 + 0.3);
    }
    // The pull goes onto the velocity before the move and is never normalised away.
    drifter.velocity = drifter.velocity + cVec2f(0.0f, static_cast<float>(dt * 0.0001));
    drifter.position = drifter.position + drifter.velocity * static_cast<float>(dt) * 0.0003f;
    return reborn;
}

float drifterSize(float phase, int i) {
    return static_cast<float>(0.11 * std::sin(3.1 * phase + 0.3 * i) + 0.2);
}

float drifterStrength(const cDrifter& drifter) {
    if (drifter.fullLife <= 0) return 0.0f;  // never born: nothing to show
    const double share = static_cast<double>(drifter.life) / drifter.fullLife;
    return static_cast<float>(1.0 - 2.0 * std::abs(share - 0.5));
}

void visitDrifters(cStateVisitor& visit, const std::vector<cDrifter>& drifters) {
    for (const cDrifter& d : drifters) {
        visit(d.life);
        visit(d.fullLife);
        visit(d.velocity);
        visit(d.position);
        visit(d.size);
    }
}

}  // namespace nimra
