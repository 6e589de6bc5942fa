// The files the build baked into data/, checked as the demo reads them: every output is
// there, images have the promised sizes and alpha, meshes parse, and the music decodes
// through the engine's audio layer to the end of the show with beats the cameras follow.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "asset.h"
#include "audio/audio.h"
#include "demo/opening.h"
#include "image.h"
#include "render/mesh_file.h"
#include "score.h"

namespace fs = std::filesystem;
using namespace nimra::bake;

namespace {

const fs::path data = NIMRA_DATA_DIR;

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool powerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// Coordinates past an edge come round from the other, as a repeating texture reads them.
uint8_t alphaAt(const cPngInfo& png, int x, int y) {
    x = (x % png.width + png.width) % png.width;
    y = (y % png.height + png.height) % png.height;
    return png.channels == 4 ? png.pixels[(size_t(y) * png.width + x) * 4 + 3] : 255;
}

// The largest alpha in a rectangle (x0, y0 inclusive; x1, y1 exclusive).
int maxAlpha(const cPngInfo& png, int x0, int y0, int x1, int y1) {
    int most = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            most = std::max<int>(most, alphaAt(png, x, y));
    return most;
}

bool isCard(const std::string& file) {
    for (const char* word :
         {"i",   "grew",    "up",   "listening", "to",   "alot",    "of",     "jazz",
          "and", "funk",    "and2", "wanted",    "tobe", "apart",   "ofthat", "movement",
          "in",  "another", "way",  "instead",   "just", "listener"})
        if (file == std::string(word) + ".png") return true;
    return file.rfind("slide", 0) == 0;
}

}  // namespace

TEST(BakedData, EveryOutputIsPresent) {
    for (const cAsset& asset : allAssets())
        EXPECT_TRUE(fs::is_regular_file(data / asset.file))
            << asset.file << " (was the build run?)";
}

TEST(BakedData, ImagesHaveTheirPromisedSizesAndAlpha) {
    int cards = 0;
    for (const cAsset& asset : allAssets()) {
        if (!endsWith(asset.file, ".png") && !endsWith(asset.file, ".PNG")) continue;
        SCOPED_TRACE(asset.file);
        const cPngInfo png = readPng((data / asset.file).string());
        EXPECT_TRUE(powerOfTwo(png.width) && powerOfTwo(png.height));
        if (isCard(asset.file)) {
            ++cards;
            ASSERT_EQ(png.width, 512);
            ASSERT_EQ(png.height, 512);
            ASSERT_EQ(png.channels, 4);
            // Transparent around the words, and ink in the middle band.
            EXPECT_EQ(maxAlpha(png, 0, 0, 512, 24), 0);
            EXPECT_EQ(maxAlpha(png, 0, 488, 512, 512), 0);
            EXPECT_EQ(maxAlpha(png, 0, 100, 512, 412), 255);
            // Slide cards keep their content in the middle 80% so it reads while moving.
            if (asset.file.rfind("slide", 0) == 0) {
                EXPECT_LT(maxAlpha(png, 0, 0, 51, 512), 8);
                EXPECT_LT(maxAlpha(png, 461, 0, 512, 512), 8);
            }
        }
    }
    EXPECT_EQ(cards, 42);

    for (const char* file : {"introback.png", "introback2.png", "break1.png", "break2.png"}) {
        const cPngInfo png = readPng((data / file).string());
        EXPECT_EQ(png.width, 1024) << file;
        EXPECT_EQ(png.height, 512) << file;
        EXPECT_EQ(maxAlpha(png, 0, 0, 1024, 512), 255) << file;
    }

    // The overlay lies over the whole show: clear in the middle, a frame and an emblem.
    const cPngInfo overlay = readPng((data / "sax_overlay.png").string());
    ASSERT_EQ(overlay.channels, 4);
    EXPECT_EQ(maxAlpha(overlay, 100, 60, 900, 452), 0);
    EXPECT_GT(maxAlpha(overlay, 880, 380, 1024, 512), 200);
    // The demo leaves out the overlay where it says the picture is clear: it must be, two
    // texels beyond (round the edges), for the filtering.
    for (const nimra::cScreenRect& rect : nimra::overlayClear) {
        const int x0 = int((rect.lowerLeft.x + 1) / 2 * 1024) - 2;
        const int x1 = int((rect.upperRight.x + 1) / 2 * 1024) + 2;
        const int y0 = int((1 - rect.upperRight.y) / 2 * 512) - 2;  // rows run down
        const int y1 = int((1 - rect.lowerLeft.y) / 2 * 512) + 2;
        EXPECT_EQ(maxAlpha(overlay, x0, y0, x1, y1), 0)
            << x0 << "," << y0 << " " << x1 << "," << y1;
    }

    // Sprites fade to nothing at their edges.
    for (const char* file : {"grad.png", "grad2.png", "SMOKEPUFF.PNG"}) {
        const cPngInfo png = readPng((data / file).string());
        ASSERT_EQ(png.channels, 4) << file;
        EXPECT_LE(png.width, 256) << file;
        EXPECT_EQ(maxAlpha(png, 0, 0, png.width, 1), 0) << file;
        EXPECT_EQ(maxAlpha(png, 0, 0, 1, png.height), 0) << file;
        EXPECT_GT(alphaAt(png, png.width / 2, png.height / 2), 100) << file;
    }
}

TEST(BakedData, MeshFilesParseWithNormalsAndTexCoords) {
    for (const cAsset& asset : allAssets()) {
        if (!endsWith(asset.file, ".obj.bin")) continue;
        SCOPED_TRACE(asset.file);
        std::ifstream in(data / asset.file, std::ios::binary);
        const nimra::cMeshFileData mesh = nimra::readMeshFile(in);
        EXPECT_GT(mesh.positions.elementCount, 0);
        EXPECT_GT(mesh.indices.elementCount, 0);
        ASSERT_EQ(mesh.attributes.size(), 2u);
        EXPECT_EQ(mesh.attributes[0].first, "normal");
        EXPECT_EQ(mesh.attributes[1].first, "texCoord");
        // Nothing left over after the last block.
        in.peek();
        EXPECT_TRUE(in.eof());
    }
}

TEST(BakedData, MusicPlaysToTheEndOfTheShowWithBeatsOnTheTrigger) {
    using namespace nimra::audio;
    setNonRealTime(true);
    cSystem* system = nullptr;
    cSound* sound = nullptr;
    cChannel* channel = nullptr;
    ASSERT_EQ(systemCreate(&system), resultOk);
    ASSERT_EQ(system->init(1, 0, nullptr), resultOk);
    const std::string mp3 = (data / "tromblo-slow_harbour.mp3").string();
    ASSERT_EQ(system->createStream(mp3.c_str(), modeSoftware | modeAccurateTime, nullptr, &sound),
              resultOk);
    ASSERT_EQ(system->playSound(channelFree, sound, false, &channel), resultOk);

    // On a few beats of the tunnel, the loudspeakers and the spheres, bin 10 (about
    // 431 Hz) peaks high enough for the camera triggers; half a beat later it is low.
    float spectrum[spectrumBins];
    auto peakAfter = [&](double t) {
        float best = 0;
        for (int ms = 0; ms <= 60; ms += 4) {
            channel->setPosition(uint32_t(t + ms));
            channel->getSpectrum(spectrum, spectrumBins, 0, fftWindowRect);
            best = std::max(best, spectrum[10]);
        }
        return best;
    };
    const std::vector<double> beats = beatTimes();
    int checked = 0;
    for (double start : {35000.0, 95000.0, 150000.0}) {
        auto beat = std::lower_bound(beats.begin(), beats.end(), start);
        for (int k = 0; k < 4; ++k, ++beat, ++checked) {
            EXPECT_GE(peakAfter(*beat), 0.25f) << "beat at " << *beat << " ms";
            channel->setPosition(uint32_t((beat[0] + beat[1]) / 2 + 60));
            channel->getSpectrum(spectrum, spectrumBins, 0, fftWindowRect);
            EXPECT_LT(spectrum[10], 0.2f) << "between beats after " << *beat << " ms";
        }
    }
    EXPECT_EQ(checked, 12);

    ASSERT_EQ(channel->setPosition(207000), resultOk);
    bool playing = false;
    channel->isPlaying(&playing);
    EXPECT_TRUE(playing) << "the track ends before 207 s";
}
