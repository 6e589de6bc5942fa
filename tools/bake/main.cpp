// bake: writes every image, mesh and the music track the demo loads.
//
//   bake [--out DIR] [--force] [--jobs N] [FILE...]   bake everything (or the named files)
//   bake --list                                       the files it makes
//   bake --report [MP3]                               spectrum report of the music

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "asset.h"
#include "report.h"
#include "runner.h"

namespace {

int usage() {
    std::cerr << "usage: bake [--out DIR] [--force] [--jobs N] [FILE...]\n"
                 "       bake --list\n"
                 "       bake --report [MP3]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace nimra::bake;
    cRunOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--out" && i + 1 < argc) {
            options.outDir = argv[++i];
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--jobs" && i + 1 < argc) {
            options.jobs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--list") {
            for (const cAsset& asset : allAssets())
                std::cout << asset.file << '\n';
            return 0;
        } else if (arg == "--report") {
            const std::string mp3 = i + 1 < argc ? argv[i + 1] : "data/tromblo-slow_harbour.mp3";
            return printMusicReport(mp3, std::cout);
        } else if (!arg.empty() && arg[0] == '-') {
            return usage();
        } else {
            options.only.push_back(arg);
        }
    }
    return runBake(allAssets(), options, std::cout);
}
