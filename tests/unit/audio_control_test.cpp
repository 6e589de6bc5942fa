// Real-time playback under the caller's control: exact starts and seeks, pausing, the silent
// output asked for, a non-real-time system beside a playing one, and what is printed without
// a sound card. What plays is checked sample by sample in the recording SDL's disk driver
// makes, against the same file decoded straight through.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio.h"
#include "audio/decoder.h"
#include "audio/spectrum.h"
#include "audio_fixture.h"

namespace nimra::audio {
namespace {

using fixture::cEnvironment;
using fixture::channelPosition;
using fixture::channelSpectrum;
using fixture::files;
using fixture::loudestBin;
using fixture::playStream;
using Frames = std::vector<int16_t>;  // interleaved stereo

int64_t frameAt(uint32_t ms) { return static_cast<int64_t>(ms) * sampleRate / 1000; }
int64_t frameCount(const Frames& frames) { return static_cast<int64_t>(frames.size() / 2); }

const Frames& noiseTrack() {
    static const Frames track = [] {
        Frames frames;
        cDecoder decoder;
        std::string why;
        if (decoder.open(files().noise.c_str(), why) != resultOk) return frames;
        int16_t block[2 * 4096];
        for (;;) {
            const int count = decoder.read(block, 4096);
            frames.insert(frames.end(), block, block + 2 * count);
            if (count < 4096) return frames;
        }
    }();
    return track;
}

// The spectrum a channel should give at `frame` of the track: its left side's 1024 frames
// before it, with silence before the start.
std::vector<float> trackSpectrum(const Frames& track, int64_t frame) {
    std::vector<float> window(fftSize, 0.0f);
    for (int i = 0; i < fftSize; ++i) {
        const int64_t f = frame - fftSize + i;
        if (f >= 0 && f < frameCount(track)) window[i] = track[2 * f] / 32768.0f;
    }
    cSpectrumAnalyser analyser;
    std::vector<float> bins(spectrumBins);
    analyser.analyse(window.data(), bins.data(), spectrumBins);
    return bins;
}

// The first frame at or after `from` that is not silent on both sides.
int64_t firstSound(const Frames& frames, int64_t from) {
    while (from < frameCount(frames) && frames[2 * from] == 0 && frames[2 * from + 1] == 0)
        ++from;
    return from;
}

// How many frames from `at` on are the track's own from `from` on.
int64_t sameRun(const Frames& frames, int64_t at, const Frames& track, int64_t from) {
    int64_t run = 0;
    while (at + run < frameCount(frames) && from + run < frameCount(track) &&
           frames[2 * (at + run)] == track[2 * (from + run)] &&
           frames[2 * (at + run) + 1] == track[2 * (from + run) + 1]) {
        ++run;
    }
    return run;
}

// SDL's disk driver for one test, taking a 1024-frame block every `blockDelayMs`.
class cRecording {
public:
    explicit cRecording(int blockDelayMs)
        : path(files().folder + "/recording.raw"),
          driver("SDL_AUDIODRIVER", "disk"),
          file("SDL_DISKAUDIOFILE", path),
          delay("SDL_DISKAUDIODELAY", std::to_string(blockDelayMs)) {}
    ~cRecording() { std::remove(path.c_str()); }

    bool exists() const {
        struct stat status;
        return stat(path.c_str(), &status) == 0;
    }
    // Complete once the system that played has been released.
    Frames frames() const {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        Frames frames(static_cast<size_t>(in.tellg()) / sizeof(int16_t));
        in.seekg(0);
        in.read(reinterpret_cast<char*>(frames.data()), frames.size() * sizeof(int16_t));
        return frames;
    }

    const std::string path;

private:
    cEnvironment driver, file, delay;
};

class AudioControl : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(files().ready) << "could not encode the test MP3 files";
        ASSERT_GT(frameCount(noiseTrack()), 2 * sampleRate);
    }
    void TearDown() override {
        for (cSystem* made : systems)
            made->release();
        setNonRealTime(false);
    }

    cSystem* start(bool nonRealTime = false) {
        cSystem* made = nullptr;
        EXPECT_EQ(systemCreate(&made, nonRealTime), resultOk);
        EXPECT_EQ(made->init(100, 0, nullptr), resultOk);
        systems.push_back(made);
        return made;
    }
    void release(cSystem* made) {
        systems.erase(std::remove(systems.begin(), systems.end(), made), systems.end());
        made->release();
    }

    static void expectSame(const std::vector<float>& actual, const std::vector<float>& expected,
                           const std::string& where) {
        for (int k = 0; k < spectrumBins; ++k)
            ASSERT_NEAR(actual[k], expected[k], 1e-6f) << where << ", bin " << k;
    }
    static bool paused(cChannel* channel) {
        bool paused = false;
        EXPECT_EQ(channel->getPaused(&paused), resultOk);
        return paused;
    }
    static void wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    std::vector<cSystem*> systems;
};

TEST_F(AudioControl, StartsAndSeeksLandOnTheirExactSample) {
    const Frames& track = noiseTrack();
    Frames heard;
    {
        cRecording recording(10);
        cSystem* system = start();
        cChannel* channel = playStream(system, files().noise);
        ASSERT_EQ(channel->setPosition(777), resultOk);
        wait(120);
        ASSERT_EQ(channel->setPosition(1500), resultOk);
        wait(120);
        release(system);
        heard = recording.frames();
    }
    // Silence until the start, the track from 777 ms up to the seek, then from 1500 ms to the
    // end of the recording: nothing from 0, nothing between, no frame off.
    const int64_t started = firstSound(heard, 0);
    const int64_t beforeSeek = sameRun(heard, started, track, frameAt(777));
    EXPECT_GE(beforeSeek, 1024);
    EXPECT_EQ(sameRun(heard, started + beforeSeek, track, frameAt(1500)),
              frameCount(heard) - started - beforeSeek);
}

TEST_F(AudioControl, TheFirstSampleIsTheOneAskedForHoweverSoonTheOutputWakes) {
    // An output that takes block after block with no pause between: any block taken between
    // playSound and the setPosition after it would show at the start.
    const Frames& track = noiseTrack();
    for (uint32_t ms = 100; ms < 1000; ms += 37) {
        Frames heard;
        {
            cRecording recording(0);
            cSystem* system = start();
            ASSERT_EQ(playStream(system, files().noise)->setPosition(ms), resultOk);
            wait(15);
            release(system);
            heard = recording.frames();
        }
        const int64_t started = firstSound(heard, 0);
        ASSERT_GE(sameRun(heard, started, track, frameAt(ms)), 4096) << "starting at " << ms;
    }
}

TEST_F(AudioControl, PauseOutputsSilenceAndResumesOnTheSampleItHeld) {
    const Frames& track = noiseTrack();
    Frames heard;
    uint32_t heldAt = 0;
    {
        cRecording recording(10);
        cSystem* system = start();
        cChannel* channel = playStream(system, files().noise);
        EXPECT_FALSE(paused(channel));
        wait(150);
        ASSERT_EQ(channel->setPaused(true), resultOk);
        EXPECT_TRUE(paused(channel));
        heldAt = channelPosition(channel);
        const auto heldSpectrum = channelSpectrum(channel);
        expectSame(heldSpectrum, trackSpectrum(track, frameAt(heldAt)), "paused");

        wait(100);
        EXPECT_EQ(channelPosition(channel), heldAt);
        EXPECT_EQ(channelSpectrum(channel), heldSpectrum) << "the same values every call";
        bool playing = false;
        EXPECT_EQ(channel->isPlaying(&playing), resultOk);
        EXPECT_TRUE(playing);
        EXPECT_EQ(channel->setPaused(true), resultOk) << "pausing twice changes nothing";
        EXPECT_EQ(channelPosition(channel), heldAt);

        ASSERT_EQ(channel->setPaused(false), resultOk);
        EXPECT_FALSE(paused(channel));
        wait(100);
        EXPECT_GT(channelPosition(channel), heldAt + 20);
        release(system);
        heard = recording.frames();
    }
    // Up to the pause everything was heard, and at most the block the output already had
    // beyond it; then silence, then the track again from exactly the millisecond held.
    const int64_t started = firstSound(heard, 0);
    const int64_t beforePause = sameRun(heard, started, track, 0);
    EXPECT_GE(beforePause, frameAt(heldAt));
    EXPECT_LE(beforePause, frameAt(heldAt) + 1024 + 45);
    const int64_t resumed = firstSound(heard, started + beforePause);
    EXPECT_GE(resumed - (started + beforePause), 2048) << "silence while paused";
    EXPECT_GE(sameRun(heard, resumed, track, frameAt(heldAt)), 2048);
}

TEST_F(AudioControl, SeeksWhilePausedMoveThePositionAndSpectrumAndStayPaused) {
    const Frames& track = noiseTrack();
    Frames heard;
    {
        cRecording recording(10);
        cSystem* system = start();
        cSound* sound = nullptr;
        ASSERT_EQ(system->createStream(files().noise.c_str(), 0x4040, nullptr, &sound), resultOk);
        cChannel* channel = nullptr;
        ASSERT_EQ(system->playSound(channelFree, sound, false, &channel), resultOk);
        wait(100);
        ASSERT_EQ(channel->setPaused(true), resultOk);
        // Just past the start; far on; back beyond what is held; far back; a step on; and a
        // step back into what was decoded, which resuming must not skip.
        for (uint32_t ms : {1u, 1500u, 1420u, 300u, 320u, 310u}) {
            ASSERT_EQ(channel->setPosition(ms), resultOk);
            EXPECT_EQ(channelPosition(channel), ms);
            expectSame(channelSpectrum(channel), trackSpectrum(track, frameAt(ms)),
                       "at " + std::to_string(ms) + " ms");
            EXPECT_TRUE(paused(channel));
        }
        wait(60);
        EXPECT_EQ(channelPosition(channel), 310u);
        ASSERT_EQ(channel->setPaused(false), resultOk);
        wait(100);

        // Playing the sound again starts it afresh, unpaused.
        ASSERT_EQ(channel->setPaused(true), resultOk);
        cChannel* again = nullptr;
        ASSERT_EQ(system->playSound(channelFree, sound, false, &again), resultOk);
        EXPECT_EQ(again, channel);
        EXPECT_FALSE(paused(again));
        wait(60);
        EXPECT_GT(channelPosition(again), 20u);
        EXPECT_LT(channelPosition(again), 310u);
        release(system);
        heard = recording.frames();
    }
    const int64_t started = firstSound(heard, 0);
    const int64_t beforePause = sameRun(heard, started, track, 0);
    EXPECT_GE(beforePause, 1024);
    const int64_t resumed = firstSound(heard, started + beforePause);
    EXPECT_GE(resumed - (started + beforePause), 2048) << "silence while paused";
    EXPECT_GE(sameRun(heard, resumed, track, frameAt(310)), 2048);
}

TEST_F(AudioControl, SilentOutputAskedForOpensNoDeviceAndSaysNothing) {
    cRecording recording(10);
    ASSERT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    cSystem* system = nullptr;
    ASSERT_EQ(systemCreate(&system, false), resultOk);
    systems.push_back(system);
    EXPECT_EQ(system->setSilentOutput(), resultOk);
    testing::internal::CaptureStdout();
    ASSERT_EQ(system->init(100, 0, nullptr), resultOk);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(system->setSilentOutput(), resultInitialised);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "SDL audio left alone";

    // The stream still runs on the wall clock, and the spectrum with it.
    cChannel* channel = playStream(system, files().tones);
    const auto playStarted = std::chrono::steady_clock::now();
    wait(300);
    const double elapsed =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - playStarted)
            .count();
    EXPECT_NEAR(channelPosition(channel), elapsed, 50.0);
    EXPECT_EQ(loudestBin(channelSpectrum(channel)), 20);
    release(system);
    EXPECT_FALSE(recording.exists()) << "the disk driver was opened";
}

TEST_F(AudioControl, NonRealTimeSystemReadsBesideAPlayingOne) {
    const Frames& track = noiseTrack();
    Frames heard;
    {
        cRecording recording(10);
        cSystem* player = start();
        cChannel* playing = playStream(player, files().noise);
        wait(50);

        // The replay pattern: every 60-fps frame in order, then back to the start.
        testing::internal::CaptureStdout();
        cSystem* reader = start(true);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_FALSE(isNonRealTime());
        cChannel* reading = playStream(reader, files().noise);
        for (int frame = 0; frame * 1000 / 60 <= 2500; ++frame) {
            const uint32_t ms = frame * 1000 / 60;
            ASSERT_EQ(reading->setPosition(ms), resultOk);
            expectSame(channelSpectrum(reading), trackSpectrum(track, frameAt(ms)),
                       "at " + std::to_string(ms) + " ms");
        }
        ASSERT_EQ(reading->setPosition(40), resultOk);
        expectSame(channelSpectrum(reading), trackSpectrum(track, frameAt(40)), "back at 40 ms");
        release(reader);

        wait(50);
        EXPECT_GT(channelPosition(playing), 100u);
        release(player);
        heard = recording.frames();
    }
    // The player's output went on untouched from the start to the end of the recording.
    const int64_t started = firstSound(heard, 0);
    EXPECT_EQ(sameRun(heard, started, track, 0), frameCount(heard) - started);

    // And the other way round: a real-time system while the process-wide switch is on.
    setNonRealTime(true);
    cEnvironment driver("SDL_AUDIODRIVER", "dummy");
    cChannel* channel = playStream(start(false), files().tones);
    wait(150);
    EXPECT_GT(channelPosition(channel), 50u) << "plays on its own";
}

// Without a sound card ALSA, under SDL, would print its own errors before the layer's line.
// On a machine with one there is nothing to see.
TEST_F(AudioControl, WithoutASoundCardInitSaysSoInOneLineOnly) {
    cEnvironment driver("SDL_AUDIODRIVER", "alsa");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    start();
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string printed = testing::internal::GetCapturedStdout();
    if (printed.empty()) GTEST_SKIP() << "an ALSA device opened";
    EXPECT_EQ(errors, "");
    EXPECT_EQ(printed.rfind("audio: no audio device (", 0), 0u) << printed;
    EXPECT_EQ(printed.find('\n'), printed.size() - 1) << printed;
}

TEST_F(AudioControl, QuietSoundLibrariesCoversAProbeMadeOutsideTheLayer) {
    // As the shell does: SDL_Init starts SDL audio before any system exists.
    cEnvironment driver("SDL_AUDIODRIVER", "alsa");
    quietSoundLibraries();
    testing::internal::CaptureStderr();
    SDL_InitSubSystem(SDL_INIT_AUDIO);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace nimra::audio
