// Checks what SDL's disk audio driver recorded against the show's own track, decoded by the
// audio layer's decoder: "track_match RECORDED MUSIC MS [FROM_BYTE]" finds the first sound
// in RECORDED at or after FROM_BYTE and tells whether the next second of it is the track's
// from MS on, sample for sample, and at which byte of RECORDED the track's sample at MS lies.
// Prints one line; status 0 on a match.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "audio/decoder.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: track_match RECORDED MUSIC MS [FROM_BYTE]\n");
        return 2;
    }
    const long ms = std::atol(argv[3]);
    const long fromByte = argc > 4 ? std::atol(argv[4]) : 0;
    constexpr int frames = nimra::audio::sampleRate;  // one second

    std::ifstream in(argv[1], std::ios::binary);
    std::vector<int16_t> recorded;
    int16_t sample;
    while (in.read(reinterpret_cast<char*>(&sample), sizeof sample))
        recorded.push_back(sample);

    nimra::audio::cDecoder decoder;
    std::string why;
    if (decoder.open(argv[2], why) != nimra::audio::resultOk ||
        !decoder.seek(int64_t(ms) * nimra::audio::sampleRate / 1000)) {
        std::printf("cannot read %s at %ld ms: %s\n", argv[2], ms, why.c_str());
        return 1;
    }
    std::vector<int16_t> track(2 * frames);
    if (decoder.read(track.data(), frames) < frames) {
        std::printf("%s ends before %ld ms + 1 s\n", argv[2], ms);
        return 1;
    }
    // Both start at their first sound: the track's own first frames may be silent.
    size_t t = 0;
    while (t < track.size() && track[t] == 0)
        ++t;
    t -= t % 2;
    size_t r = static_cast<size_t>(fromByte / 2);
    r -= r % 2;
    while (r < recorded.size() && recorded[r] == 0)
        ++r;
    r -= r % 2;
    const size_t count = track.size() - t;
    if (r + count > recorded.size()) {
        std::printf("no full second of sound recorded after byte %ld (%zu samples there)\n",
                    fromByte, recorded.size() > r ? recorded.size() - r : 0);
        return 1;
    }
    size_t differ = 0;
    for (size_t i = 0; i < count; ++i)
        differ += recorded[r + i] != track[t + i];
    // Where the track's sample at ms went, given where its first sound did.
    const long long startByte = 2 * (static_cast<long long>(r) - static_cast<long long>(t));
    std::printf(
        "sound from recorded byte %zu: %zu of %zu samples differ from the track at %ld ms, "
        "which starts at byte %lld\n",
        2 * r, differ, count, ms, startByte);
    return differ == 0 ? 0 : 1;
}
