// The C library's rand() as the native program draws it: "rand_draws N" prints the first N
// values of the unseeded sequence, then the first N after srand(1), one a line. The browser
// test holds the web build's draws to these.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 0;
    if (count <= 0) {
        std::fprintf(stderr, "usage: rand_draws N\n");
        return 2;
    }
    for (long i = 0; i < count; ++i)
        std::printf("%d\n", std::rand());
    std::srand(1);
    for (long i = 0; i < count; ++i)
        std::printf("%d\n", std::rand());
    return 0;
}
