// Streams read through the non-real-time path, where the test sets the position: decoding,
// stepping and seeking, the ends of the stream, bad files and bad calls, error strings.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "audio_fixture.h"

namespace nimra::audio {
namespace {

using fixture::files;
using fixture::loudestBin;

class AudioStream : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(files().ready) << "could not encode the test MP3 files";
        setNonRealTime(true);
        ASSERT_EQ(systemCreate(&system), resultOk);
        ASSERT_EQ(system->init(100, 0, nullptr), resultOk);
    }
    void TearDown() override {
        if (system) system->release();
        setNonRealTime(false);
    }

    cChannel* play(const std::string& path) {
        cSound* sound = nullptr;
        EXPECT_EQ(
            system->createStream(path.c_str(), modeSoftware | modeAccurateTime, nullptr, &sound),
            resultOk);
        cChannel* channel = nullptr;
        EXPECT_EQ(system->playSound(channelFree, sound, false, &channel), resultOk);
        return channel;
    }

    static std::vector<float> spectrum(cChannel* channel, int side = 0) {
        std::vector<float> bins(spectrumBins, -1.0f);
        EXPECT_EQ(channel->getSpectrum(bins.data(), spectrumBins, side, fftWindowRect), resultOk);
        return bins;
    }

    static std::vector<float> spectrumAt(cChannel* channel, uint32_t ms, int side = 0) {
        EXPECT_EQ(channel->setPosition(ms), resultOk);
        return spectrum(channel, side);
    }

    static bool silent(const std::vector<float>& bins) {
        for (float bin : bins) {
            if (bin != 0.0f) return false;
        }
        return true;
    }

    static void expectSame(const std::vector<float>& a, const std::vector<float>& b) {
        for (int k = 0; k < spectrumBins; ++k)
            ASSERT_NEAR(a[k], b[k], 1e-5f) << "bin " << k;
    }

    cSystem* system = nullptr;
};

TEST_F(AudioStream, EachPositionShowsTheToneThatPlaysThere) {
    cChannel* channel = play(files().tones);
    ASSERT_NE(channel, nullptr);
    EXPECT_TRUE(silent(spectrum(channel))) << "nothing has been played yet";

    auto left = spectrumAt(channel, 500);
    EXPECT_EQ(loudestBin(left), 20);
    EXPECT_NEAR(left[20], 0.5f, 0.03f);
    EXPECT_LT(left[40], 0.01f);
    const auto right = spectrum(channel, 1);
    EXPECT_EQ(loudestBin(right), 80);
    EXPECT_NEAR(right[80], 0.5f, 0.03f);
    EXPECT_LT(right[20], 0.01f);

    left = spectrumAt(channel, 2500);
    EXPECT_EQ(loudestBin(left), 40);
    EXPECT_NEAR(left[40], 0.5f, 0.03f);
    EXPECT_LT(left[20], 0.01f);

    uint32_t ms = 0;
    bool playing = false;
    EXPECT_EQ(channel->getPosition(&ms), resultOk);
    EXPECT_EQ(ms, 2500u);
    EXPECT_EQ(channel->isPlaying(&playing), resultOk);
    EXPECT_TRUE(playing);
}

TEST_F(AudioStream, SeeksLandOnTheSameSamplesAsDecodingStraightThrough) {
    cChannel* channel = play(files().tones);
    ASSERT_NE(channel, nullptr);
    // Frame by frame at 60 Hz, as the capture tool steps.
    std::vector<float> stepped1000, stepped2800;
    for (uint32_t ms = 0; ms <= 2800; ms += 16) {
        channel->setPosition(ms);
        if (ms == 1008) stepped1000 = spectrum(channel);
        if (ms == 2800) stepped2800 = spectrum(channel);
    }
    ASSERT_FALSE(silent(stepped1000));

    // Back beyond what is still held, forward again by decoding on, then a long jump.
    expectSame(spectrumAt(channel, 1008), stepped1000);
    expectSame(spectrumAt(channel, 2800), stepped2800);
    expectSame(spectrumAt(channel, 1008), stepped1000);
    spectrumAt(channel, 0);
    expectSame(spectrumAt(channel, 2800), stepped2800);

    // A small step back reads from what was already decoded.
    const auto at2790 = spectrumAt(channel, 2790);
    channel->setPosition(2800);
    expectSame(spectrumAt(channel, 2790), at2790);
}

TEST_F(AudioStream, BeforeTheStartIsPaddedAndPastTheEndIsSilent) {
    cChannel* channel = play(files().tones);
    ASSERT_NE(channel, nullptr);

    // 10 ms is 441 frames: the window is mostly leading silence, but the tone is there.
    const auto early = spectrumAt(channel, 10);
    EXPECT_EQ(loudestBin(early), 20);
    EXPECT_GT(early[20], 0.1f);
    EXPECT_LT(early[20], 0.4f);

    bool playing = true;
    EXPECT_TRUE(silent(spectrumAt(channel, 3010)));
    EXPECT_EQ(channel->isPlaying(&playing), resultOk);
    EXPECT_FALSE(playing);
    EXPECT_TRUE(silent(spectrumAt(channel, 60000)));
    uint32_t ms = 0;
    channel->getPosition(&ms);
    EXPECT_EQ(ms, 60000u);

    // The end is no dead end: going back plays again.
    EXPECT_EQ(loudestBin(spectrumAt(channel, 2990)), 40);
    channel->isPlaying(&playing);
    EXPECT_TRUE(playing);
    EXPECT_EQ(loudestBin(spectrumAt(channel, 500)), 20);

    // Straight past the end of a fresh stream (a seek that finds nothing), then back; and
    // playing the stream again starts it from the beginning.
    cChannel* again = nullptr;
    cSound* sound = nullptr;
    ASSERT_EQ(system->createStream(files().brief.c_str(), 0, nullptr, &sound), resultOk);
    ASSERT_EQ(system->playSound(channelFree, sound, false, &again), resultOk);
    EXPECT_TRUE(silent(spectrumAt(again, 5000)));
    again->isPlaying(&playing);
    EXPECT_FALSE(playing);
    EXPECT_EQ(loudestBin(spectrumAt(again, 200)), 20);
    ASSERT_EQ(system->playSound(channelFree, sound, false, &again), resultOk);
    again->getPosition(&ms);
    EXPECT_EQ(ms, 0u);
    EXPECT_TRUE(silent(spectrum(again)));
}

TEST_F(AudioStream, MonoAtAnotherRateComesOutAsStereoAt44k) {
    cChannel* channel = play(files().mono);
    ASSERT_NE(channel, nullptr);
    for (int side = 0; side < 2; ++side) {
        const auto bins = spectrumAt(channel, 500, side);
        EXPECT_EQ(loudestBin(bins), 20) << "side " << side;
        EXPECT_NEAR(bins[20], 0.5f, 0.05f) << "side " << side;
    }
}

TEST_F(AudioStream, MissingOrUnreadableFilesGiveNullSoundsAndOneLine) {
    const std::string missing = files().folder + "/tromblo-slow_harbour.mp3";
    struct {
        std::string path;
        Result expected;
        std::string because;
    } cases[] = {
        {missing, resultFileNotFound, "No such file or directory"},
        {files().garbage, resultFormat, "not a playable MP3 stream"},
        {files().folder, resultFileBad, "Is a directory"},
    };
    for (const auto& c : cases) {
        int marker = 0;
        cSound* sound = reinterpret_cast<cSound*>(&marker);
        testing::internal::CaptureStdout();
        EXPECT_EQ(system->createStream(c.path.c_str(), 0x4040, nullptr, &sound), c.expected);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(sound, nullptr);
        EXPECT_EQ(printed.rfind("audio: cannot open " + c.path + ": ", 0), 0u) << printed;
        EXPECT_NE(printed.find(c.because), std::string::npos) << printed;
        EXPECT_EQ(printed.find('\n'), printed.size() - 1) << printed;

        // What the shell then does with it: no channel, so no spectrum is ever read.
        cChannel* channel = reinterpret_cast<cChannel*>(&marker);
        EXPECT_EQ(system->playSound(channelFree, sound, false, &channel), resultInvalidHandle);
        EXPECT_EQ(channel, nullptr);
    }
}

TEST_F(AudioStream, CallsOutOfOrderOrWithBadArgumentsAreRefused) {
    cSystem* fresh = nullptr;
    ASSERT_EQ(systemCreate(&fresh), resultOk);
    cSound* sound = nullptr;
    EXPECT_EQ(fresh->createStream(files().tones.c_str(), 0, nullptr, &sound), resultUninitialised);
    EXPECT_EQ(fresh->init(0, 0, nullptr), resultInvalidParam);
    EXPECT_EQ(fresh->init(1, 0, nullptr), resultOk);
    EXPECT_EQ(fresh->init(1, 0, nullptr), resultInitialised);
    EXPECT_EQ(fresh->createStream(nullptr, 0, nullptr, &sound), resultInvalidParam);
    ASSERT_EQ(fresh->createStream(files().tones.c_str(), 0, nullptr, &sound), resultOk);

    cChannel* channel = nullptr;
    EXPECT_EQ(fresh->playSound(channelFree, sound, true, &channel), resultInvalidParam);
    EXPECT_EQ(fresh->playSound(1, sound, false, &channel), resultInvalidParam);
    EXPECT_EQ(system->playSound(channelFree, sound, false, &channel), resultInvalidHandle)
        << "a sound belongs to the system that made it";
    EXPECT_EQ(channel, nullptr);
    ASSERT_EQ(fresh->playSound(0, sound, false, &channel), resultOk);

    EXPECT_EQ(fresh->release(), resultOk);
}

TEST(AudioErrors, EveryCodeHasItsOwnMessage) {
    EXPECT_STREQ(errorString(resultOk), "No errors.");
    for (Result unknown : {-1, 1, 12345})
        EXPECT_STREQ(errorString(unknown), "Unknown error.");

    std::set<std::string> messages;
    for (Result code :
         {resultFileNotFound, resultFileBad, resultFormat, resultInvalidParam, resultInvalidHandle,
          resultInitialised, resultUninitialised, resultMemory, resultOutputInit}) {
        const std::string message = errorString(code);
        EXPECT_NE(message, "Unknown error.") << code;
        EXPECT_TRUE(messages.insert(message).second) << "shared message: " << message;
    }
}

}  // namespace
}  // namespace nimra::audio
