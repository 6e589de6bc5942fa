#pragma once
// glibc's rand(): the additive feedback generator of its random() (TYPE_3: x[i] = x[i-3] +
// x[i-31] over 32-bit words, the top 31 bits given out), seeded the way its srandom() seeds
// it. The show draws all its particles and camera choices from rand() and never seeds it, so
// every program that plays the show must draw exactly glibc's sequence; the browser's C
// library draws a different one, and takes this instead.

#include <cstdint>

namespace nimra {

class cGlibcRandom {
public:
    cGlibcRandom() { seed(1); }  // glibc's state before any srand()

    // As srand(seed): 0 seeds like 1.
    void seed(uint32_t seed);
    // As rand(): the next value in [0, 2^31).
    int next();

private:
    int32_t table[31];
    int front = 0;  // the word that takes the next sum (x[i-31] before it does)
    int rear = 0;   // x[i-3]
};

}  // namespace nimra
