#include "web/glibc_rand.h"

namespace nimra {

// The TYPE_3 generator keeps 31 words. glibc fills them from the seed with the "minimal
// standard" multiplier 16807 modulo 2^31 - 1 (Schrage's method, never overflowing 32 bits),
// then throws away the first 310 outputs so that the seed's influence is spread through the
// whole table.
void cGlibcRandom::seed(uint32_t seed) {
    int32_t word = static_cast<int32_t>(seed == 0 ? 1 : seed);
    int32_t r[31];
    r[0] = word;
    for (int i = 1; i < 31; ++i) {
        const int32_t hi = word / 127773;
        const int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0) word += 2147483647;
        r[i] = word;
    }
    for (int i = 0; i < 31; ++i)
        table[i] = r[i];
    // glibc's front and rear pointers start 3 words apart (SEP_3) over a 31-word ring.
    front = 3;
    rear = 0;
    for (int i = 0; i < 310; ++i)
        next();
}

int cGlibcRandom::next() {
    uint32_t sum = static_cast<uint32_t>(table[front]) + static_cast<uint32_t>(table[rear]);
    table[front] = static_cast<int32_t>(sum);
    if (++front >= 31) front = 0;
    if (++rear >= 31) rear = 0;
    return static_cast<int>(sum >> 1);
}

}  // namespace nimra
