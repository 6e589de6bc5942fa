// Real-time playback: through SDL's dummy device, and through the silent clock-driven
// output that stands in when no device opens.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio.h"
#include "audio_fixture.h"

namespace nimra::audio {
namespace {

using fixture::channelPosition;
using fixture::channelSpectrum;
using fixture::files;
using fixture::loudestBin;

// SDL's audio driver for one test.
class cAudioDriver : public fixture::cEnvironment {
public:
    explicit cAudioDriver(const char* driver) : cEnvironment("SDL_AUDIODRIVER", driver) {}
};

class AudioPlayback : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(files().ready) << "could not encode the test MP3 files"; }
    void TearDown() override {
        if (system) system->release();
    }

    // Returns what init printed.
    std::string start() {
        testing::internal::CaptureStdout();
        EXPECT_EQ(systemCreate(&system), resultOk);
        EXPECT_EQ(system->init(100, 0, nullptr), resultOk);
        return testing::internal::GetCapturedStdout();
    }

    cChannel* play(const std::string& path) { return fixture::playStream(system, path); }

    static bool playing(cChannel* channel) {
        bool playing = false;
        EXPECT_EQ(channel->isPlaying(&playing), resultOk);
        return playing;
    }

    static void wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    cSystem* system = nullptr;
};

TEST_F(AudioPlayback, DummyDevicePlaysTheStreamOnTheClock) {
    cAudioDriver driver("dummy");
    EXPECT_EQ(start(), "") << "the dummy device should open";
    cChannel* channel = play(files().tones);
    ASSERT_NE(channel, nullptr);

    wait(250);
    EXPECT_TRUE(playing(channel));
    EXPECT_GT(channelPosition(channel), 150u);
    EXPECT_LT(channelPosition(channel), 500u);
    const auto bins = channelSpectrum(channel);
    EXPECT_EQ(loudestBin(bins), 20);
    EXPECT_GT(bins[20], 0.3f);

    // Moving playback on: the spectrum follows straight away.
    ASSERT_EQ(channel->setPosition(2000), resultOk);
    wait(100);
    EXPECT_GE(channelPosition(channel), 2020u);
    EXPECT_LT(channelPosition(channel), 2400u);
    EXPECT_EQ(loudestBin(channelSpectrum(channel)), 40);
}

TEST_F(AudioPlayback, StreamEndsInSilence) {
    cAudioDriver driver("dummy");
    start();
    cChannel* channel = play(files().brief);
    ASSERT_NE(channel, nullptr);

    wait(600);
    EXPECT_FALSE(playing(channel));
    EXPECT_NEAR(channelPosition(channel), 300.0, 1.0) << "the position stops at the end";
    for (float bin : channelSpectrum(channel))
        ASSERT_EQ(bin, 0.0f);
}

TEST_F(AudioPlayback, WithoutADeviceTheSilentOutputKeepsTime) {
    cAudioDriver driver("no-such-driver");
    const std::string printed = start();
    EXPECT_NE(printed.find("playing silently"), std::string::npos) << printed;
    EXPECT_EQ(printed.find('\n'), printed.size() - 1) << "one line: " << printed;
    cChannel* channel = play(files().tones);
    ASSERT_NE(channel, nullptr);

    const auto started = std::chrono::steady_clock::now();
    wait(300);
    const double elapsed =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    // Within two blocks of the wall clock: the first block is taken up to one block late.
    EXPECT_NEAR(channelPosition(channel), elapsed, 50.0);
    EXPECT_TRUE(playing(channel));
    const auto bins = channelSpectrum(channel);
    EXPECT_EQ(loudestBin(bins), 20);
    EXPECT_GT(bins[20], 0.3f);
}

}  // namespace
}  // namespace nimra::audio
