#pragma once
// MP3 files for the audio tests, encoded with LAME at test time from signals the tests know,
// once per process, into a private folder removed at exit; and the calls every audio test
// makes of a channel, each expected to succeed.

#include <gtest/gtest.h>
#include <lame.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "audio/audio.h"

namespace nimra::audio::fixture {

constexpr double pi = 3.14159265358979323846;

// A sine centred on spectrum bin `bin` at the output rate, so that it reads `amplitude`.
inline float binTone(double bin, double amplitude, double frame, double rate = sampleRate) {
    return static_cast<float>(amplitude *
                              std::sin(2.0 * pi * bin * sampleRate / fftSize * frame / rate));
}

// signal(frame, channel) in [-1, 1].
using Signal = std::function<float(int frame, int channel)>;

// CBR with the LAME tag written back, so the decoder can drop the encoder's delay and
// padding and frame n of the file is frame n of the signal.
inline bool writeMp3(const std::string& path, int rate, int channels, int frames,
                     const Signal& signal) {
    std::vector<short> pcm(static_cast<size_t>(frames) * channels);
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            pcm[f * channels + c] = static_cast<short>(std::lround(32767.0f * signal(f, c)));
        }
    }

    lame_global_flags* lame = lame_init();
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_num_channels(lame, channels);
    lame_set_mode(lame, channels == 1 ? MONO : STEREO);
    lame_set_brate(lame, 192);
    lame_set_quality(lame, 5);
    std::FILE* file = std::fopen(path.c_str(), "wb+");
    bool written = file && lame_init_params(lame) >= 0;
    if (written) {
        std::vector<unsigned char> mp3(frames + frames / 4 + 7200);
        int bytes = channels == 1
                        ? lame_encode_buffer(lame, pcm.data(), pcm.data(), frames, mp3.data(),
                                             static_cast<int>(mp3.size()))
                        : lame_encode_buffer_interleaved(lame, pcm.data(), frames, mp3.data(),
                                                         static_cast<int>(mp3.size()));
        written = bytes >= 0 && std::fwrite(mp3.data(), 1, bytes, file) == size_t(bytes);
        bytes = lame_encode_flush(lame, mp3.data(), static_cast<int>(mp3.size()));
        written = written && bytes >= 0 && std::fwrite(mp3.data(), 1, bytes, file) == size_t(bytes);
        if (written) lame_mp3_tags_fid(lame, file);
    }
    if (file) std::fclose(file);
    lame_close(lame);
    return written;
}

// Left channel: bin 20 for the first 1.5 s, then bin 40. Right channel: bin 80 throughout.
// All at amplitude 0.5.
constexpr int tonesFrames = 3 * sampleRate;
constexpr int tonesSwitchFrame = 3 * sampleRate / 2;

// Different noise on each side at amplitude 0.3: no stretch of it repeats, so a recording
// matches it at one offset only.
constexpr int noiseFrames = 3 * sampleRate;
inline float noise(int frame, int channel) {
    uint32_t x = static_cast<uint32_t>(2 * frame + channel) * 2654435761u;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    return 0.3f * (static_cast<float>(x % 20001) / 10000.0f - 1.0f);
}

struct cFiles {
    std::string folder;
    std::string tones;    // 3 s, as above
    std::string brief;    // 0.3 s of bin 20 on both sides
    std::string mono;     // 1 s mono at 22.05 kHz, bin 20's frequency
    std::string noise;    // 3 s of fixture::noise
    std::string garbage;  // text with an .mp3 name
    bool ready = false;

    cFiles() {
        char name[] = "/tmp/nimra-audio-XXXXXX";
        if (!mkdtemp(name)) return;
        folder = name;
        tones = folder + "/tones.mp3";
        brief = folder + "/brief.mp3";
        mono = folder + "/mono.mp3";
        noise = folder + "/noise.mp3";
        garbage = folder + "/garbage.mp3";
        ready = writeMp3(tones, sampleRate, 2, tonesFrames,
                         [](int f, int c) {
                             if (c == 1) return binTone(80, 0.5, f);
                             return binTone(f < tonesSwitchFrame ? 20 : 40, 0.5, f);
                         }) &&
                writeMp3(brief, sampleRate, 2, 3 * sampleRate / 10,
                         [](int f, int) { return binTone(20, 0.5, f); }) &&
                writeMp3(mono, sampleRate / 2, 1, sampleRate / 2,
                         [](int f, int) { return binTone(20, 0.5, f, sampleRate / 2); }) &&
                writeMp3(noise, sampleRate, 2, noiseFrames, fixture::noise);
        if (std::FILE* text = std::fopen(garbage.c_str(), "w")) {
            std::fputs("these are not the frames you are looking for\n", text);
            std::fclose(text);
        } else {
            ready = false;
        }
    }
    ~cFiles() {
        for (const std::string* path : {&tones, &brief, &mono, &noise, &garbage}) {
            std::remove(path->c_str());
        }
        if (!folder.empty()) rmdir(folder.c_str());
    }
};

inline const cFiles& files() {
    static const cFiles made;
    return made;
}

// Sets an environment variable (SDL's audio driver and its settings) for one test and puts
// the old setting back after it.
class cEnvironment {
public:
    cEnvironment(const char* name, const std::string& value) : name(name) {
        if (const char* old = std::getenv(name)) {
            previous = old;
            hadOne = true;
        }
        setenv(name, value.c_str(), 1);
    }
    ~cEnvironment() {
        if (hadOne) {
            setenv(name.c_str(), previous.c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    cEnvironment(const cEnvironment&) = delete;
    cEnvironment& operator=(const cEnvironment&) = delete;

private:
    std::string name;
    std::string previous;
    bool hadOne = false;
};

inline int loudestBin(const std::vector<float>& bins) {
    int loudest = 0;
    for (int k = 1; k < static_cast<int>(bins.size()); ++k) {
        if (bins[k] > bins[loudest]) loudest = k;
    }
    return loudest;
}

// A stream of the file, playing on a free channel of the system.
inline cChannel* playStream(cSystem* system, const std::string& path) {
    cSound* sound = nullptr;
    EXPECT_EQ(system->createStream(path.c_str(), 0x4040, nullptr, &sound), resultOk);
    cChannel* channel = nullptr;
    EXPECT_EQ(system->playSound(channelFree, sound, false, &channel), resultOk);
    return channel;
}

inline std::vector<float> channelSpectrum(cChannel* channel) {
    std::vector<float> bins(spectrumBins, -1.0f);
    EXPECT_EQ(channel->getSpectrum(bins.data(), spectrumBins, 0, fftWindowRect), resultOk);
    return bins;
}

inline uint32_t channelPosition(cChannel* channel) {
    uint32_t ms = 0;
    EXPECT_EQ(channel->getPosition(&ms), resultOk);
    return ms;
}

}  // namespace nimra::audio::fixture
