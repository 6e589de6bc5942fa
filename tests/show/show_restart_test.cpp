// The whole show's rules in one process, with the real files: a show played without being
// drawn reaches the state it reaches on screen, a frozen frame changes nothing, and a show
// started over plays again exactly as it did from start-up.
#include <gtest/gtest.h>

#include <SDL/SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "demo/demo.h"
#include "demo/timeline.h"
#include "render/gl.h"
#include "runtime/state.h"
#include "shell/frame.h"

using namespace nimra;

namespace {

uint32_t ticks = 0;
uint32_t readTicks() { return ticks; }

// A made-up spectrum that beats: bin 10 fires the camera triggers now and then, bins 20 and
// 50 swing the phases.
void fakeSpectrum(int t) {
    for (size_t k = 0; k < spectrum.size(); ++k)
        spectrum[k] = 0.0f;
    const double beat = std::fmod(t, 581.9) / 581.9;
    spectrum[10] = static_cast<float>(beat < 0.1 ? 0.6 : 0.05);
    spectrum[20] = static_cast<float>(0.2 + 0.2 * std::sin(t * 0.003));
    spectrum[50] = static_cast<float>(0.1 + 0.1 * std::cos(t * 0.007));
}

// Stretches of the show played on the 60 fps grid, with the clock jumping between them as
// after a stall: together they cross every scene's window and boundary.
const std::vector<std::pair<int, int>> stretches = {
    {0, 400},         {13700, 14000},   {30200, 30500},   {48800, 49100},   {67500, 67700},
    {86100, 86400},   {104800, 105100}, {123400, 123700}, {128100, 128400}, {146700, 147000},
    {165300, 165500}, {184000, 184200}, {193300, 193500}, {206800, 207000},
};

// Plays every stretch through the given kind of frame, from a clock at 0.
void play(void (*frame)()) {
    demoTime = 0;
    resetFrameClock();
    for (auto [first, last] : stretches) {
        for (long k = (first * 60L + 999) / 1000;; ++k) {
            const int t = static_cast<int>((k * 1000 + 30) / 60);
            if (t > last) break;
            ticks = static_cast<uint32_t>(t);
            fakeSpectrum(t);
            frame();
        }
    }
}

}  // namespace

TEST(ShowRestart, PlayedUndrawnFrozenAndStartedOverTheShowReachesTheSameState) {
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(SHOW_DATA);
    setTickSource(readTicks);
    resize(800, 600);
    for (SceneInitialiser init : sceneInitialisers())
        init();
    spectrum.resize(512, 0.0f);
    std::filesystem::current_path(here);
    const uint64_t startUp = showStateDigest();

    // On screen.
    play(renderFrame);
    const uint64_t drawn = showStateDigest();
    EXPECT_NE(drawn, startUp);
    EXPECT_TRUE(showStateIsFinite());

    // A paused show draws its frame again and again; nothing it carries moves.
    for (int i = 0; i < 3; ++i)
        redrawFrame();
    EXPECT_EQ(showStateDigest(), drawn);
    const int nextRand = std::rand();

    // Started over, it is where start-up left it, and played again without being drawn it
    // comes to the same place, rand() included.
    restartShow();
    EXPECT_EQ(showStateDigest(), startUp);
    play(advanceFrame);
    EXPECT_EQ(showStateDigest(), drawn);
    EXPECT_EQ(std::rand(), nextRand);
    setTickSource(nullptr);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "show_tests: no video: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (!SDL_SetVideoMode(800, 600, 32, SDL_OPENGL) || glewInit() != GLEW_OK) {
        std::fprintf(stderr, "show_tests: no GL window: %s\n", SDL_GetError());
        return 1;
    }
    return RUN_ALL_TESTS();
}
