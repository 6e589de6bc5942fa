#pragma once
// What a channel's spectrum is taken from: a rolling record of the stereo frames it has
// output, addressed by their frame number in the stream, and the real FFT that turns one
// side of the latest 1024 of them into magnitudes.

#include <kiss_fftr.h>

#include <cstdint>
#include <vector>

#include "audio/audio.h"

namespace nimra::audio {

class cSampleHistory {
public:
    // capacity: how many of the newest frames are kept.
    explicit cSampleHistory(int capacity);

    // Forgets everything: the next frame appended is stream frame `frame`, and every frame
    // before it reads as silence.
    void restart(int64_t frame);
    // Forgets the frames from `frame` on, keeping those before it: the next frame appended is
    // stream frame `frame`. A frame before begin() restarts there instead.
    void dropFrom(int64_t frame);
    // Interleaved 16-bit stereo frames, following on from end().
    void append(const int16_t* frames, int count);
    // The frames held: [begin(), end()). end() is where the next append starts.
    int64_t begin() const { return next - capacity > start ? next - capacity : start; }
    int64_t end() const { return next; }

    // One side (0 = left) of the `count` frames just before stream frame `endFrame`, scaled
    // to [-1, 1). Frames never appended, or no longer kept, read as silence.
    void window(int64_t endFrame, int channel, float* out, int count) const;

private:
    std::vector<int16_t> ring;
    int64_t capacity;
    int64_t start = 0;
    int64_t next = 0;
};

class cSpectrumAnalyser {
public:
    cSpectrumAnalyser();
    ~cSpectrumAnalyser();
    cSpectrumAnalyser(const cSpectrumAnalyser&) = delete;
    cSpectrumAnalyser& operator=(const cSpectrumAnalyser&) = delete;

    bool valid() const { return config != nullptr; }

    // Bins 0 .. count-1 (count <= 512) of fftSize samples under a rectangular window, as
    // amplitudes: a sine of amplitude a centred on bin k reads a in bin k, a constant c
    // reads |c| in bin 0.
    void analyse(const float* samples, float* magnitudes, int count);

private:
    kiss_fftr_cfg config;
    kiss_fft_cpx bins[spectrumBins + 1];
};

}  // namespace nimra::audio
