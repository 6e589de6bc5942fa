#include "audio/audio.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/decoder.h"
#include "audio/output.h"
#include "audio/spectrum.h"

namespace nimra::audio {

using steadyClock = std::chrono::steady_clock;

// A spectrum window plus the largest block an output takes at once, with room to spare.
static constexpr int historyFrames = 16384;
// The most decoded in one go; also what the mix scratch starts at.
static constexpr int decodeChunk = 4096;
// In non-real-time mode a forward step longer than this seeks rather than decoding through.
static constexpr int64_t longestDecodeOn = 2 * sampleRate;
static constexpr int64_t noEnd = std::numeric_limits<int64_t>::max();
// How long a channel just started waits for its caller's next call before the output takes it
// anyway: far longer than two calls in a row take, far shorter than anyone could hear.
static constexpr auto startHold = std::chrono::milliseconds(10);

static bool nonRealTime = false;
void setNonRealTime(bool enabled) { nonRealTime = enabled; }
bool isNonRealTime() { return nonRealTime; }

static int64_t framesAt(uint32_t milliseconds) {
    return static_cast<int64_t>(milliseconds) * sampleRate / 1000;
}
// The last millisecond whose frame (as framesAt gives it) is at or before `frame`, so that a
// position set in milliseconds reads back as itself.
static uint32_t millisecondsAt(int64_t frame) {
    return static_cast<uint32_t>(((frame + 1) * 1000 - 1) / sampleRate);
}

const char* errorString(Result code) {
    switch (code) {
        case resultOk:
            return "No errors.";
        case resultFileNotFound:
            return "The file does not exist.";
        case resultFileBad:
            return "The file could not be read.";
        case resultFormat:
            return "The file is not an MP3 stream that can be played.";
        case resultInvalidParam:
            return "An argument was missing or out of range.";
        case resultInvalidHandle:
            return "A null or foreign sound or channel was passed.";
        case resultInitialised:
            return "The system is already initialised.";
        case resultUninitialised:
            return "The system has not been initialised.";
        case resultMemory:
            return "Out of memory or other resources.";
        case resultOutputInit:
            return "No audio output could be started, not even a silent one.";
        default:
            return "Unknown error.";
    }
}

class cSound {
public:
    cDecoder decoder;
    cChannel* channel = nullptr;  // made when first played
};

struct cSystem::cState {
    explicit cState(bool nonRealTime) : nonRealTime(nonRealTime) {}

    const bool nonRealTime;
    bool silentOutput = false;
    bool initialised = false;
    int maxChannels = 0;
    std::vector<std::unique_ptr<cSound>> sounds;
    cOutput output;

    // Held by the output for each block and by anything that moves a decoder; guards the
    // decoders, `playing` and `scratch`.
    std::mutex mixLock;
    std::vector<cChannel::cState*> playing;
    std::vector<int16_t> scratch;
};

struct cChannel::cState {
    cState(cSystem::cState& system, cDecoder& decoder) : system(system), decoder(decoder) {}

    cSystem::cState& system;
    cDecoder& decoder;

    // Guarded by historyLock, which is only ever held for copies, so that the spectrum never
    // waits for a block to decode. endFrame is written under the mix lock as well.
    std::mutex historyLock;
    cSampleHistory history{historyFrames};
    int64_t blockStart = 0;             // the stream frame the output's newest block began at
    steadyClock::time_point blockTime;  // and when it is heard (taken, unless queued ahead)
    int64_t endFrame = noEnd;           // where the stream ran dry
    uint32_t positionMs = 0;            // non-real-time: the position the caller set
    bool paused = false;                // written under the mix lock as well
    int64_t pausedFrame = 0;            // while paused: the next frame to output

    // Set by playSound, so that a setPosition straight after it decides the first frame
    // output; cleared by the caller's next call on the channel, or by the output once
    // startHold has passed. The mix lock guards heldSince.
    std::atomic<bool> held{false};
    steadyClock::time_point heldSince;

    cSpectrumAnalyser analyser;  // the caller's thread only
};

// The stream frame sounding now. The output takes whole blocks, so in real time the
// position runs on through the newest block on the clock until the next one is taken; an
// output that queues blocks ahead (the browser's) is still sounding frames before it.
// Caller holds historyLock.
static int64_t soundingFrame(const cChannel::cState& channel) {
    if (channel.system.nonRealTime) return framesAt(channel.positionMs);
    if (channel.paused) return channel.pausedFrame;
    const double elapsed =
        std::chrono::duration<double>(steadyClock::now() - channel.blockTime).count();
    return std::min(channel.history.end(),
                    channel.blockStart + static_cast<int64_t>(elapsed * sampleRate));
}

// Decodes up to `count` frames on into the channel's history, leaving them in the system's
// scratch. A short read marks the end of the stream. Caller holds the mix lock.
static int decodeOn(cChannel::cState& channel, int count, bool outputBlock) {
    std::vector<int16_t>& scratch = channel.system.scratch;
    if (scratch.size() < 2u * count) scratch.resize(2u * count);
    const int decoded = channel.decoder.read(scratch.data(), count);

    std::lock_guard<std::mutex> guard(channel.historyLock);
    if (outputBlock) {
        channel.blockStart = channel.history.end();
        channel.blockTime = steadyClock::now() + channel.system.output.untilHeard();
    }
    channel.history.append(scratch.data(), decoded);
    if (decoded < count) channel.endFrame = channel.history.end();
    return decoded;
}

// Puts the channel at stream frame `frame` with nothing output from there yet. Caller holds
// the mix lock.
static void restartAt(cChannel::cState& channel, int64_t frame) {
    const bool reached = channel.decoder.seek(frame);
    std::lock_guard<std::mutex> guard(channel.historyLock);
    channel.history.restart(frame);
    channel.blockStart = frame;
    channel.blockTime = steadyClock::now();
    channel.endFrame = reached ? noEnd : frame;
}

// Makes `frame` the next frame the channel outputs, keeping what the history holds before it
// for the spectrum. The history must reach `frame` unless the stream ended before it. Caller
// holds the mix lock.
static void cutAt(cChannel::cState& channel, int64_t frame) {
    {
        std::lock_guard<std::mutex> guard(channel.historyLock);
        if (frame >= channel.history.end()) return;
    }
    const bool reached = channel.decoder.seek(frame);
    std::lock_guard<std::mutex> guard(channel.historyLock);
    channel.history.dropFrom(frame);
    channel.endFrame = reached ? noEnd : frame;
}

// Real time: the output mixes a channel for exactly as long as it is not paused and its stream
// has not run dry. Caller holds the mix lock.
static void updateMixing(cChannel::cState& channel) {
    std::vector<cChannel::cState*>& playing = channel.system.playing;
    const auto found = std::find(playing.begin(), playing.end(), &channel);
    const bool live = channel.endFrame == noEnd && !channel.paused;
    if (live && found == playing.end()) playing.push_back(&channel);
    if (!live && found != playing.end()) playing.erase(found);
}

static void mixPlaying(void* context, int16_t* frames, int count) {
    auto& system = *static_cast<cSystem::cState*>(context);
    std::fill(frames, frames + 2 * count, int16_t{0});
    std::lock_guard<std::mutex> guard(system.mixLock);
    for (size_t i = 0; i < system.playing.size();) {
        cChannel::cState& channel = *system.playing[i];
        if (channel.held) {
            if (steadyClock::now() - channel.heldSince < startHold) {
                ++i;
                continue;
            }
            channel.held = false;
        }
        const int decoded = decodeOn(channel, count, true);
        const int16_t* source = system.scratch.data();
        for (int s = 0; s < 2 * decoded; ++s) {
            frames[s] = static_cast<int16_t>(std::clamp(frames[s] + source[s], -32768, 32767));
        }
        if (decoded < count) {
            system.playing.erase(system.playing.begin() + i);
        } else {
            ++i;
        }
    }
}

// Non-real-time: makes the history hold the 1024 frames that end at `target`. Small steps
// either way cost nothing or decode on; anything else seeks. Caller holds the mix lock.
static void decodeTo(cChannel::cState& channel, int64_t target) {
    const int64_t windowStart = std::max<int64_t>(0, target - fftSize);
    bool decodeFromHere;
    {
        std::lock_guard<std::mutex> guard(channel.historyLock);
        const cSampleHistory& history = channel.history;
        if (target >= channel.endFrame) return;  // silence from here on
        if (windowStart >= history.begin() && target <= history.end()) return;
        decodeFromHere = channel.endFrame == noEnd && target > history.end() &&
                         target - history.end() <= longestDecodeOn &&
                         windowStart >= history.begin();
    }
    if (!decodeFromHere) restartAt(channel, windowStart);

    for (;;) {
        int64_t missing;
        {
            std::lock_guard<std::mutex> guard(channel.historyLock);
            if (channel.endFrame != noEnd) return;
            missing = target - channel.history.end();
        }
        if (missing <= 0) return;
        const int count = static_cast<int>(std::min<int64_t>(missing, decodeChunk));
        if (decodeOn(channel, count, false) < count) return;
    }
}

Result systemCreate(cSystem** system) { return systemCreate(system, nonRealTime); }

Result systemCreate(cSystem** system, bool nonRealTimeSystem) {
    if (!system) return resultInvalidParam;
    *system = new cSystem(new cSystem::cState(nonRealTimeSystem));
    return resultOk;
}

Result cSystem::setSilentOutput() {
    if (state->initialised) return resultInitialised;
    state->silentOutput = true;
    return resultOk;
}

Result cSystem::init(int maxChannels, unsigned, void*) {
    if (state->initialised) return resultInitialised;
    if (maxChannels <= 0) return resultInvalidParam;
    state->maxChannels = maxChannels;
    state->scratch.resize(2 * decodeChunk);
    if (!state->nonRealTime) {
        const Result started = state->output.start(mixPlaying, state, !state->silentOutput);
        if (started != resultOk) return started;
    }
    state->initialised = true;
    return resultOk;
}

// The mode bits ask for what this layer always does (decoding in software, exact positions);
// there is no extended information to take.
Result cSystem::createStream(const char* path, unsigned, void*, cSound** sound) {
    if (!sound) return resultInvalidParam;
    *sound = nullptr;
    if (!path) return resultInvalidParam;
    if (!state->initialised) return resultUninitialised;

    auto stream = std::make_unique<cSound>();
    std::string why;
    const Result opened = stream->decoder.open(path, why);
    if (opened != resultOk) {
        std::printf("audio: cannot open %s: %s\n", path, why.c_str());
        std::fflush(stdout);
        return opened;
    }
    *sound = stream.get();
    state->sounds.push_back(std::move(stream));
    return resultOk;
}

Result cSystem::playSound(int channelIndex, cSound* sound, bool paused, cChannel** channel) {
    if (!channel) return resultInvalidParam;
    *channel = nullptr;
    if (!state->initialised) return resultUninitialised;
    const bool ours =
        std::any_of(state->sounds.begin(), state->sounds.end(),
                    [&](const std::unique_ptr<cSound>& s) { return s.get() == sound; });
    if (!sound || !ours) return resultInvalidHandle;
    if (paused) return resultInvalidParam;
    if (channelIndex != channelFree && (channelIndex < 0 || channelIndex >= state->maxChannels)) {
        return resultInvalidParam;
    }

    if (!sound->channel)
        sound->channel = new cChannel(new cChannel::cState(*state, sound->decoder));
    cChannel::cState& started = *sound->channel->state;
    {
        std::lock_guard<std::mutex> guard(state->mixLock);
        restartAt(started, 0);
        {
            std::lock_guard<std::mutex> history(started.historyLock);
            started.positionMs = 0;
            started.paused = false;
        }
        started.held = !state->nonRealTime;
        started.heldSince = steadyClock::now();
        if (!state->nonRealTime) updateMixing(started);
    }
    *channel = sound->channel;
    return resultOk;
}

Result cSystem::release() {
    // The output's thread reads the channels; it goes first.
    state->output.stop();
    for (const std::unique_ptr<cSound>& sound : state->sounds)
        delete sound->channel;
    delete state;
    delete this;
    return resultOk;
}

cChannel::~cChannel() { delete state; }

Result cChannel::getSpectrum(float* values, int count, int channelOffset, int windowType) {
    if (!values || count < 0 || count > spectrumBins || channelOffset < 0 || channelOffset > 1 ||
        windowType != fftWindowRect) {
        return resultInvalidParam;
    }
    if (!state->analyser.valid()) return resultMemory;
    state->held = false;

    float samples[fftSize];
    bool sounding;
    {
        std::lock_guard<std::mutex> guard(state->historyLock);
        const int64_t frame = soundingFrame(*state);
        sounding = frame < state->endFrame;
        if (sounding) state->history.window(frame, channelOffset, samples, fftSize);
    }
    if (sounding) {
        state->analyser.analyse(samples, values, count);
    } else {
        std::fill(values, values + count, 0.0f);
    }
    return resultOk;
}

Result cChannel::setPosition(uint32_t milliseconds) {
    std::lock_guard<std::mutex> guard(state->system.mixLock);
    const int64_t target = framesAt(milliseconds);
    if (state->system.nonRealTime) {
        decodeTo(*state, target);
        std::lock_guard<std::mutex> history(state->historyLock);
        state->positionMs = milliseconds;
    } else if (state->paused) {
        // As in non-real-time mode, so that the spectrum is there too; then nothing past the
        // target may be left decoded, as resuming outputs from the decoder on.
        decodeTo(*state, target);
        cutAt(*state, target);
        std::lock_guard<std::mutex> history(state->historyLock);
        state->pausedFrame = target;
    } else {
        restartAt(*state, target);
        updateMixing(*state);
    }
    state->held = false;
    return resultOk;
}

Result cChannel::getPosition(uint32_t* milliseconds) {
    if (!milliseconds) return resultInvalidParam;
    state->held = false;
    std::lock_guard<std::mutex> guard(state->historyLock);
    if (state->system.nonRealTime) {
        *milliseconds = state->positionMs;
    } else {
        *milliseconds = millisecondsAt(std::min(soundingFrame(*state), state->endFrame));
    }
    return resultOk;
}

Result cChannel::isPlaying(bool* playing) {
    if (!playing) return resultInvalidParam;
    state->held = false;
    std::lock_guard<std::mutex> guard(state->historyLock);
    *playing = soundingFrame(*state) < state->endFrame;
    return resultOk;
}

Result cChannel::setPaused(bool paused) {
    std::lock_guard<std::mutex> guard(state->system.mixLock);
    state->held = false;
    if (paused == state->paused) return resultOk;
    if (state->system.nonRealTime) {
        std::lock_guard<std::mutex> history(state->historyLock);
        state->paused = paused;
        return resultOk;
    }
    if (paused) {
        // Held on the whole millisecond getPosition reports, which is where resuming goes on.
        int64_t frame;
        {
            std::lock_guard<std::mutex> history(state->historyLock);
            frame = framesAt(millisecondsAt(std::min(soundingFrame(*state), state->endFrame)));
        }
        cutAt(*state, frame);
        std::lock_guard<std::mutex> history(state->historyLock);
        state->pausedFrame = frame;
        state->paused = true;
    } else {
        std::lock_guard<std::mutex> history(state->historyLock);
        state->paused = false;
        state->blockStart = state->pausedFrame;
        state->blockTime = steadyClock::now();
    }
    updateMixing(*state);
    return resultOk;
}

Result cChannel::getPaused(bool* paused) {
    if (!paused) return resultInvalidParam;
    state->held = false;
    std::lock_guard<std::mutex> guard(state->historyLock);
    *paused = state->paused;
    return resultOk;
}

}  // namespace nimra::audio
