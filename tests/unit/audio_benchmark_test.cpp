// Figures, not checks: run with
//   unit_tests --gtest_also_run_disabled_tests --gtest_filter='AudioBenchmark.*'
// NIMRA_BENCH_MP3 names a long track (the show's own) for the replay figure.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio.h"
#include "audio_fixture.h"

namespace nimra::audio {
namespace {

using steadyClock = std::chrono::steady_clock;

double secondsSince(steadyClock::time_point start) {
    return std::chrono::duration<double>(steadyClock::now() - start).count();
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           1e-6 * (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// Something busier than a pure tone: a moving chord with a noisy hi-hat on the beat.
std::string busyMusic(int seconds) {
    std::string name = fixture::files().folder + "/busy" + std::to_string(seconds) + ".mp3";
    const bool written =
        fixture::writeMp3(name, sampleRate, 2, seconds * sampleRate, [](int f, int c) {
            const double t = double(f) / sampleRate;
            const double beat = t * 103.1 / 60.0;
            const double chord =
                0.2 * std::sin(2 * fixture::pi * (220 + 20 * (int(beat) % 4)) * t) +
                0.15 * std::sin(2 * fixture::pi * 861.3 * t * (c ? 1.01 : 1.0));
            const double hat =
                (beat - int(beat) < 0.05) ? 0.1 * ((f * 2654435761u >> 16) % 2000 / 1000.0 - 1) : 0;
            return static_cast<float>(chord + hat);
        });
    return written ? name : std::string();
}

const std::string& thirtySeconds() {
    static const std::string path = busyMusic(30);
    return path;
}

struct cPlaying {
    cSystem* system = nullptr;
    cChannel* channel = nullptr;
};

// createToPlayMs: createStream and playSound together; movingMs: until the position first
// moves, that is, until the output has taken the first block and a millisecond has passed.
cPlaying startPlaying(const std::string& path, double* createToPlayMs, double* movingMs) {
    cPlaying playing;
    systemCreate(&playing.system);
    playing.system->init(100, 0, nullptr);
    const auto start = steadyClock::now();
    cSound* sound = nullptr;
    playing.system->createStream(path.c_str(), 0x4040, nullptr, &sound);
    playing.system->playSound(channelFree, sound, false, &playing.channel);
    *createToPlayMs = 1000 * secondsSince(start);
    uint32_t ms = 0;
    while (ms == 0 && secondsSince(start) < 1)
        playing.channel->getPosition(&ms);
    *movingMs = 1000 * secondsSince(start);
    return playing;
}

TEST(AudioBenchmark, DISABLED_PlaybackCost) {
    ASSERT_FALSE(thirtySeconds().empty());
    for (const char* driver : {"dummy", "no-such-driver"}) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        double createToPlay = 0, moving = 0;
        const cPlaying playing = startPlaying(thirtySeconds(), &createToPlay, &moving);
        const double cpuStart = cpuSeconds();
        const auto wallStart = steadyClock::now();
        bool still = true;
        while (still) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            playing.channel->isPlaying(&still);
        }
        const double cpu = cpuSeconds() - cpuStart;
        const double wall = secondsSince(wallStart);
        std::printf(
            "%s: createStream to playSound returned %.2f ms, position moving after %.2f ms; "
            "%.1f s played with %.3f s of CPU = %.2f%% of one core\n",
            driver, createToPlay, moving, wall, cpu, 100 * cpu / wall);
        playing.system->release();
    }
}

TEST(AudioBenchmark, DISABLED_SpectrumAndStepping) {
    ASSERT_FALSE(thirtySeconds().empty());
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    double createToPlay = 0, moving = 0;
    const cPlaying playing = startPlaying(thirtySeconds(), &createToPlay, &moving);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::vector<float> bins(spectrumBins);
    constexpr int calls = 20000;
    auto start = steadyClock::now();
    for (int i = 0; i < calls; ++i) {
        playing.channel->getSpectrum(bins.data(), spectrumBins, i & 1, fftWindowRect);
    }
    std::printf("getSpectrum while playing: %.2f us a call\n", 1e6 * secondsSince(start) / calls);
    playing.system->release();

    // The capture tool's pattern: step at 60 frames a second, read the spectrum each step.
    setNonRealTime(true);
    cSystem* system = nullptr;
    systemCreate(&system);
    system->init(100, 0, nullptr);
    cSound* sound = nullptr;
    system->createStream(thirtySeconds().c_str(), 0x4040, nullptr, &sound);
    cChannel* channel = nullptr;
    system->playSound(channelFree, sound, false, &channel);
    int steps = 0;
    start = steadyClock::now();
    for (double ms = 0; ms < 30000; ms += 1000.0 / 60, ++steps) {
        channel->setPosition(static_cast<uint32_t>(ms));
        channel->getSpectrum(bins.data(), spectrumBins, 0, fftWindowRect);
    }
    std::printf("non-real-time, 60 steps a second: %.1f us a step\n",
                1e6 * secondsSince(start) / steps);
    start = steadyClock::now();
    for (int i = 0; i < 200; ++i) {
        channel->setPosition(static_cast<uint32_t>((i * 7919) % 30000));
        channel->getSpectrum(bins.data(), spectrumBins, 0, fftWindowRect);
    }
    std::printf("non-real-time, random seeks: %.1f us a seek\n", 1e6 * secondsSince(start) / 200);
    system->release();
    setNonRealTime(false);
}

// Replaying the show's rules from 0 to a moment: a second, non-real-time system reads the
// spectrum at every 60-fps frame of 200 s in order, while the first plays the same file.
TEST(AudioBenchmark, DISABLED_ReplayReadingBesideAPlayer) {
    const char* named = std::getenv("NIMRA_BENCH_MP3");
    const std::string path = named ? std::string(named) : busyMusic(200);
    ASSERT_FALSE(path.empty());
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    double createToPlay = 0, moving = 0;
    const cPlaying playing = startPlaying(path, &createToPlay, &moving);

    cSystem* reader = nullptr;
    systemCreate(&reader, true);
    reader->init(100, 0, nullptr);
    cSound* sound = nullptr;
    reader->createStream(path.c_str(), 0x4040, nullptr, &sound);
    cChannel* channel = nullptr;
    reader->playSound(channelFree, sound, false, &channel);
    std::vector<float> bins(spectrumBins);
    constexpr int frames = 200 * 60;
    const double cpuStart = cpuSeconds();
    const auto start = steadyClock::now();
    for (int frame = 0; frame < frames; ++frame) {
        channel->setPosition(static_cast<uint32_t>(frame * 1000 / 60));
        channel->getSpectrum(bins.data(), spectrumBins, 0, fftWindowRect);
    }
    const double wall = secondsSince(start);
    std::printf(
        "replay of %d frames (200 s at 60 fps) beside a player: %.3f s wall, %.3f s CPU "
        "(%.1f us a frame)\n",
        frames, wall, cpuSeconds() - cpuStart, 1e6 * wall / frames);
    uint32_t played = 0;
    playing.channel->getPosition(&played);
    std::printf("the player meanwhile reached %u ms\n", played);
    reader->release();
    playing.system->release();
    if (!named) std::remove(path.c_str());
}

}  // namespace
}  // namespace nimra::audio
