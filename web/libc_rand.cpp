// The browser program's rand() and srand(), in place of its C library's: glibc's sequence,
// which the show's particles and cameras were made with.

#include <cstdlib>

#include "web/glibc_rand.h"

static nimra::cGlibcRandom generator;

extern "C" int rand(void) { return generator.next(); }
extern "C" void srand(unsigned seed) { generator.seed(seed); }
