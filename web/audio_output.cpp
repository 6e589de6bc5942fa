// The audio layer's output in the browser. There are no threads: the page's frames feed it.
// With sound, each block of 1024 frames goes to Web Audio (Module.nimraAudio, in the page)
// as a buffer scheduled to start exactly where the last one ends, some way ahead of the
// moment it is heard, so that a slow frame does not starve the output; the audio layer is
// told when each block will be heard, so its position and spectrum follow what is heard.
// Where the output ran dry all the same (a frame slower than the queue, a hidden tab), the
// frames missed are decoded and dropped, so that the music keeps its place on the wall clock
// as the show does. The silent output mixes its blocks as the wall clock reaches them, as
// the native one's thread does.

#include <emscripten.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "audio/output.h"
#include "web/audio_output.h"

namespace nimra::audio {

namespace {

constexpr int blockFrames = 1024;
// How far ahead of the moment it is heard the output keeps its queue: longer than a slow
// frame on a software renderer, short enough that the layer's history (16384 frames) still
// holds the spectrum's 1024 frames before what is heard.
constexpr double queueSeconds = 0.25;

struct {
    cOutput* output = nullptr;  // the one running output
    cOutput::MixFunction mix = nullptr;
    void* context = nullptr;
    bool device = false;
    double clockStart = 0.0;  // the silent output: when it started, and what it has mixed
    int64_t clockFrames = 0;
    bool onClock = false;  // the sound output, held by the browser: on the clock meanwhile
    double firstHeardAt = 0.0;
    std::vector<int16_t> block = std::vector<int16_t>(2 * blockFrames);
} pump;

// Seconds queued ahead of what is heard; below 0 when the output ran dry. noSound: there is
// no AudioContext yet; held: there is one, but the browser holds it (no gesture yet).
constexpr double noSound = -1e9;
constexpr double held = -2e9;
EM_JS(double, queuedSeconds, (), {
    if (!Module.nimraAudio) return -1e9;
    return Module.nimraAudio.running() ? Module.nimraAudio.queuedSeconds() : -2e9;
});
EM_JS(double, nextHeardAt, (), { return Module.nimraAudio.nextHeardAt(); });
EM_JS(double, queueBlock, (const int16_t* frames, int count),
      { return Module.nimraAudio.queue(frames, count); });
EM_JS(void, skipFrames, (int count), { Module.nimraAudio.skip(count); });
EM_JS(void, flushQueue, (), {
    if (Module.nimraAudio) Module.nimraAudio.flush();
});

void mixBlock(int count) { pump.mix(pump.context, pump.block.data(), count); }

// The silent output's pace: every block mixed as the wall clock reaches it, as the native
// silent output's thread does.
void pumpClock() {
    const int64_t due =
        static_cast<int64_t>((emscripten_get_now() - pump.clockStart) * sampleRate / 1000.0);
    while (pump.clockFrames <= due) {
        mixBlock(blockFrames);
        pump.clockFrames += blockFrames;
    }
}

}  // namespace

void quietSoundLibraries() {}

Result cOutput::start(MixFunction mixFunction, void* mixContext, bool device) {
    stop();
    mix = mixFunction;
    context = mixContext;
    kind = device ? eKind::device : eKind::clock;
    pump.output = this;
    pump.mix = mixFunction;
    pump.context = mixContext;
    pump.device = device;
    pump.clockStart = emscripten_get_now();
    pump.clockFrames = 0;
    pump.firstHeardAt = 0.0;
    return resultOk;
}

void cOutput::stop() {
    if (pump.output == this) {
        flushQueue();
        pump.output = nullptr;
    }
    kind = eKind::none;
}

void pumpAudio() {
    if (!pump.output) return;
    cOutput& output = *pump.output;
    if (!pump.device) {
        pumpClock();
        return;
    }
    double queued = queuedSeconds();
    if (queued == noSound) return;  // the page has not asked for sound yet
    if (queued == held) {
        // Silent until the browser lets the sound start; the music goes on meanwhile, so
        // the pictures keep following it.
        if (!pump.onClock) {
            pump.onClock = true;
            pump.clockStart = emscripten_get_now();
            pump.clockFrames = 0;
            output.ahead = std::chrono::steady_clock::duration::zero();
            if (pump.firstHeardAt == 0.0) pump.firstHeardAt = emscripten_get_now();
        }
        pumpClock();
        return;
    }
    pump.onClock = false;
    if (queued < 0.0) {
        // The output ran dry: what should have been heard meanwhile is passed over, and the
        // queue starts again a little ahead.
        int missed = static_cast<int>(std::ceil((-queued + 0.05) * sampleRate));
        skipFrames(missed);
        output.ahead = std::chrono::steady_clock::duration::zero();
        while (missed > 0) {
            const int count = missed < blockFrames ? missed : blockFrames;
            mixBlock(count);
            missed -= count;
        }
        queued = 0.0;
    }
    while (queued < queueSeconds) {
        const double heardAt = nextHeardAt();
        output.ahead = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double, std::milli>(heardAt - emscripten_get_now()));
        mixBlock(blockFrames);
        const double queuedHeardAt = queueBlock(pump.block.data(), blockFrames);
        if (pump.firstHeardAt == 0.0) pump.firstHeardAt = queuedHeardAt;
        queued = queuedSeconds();
    }
}

void flushAudio() {
    flushQueue();
    pump.firstHeardAt = 0.0;
    pump.clockStart = emscripten_get_now();
    pump.clockFrames = 0;
}

double firstHeardAt() { return pump.device ? pump.firstHeardAt : emscripten_get_now(); }

}  // namespace nimra::audio
