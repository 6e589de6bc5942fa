#include "shell/reach.h"

#include <algorithm>
#include <chrono>
#include <iostream>

#include "audio/audio.h"
#include "demo/demo.h"
#include "runtime/state.h"
#include "shell/frame.h"

namespace nimra {

namespace {

// Where this module last left the show: at its start, on a frame of a fixed step, one short
// step after such a frame (a moment between two of them), or somewhere reached some other way
// (a long frame, a live frame) that no moment of the show is reached through.
enum class ePlace { start, step, offStep, elsewhere };

struct {
    audio::cSystem* system = nullptr;
    audio::cChannel* track = nullptr;  // the music again, read at any moment
    ePlace place = ePlace::start;
    int fps = showFrameRate;  // the step the show is on, with place == step
    long frame = 0;           // and its frame there
    uint64_t playedAt = 0;    // framesPlayed() when this module last moved the show
} reach;

// Frames played here read the clock from this.
uint32_t scheduledTicks = 0;
uint32_t readScheduledTicks() { return scheduledTicks; }

// Whether the show still stands where this module left it: no live frame has moved it since.
bool untouched() { return framesPlayed() == reach.playedAt; }

}  // namespace

int gridTime(long k, int fps) { return static_cast<int>((k * 1000 + fps / 2) / fps); }

long gridFrameBefore(int t, int fps) {
    long k = long(t) * fps / 1000;
    while (gridTime(k + 1, fps) <= t)
        ++k;
    while (k > 0 && gridTime(k, fps) > t)
        --k;
    return k;
}

long gridFrameAt(int t, int fps) {
    const long k = gridFrameBefore(t, fps);
    return gridTime(k, fps) == t ? k : -1;
}

bool openMomentTrack(const char* path) {
    if (reach.track) return true;
    audio::cSound* sound = nullptr;
    if (!reach.system && (audio::systemCreate(&reach.system, true) != audio::resultOk ||
                          reach.system->init(1, 0, nullptr) != audio::resultOk)) {
        return false;
    }
    // The show's own stream has already said why a file cannot be read.
    std::streambuf* out = std::cout.rdbuf(nullptr);
    reach.system->createStream(path, audio::modeSoftware | audio::modeAccurateTime, nullptr,
                               &sound);
    std::cout.rdbuf(out);
    std::cout.clear();
    if (sound) reach.system->playSound(audio::channelFree, sound, false, &reach.track);
    return reach.track != nullptr;
}

void startShowOver() {
    restartShow();
    demoTime = 0;
    frameTime = 0;
    resetFrameClock();
    reach.place = ePlace::start;
    reach.playedAt = framesPlayed();
}

// One frame at t on the fixed tick, with the track's spectrum at t.
static void playOne(int t, bool drawn) {
    const TickSource live = currentTickSource();
    audio::cChannel* playing = musicChannel;
    setTickSource(readScheduledTicks);
    if (reach.place == ePlace::start) {
        resetFrameClock();  // the show's first frame is 0 ms long
    } else {
        // The step is from the show's moment, whatever the clock did since.
        scheduledTicks = static_cast<uint32_t>(demoTime);
        syncFrameClock();
    }
    scheduledTicks = static_cast<uint32_t>(t);
    musicChannel = reach.track;
    if (reach.track) {
        reach.track->setPosition(static_cast<uint32_t>(t));
    } else {
        // Without the music the show plays on a silent spectrum, as it does live.
        std::fill(spectrum.begin(), spectrum.end(), 0.0f);
    }
    if (drawn) {
        renderFrame();
    } else {
        advanceFrame();
    }
    musicChannel = playing;
    setTickSource(live);
    reach.playedAt = framesPlayed();
}

void playFrameAt(int t, bool drawn, int fps) {
    if (!untouched()) reach.place = ePlace::elsewhere;
    if (reach.place == ePlace::start && t > 0) {
        // The show's first frame starts its clock at 0; every later frame keeps its own time.
        playOne(0, false);
        reach.place = ePlace::step;
        reach.fps = fps;
        reach.frame = 0;
    }
    const bool stepping = reach.place == ePlace::step && reach.fps == fps;
    ePlace reached = ePlace::elsewhere;
    long frame = -1;
    if (reach.place == ePlace::start) {
        reached = ePlace::step;
        frame = 0;
    } else if (stepping && t == gridTime(reach.frame + 1, fps)) {
        reached = ePlace::step;
        frame = reach.frame + 1;
    } else if (stepping && t > demoTime && t < gridTime(reach.frame + 1, fps)) {
        reached = ePlace::offStep;
        frame = reach.frame;
    }
    playOne(t, drawn);
    reach.place = reached;
    reach.fps = fps;
    reach.frame = frame;
}

void reachMoment(int ms, int fps) {
    const int target = std::clamp(ms, 0, showLength);
    if (!untouched()) reach.place = ePlace::elsewhere;
    const bool sameStep = reach.fps == fps;
    const bool there = sameStep && reach.place == ePlace::offStep && demoTime == target;
    const bool onStep = sameStep && reach.place == ePlace::step && demoTime <= target;
    if (!there && !onStep && reach.place != ePlace::start) startShowOver();

    // The frames on the way say nothing: their cameras' lines belong to moments nobody
    // watches.
    std::streambuf* out = std::cout.rdbuf(nullptr);
    if (!there) {
        const long last = gridFrameBefore(target, fps);
        const long first = reach.place == ePlace::start ? 0 : reach.frame + 1;
        for (long k = first; k <= last; ++k)
            playFrameAt(gridTime(k, fps), false, fps);
        // Off the step, the moment is one short step after its last frame.
        if (demoTime < target) playFrameAt(target, false, fps);
    }
    std::cout.rdbuf(out);
    std::cout.clear();

    // The live clock and the music go on from here together.
    syncFrameClock();
    if (musicChannel) musicChannel->setPosition(static_cast<uint32_t>(demoTime));
}

}  // namespace nimra
