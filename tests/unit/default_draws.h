#pragma once
// What the scenes' rand() draws give: the library's default sequence, which the program
// relies on by never seeding. Tests restart it, read the values a scene is about to draw,
// and restart it again for the scene.

#include <cstdlib>
#include <vector>

#include "math/vector.h"

namespace nimra::test {

// The first count draws of the default sequence; the sequence is left at its start.
inline std::vector<int> defaultDraws(int count) {
    std::srand(1);
    std::vector<int> draws;
    for (int i = 0; i < count; ++i)
        draws.push_back(std::rand());
    std::srand(1);
    return draws;
}

// The unit vector the scenes make from two draws, worked out in double as they do.
inline cVec2f unit(double x, double y) {
    cVec2f v(static_cast<float>(x), static_cast<float>(y));
    return v.normalise();
}

}  // namespace nimra::test
