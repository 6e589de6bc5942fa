// The spectrum on synthesised signals, and the sample record it is taken from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/spectrum.h"
#include "audio_fixture.h"

namespace nimra::audio {
namespace {

using fixture::binTone;
using fixture::loudestBin;

std::vector<float> spectrumOf(const std::vector<float>& samples) {
    cSpectrumAnalyser analyser;
    std::vector<float> bins(spectrumBins, -1.0f);
    analyser.analyse(samples.data(), bins.data(), spectrumBins);
    return bins;
}

std::vector<float> signal(float (*sample)(int frame)) {
    std::vector<float> samples(fftSize);
    for (int i = 0; i < fftSize; ++i)
        samples[i] = sample(i);
    return samples;
}

// The loudest bin other than the named ones.
float largestOther(std::vector<float> bins, std::initializer_list<int> named) {
    for (int k : named)
        bins[k] = 0.0f;
    return *std::max_element(bins.begin(), bins.end());
}

TEST(AudioSpectrum, FullScaleSineReadsOneInItsBin) {
    // 861.3 Hz is bin 20 (20 x 44100 / 1024 = 861.33 Hz) to within a thousandth of a bin.
    const auto bins = spectrumOf(signal([](int i) {
        return static_cast<float>(std::sin(2.0 * fixture::pi * 861.3 * i / sampleRate));
    }));
    EXPECT_EQ(loudestBin(bins), 20);
    EXPECT_NEAR(bins[20], 1.0f, 0.005f);
    EXPECT_LT(largestOther(bins, {20}), 0.01f);
}

TEST(AudioSpectrum, SilenceAndConstantLevels) {
    for (float bin : spectrumOf(std::vector<float>(fftSize, 0.0f)))
        EXPECT_EQ(bin, 0.0f);

    const auto level = spectrumOf(std::vector<float>(fftSize, -0.25f));
    EXPECT_NEAR(level[0], 0.25f, 1e-5f);
    EXPECT_LT(largestOther(level, {0}), 1e-5f);
}

TEST(AudioSpectrum, TwoTonesLandInTheirOwnBins) {
    const auto bins =
        spectrumOf(signal([](int i) { return binTone(10, 0.5, i) + binTone(50, 0.25, i); }));
    EXPECT_NEAR(bins[10], 0.5f, 1e-4f);
    EXPECT_NEAR(bins[50], 0.25f, 1e-4f);
    EXPECT_LT(largestOther(bins, {10, 50}), 1e-4f);
}

TEST(AudioSpectrum, FillsOnlyTheBinsAskedFor) {
    const auto samples = signal([](int i) { return binTone(3, 0.5, i) + binTone(100, 0.5, i); });
    const auto full = spectrumOf(samples);

    cSpectrumAnalyser analyser;
    std::vector<float> some(spectrumBins, -1.0f);
    analyser.analyse(samples.data(), some.data(), 64);
    for (int k = 0; k < 64; ++k)
        EXPECT_FLOAT_EQ(some[k], full[k]) << k;
    for (int k = 64; k < spectrumBins; ++k)
        ASSERT_EQ(some[k], -1.0f) << k;
}

// Frame f carries f on the left and -f on the right, so a slip in order or side shows.
std::vector<int16_t> ramp(int first, int count) {
    std::vector<int16_t> frames;
    for (int f = first; f < first + count; ++f) {
        frames.push_back(static_cast<int16_t>(f));
        frames.push_back(static_cast<int16_t>(-f));
    }
    return frames;
}

std::vector<int> windowOf(const cSampleHistory& history, int64_t end, int side, int count) {
    std::vector<float> samples(count);
    history.window(end, side, samples.data(), count);
    std::vector<int> frames;
    for (float s : samples)
        frames.push_back(static_cast<int>(std::lround(s * 32768.0f)));
    return frames;
}

TEST(AudioHistory, WindowsFollowTheRingAndReadSilenceOutsideIt) {
    cSampleHistory history(8);
    history.append(ramp(0, 5).data(), 5);
    history.append(ramp(5, 6).data(), 6);  // wraps round: frames 3 to 10 are kept
    EXPECT_EQ(windowOf(history, 11, 0, 6), (std::vector<int>{5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(windowOf(history, 11, 1, 3), (std::vector<int>{-8, -9, -10}));
    // Frames 1 and 2 have been overwritten, 11 and 12 are still to come.
    EXPECT_EQ(windowOf(history, 5, 0, 4), (std::vector<int>{0, 0, 3, 4}));
    EXPECT_EQ(windowOf(history, 13, 0, 4), (std::vector<int>{9, 10, 0, 0}));

    // A block longer than the whole record leaves only its tail.
    history.append(ramp(11, 20).data(), 20);
    EXPECT_EQ(windowOf(history, 31, 0, 8), (std::vector<int>{23, 24, 25, 26, 27, 28, 29, 30}));

    // After a restart nothing before it is heard, however recently it was appended.
    history.restart(100);
    history.append(ramp(100, 3).data(), 3);
    EXPECT_EQ(windowOf(history, 103, 0, 5), (std::vector<int>{0, 0, 100, 101, 102}));
    EXPECT_EQ(windowOf(history, 103, 1, 2), (std::vector<int>{-101, -102}));
}

TEST(AudioHistory, DroppingTheNewestFramesKeepsTheOlderWithoutStaleOnes) {
    cSampleHistory history(8);
    history.append(ramp(0, 10).data(), 10);  // frames 2 to 9 are kept
    history.dropFrom(7);
    EXPECT_EQ(history.end(), 7);
    // Frames 0 and 1 were overwritten by 8 and 9, which are gone too: neither may show.
    EXPECT_EQ(windowOf(history, 7, 0, 7), (std::vector<int>{0, 0, 2, 3, 4, 5, 6}));

    // What follows takes the dropped frames' place, and the ring still wraps correctly.
    history.append(ramp(100, 4).data(), 4);
    EXPECT_EQ(windowOf(history, 11, 0, 9), (std::vector<int>{0, 3, 4, 5, 6, 100, 101, 102, 103}));

    // Dropping from a frame no longer held, or from the end, or beyond it.
    history.dropFrom(11);
    history.dropFrom(50);
    EXPECT_EQ(history.end(), 11);
    history.dropFrom(1);
    EXPECT_EQ(history.end(), 1);
    EXPECT_EQ(windowOf(history, 1, 0, 4), (std::vector<int>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace nimra::audio
