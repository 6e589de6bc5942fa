// The spectrum the capture tool reads at given moments: "spectrum_at MUSIC MS..." opens the
// track in non-real-time mode, as the capture tool does, and for each moment sets the music
// channel there and prints the 512 bins on one line (the moment first). The browser test
// holds the web build's bins to these.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "audio/audio.h"

using namespace nimra::audio;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: spectrum_at MUSIC MS...\n");
        return 2;
    }
    setNonRealTime(true);
    cSystem* system = nullptr;
    cSound* sound = nullptr;
    cChannel* channel = nullptr;
    Result result = systemCreate(&system);
    if (result == resultOk) result = system->init(100, 0, nullptr);
    if (result == resultOk)
        result = system->createStream(argv[1], modeSoftware | modeAccurateTime, nullptr, &sound);
    if (result == resultOk) result = system->playSound(channelFree, sound, false, &channel);
    if (result != resultOk) {
        std::fprintf(stderr, "spectrum_at: %s: %s\n", argv[1], errorString(result));
        return 1;
    }
    std::vector<float> bins(spectrumBins);
    for (int i = 2; i < argc; ++i) {
        char* end = nullptr;
        const long ms = std::strtol(argv[i], &end, 10);
        if (*end != '\0' || ms < 0) {
            std::fprintf(stderr, "spectrum_at: not a moment: %s\n", argv[i]);
            return 2;
        }
        channel->setPosition(static_cast<uint32_t>(ms));
        channel->getSpectrum(bins.data(), spectrumBins, 0, fftWindowRect);
        std::printf("%ld", ms);
        for (float bin : bins)
            std::printf(" %.9g", bin);
        std::printf("\n");
    }
    system->release();
    return 0;
}
