#include "audio/spectrum.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace nimra::audio {

cSampleHistory::cSampleHistory(int capacity) : ring(2 * capacity), capacity(capacity) {}

void cSampleHistory::restart(int64_t frame) {
    start = frame;
    next = frame;
}

void cSampleHistory::dropFrom(int64_t frame) {
    if (frame < begin()) {
        restart(frame);
    } else if (frame < next) {
        // The slots of the dropped frames are what the next appends overwrite, so what is
        // held must not reach back further than it does now.
        start = begin();
        next = frame;
    }
}

void cSampleHistory::append(const int16_t* frames, int count) {
    // Only the newest `capacity` frames would survive anyway.
    if (count > capacity) {
        const int skipped = count - static_cast<int>(capacity);
        frames += 2 * skipped;
        next += skipped;
        count -= skipped;
    }
    int64_t slot = next % capacity;
    while (count > 0) {
        const int run = static_cast<int>(std::min<int64_t>(count, capacity - slot));
        std::memcpy(&ring[2 * slot], frames, sizeof(int16_t) * 2 * run);
        frames += 2 * run;
        count -= run;
        next += run;
        slot = 0;
    }
}

void cSampleHistory::window(int64_t endFrame, int channel, float* out, int count) const {
    std::fill(out, out + count, 0.0f);
    const int64_t first = endFrame - count;
    const int64_t from = std::max(first, begin());
    const int64_t to = std::min(endFrame, end());
    if (from >= to) return;

    constexpr float scale = 1.0f / 32768.0f;
    int64_t slot = from % capacity;
    float* target = out + (from - first);
    for (int64_t frame = from; frame < to; ++frame) {
        *target++ = ring[2 * slot + channel] * scale;
        if (++slot == capacity) slot = 0;
    }
}

cSpectrumAnalyser::cSpectrumAnalyser() : config(kiss_fftr_alloc(fftSize, 0, nullptr, nullptr)) {}

cSpectrumAnalyser::~cSpectrumAnalyser() { kiss_fftr_free(config); }

void cSpectrumAnalyser::analyse(const float* samples, float* magnitudes, int count) {
    kiss_fftr(config, samples, bins);
    // A sine's energy splits between bin k and its mirror, so each side carries half of
    // N times its amplitude; a constant lands whole in bin 0.
    const float scale = 2.0f / fftSize;
    for (int k = 0; k < count; ++k) {
        const float magnitude = std::sqrt(bins[k].r * bins[k].r + bins[k].i * bins[k].i);
        magnitudes[k] = magnitude * (k == 0 ? 0.5f * scale : scale);
    }
}

}  // namespace nimra::audio
