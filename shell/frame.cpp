#include "shell/frame.h"

#include "demo/timeline.h"
#include "render/gl.h"
#include "runtime/state.h"

namespace nimra {

static uint32_t sdlTicks() { return SDL_GetTicks(); }

static TickSource tickSource = sdlTicks;
static bool clockStarted = false;
static uint32_t lastTicks = 0;

void setTickSource(TickSource source) { tickSource = source ? source : sdlTicks; }

void resetFrameClock() { clockStarted = false; }

void advanceClocks() {
    if (!clockStarted) {
        lastTicks = tickSource();
        clockStarted = true;
    }
    const uint32_t now = tickSource();
    frameTime = static_cast<int>(now - lastTicks);
    lastTicks = now;
    demoTime += frameTime;
}

void renderFrame() {
    // 1. This frame's spectrum: every layer of the frame sees the same one.
    if (musicChannel && !spectrum.empty()) {
        musicChannel->getSpectrum(spectrum.data(), static_cast<int>(spectrum.size()), 0,
                                  audio::fftWindowRect);
    }

    // 2. Open the window framebuffer, cleared to transparent black.
    screen.setClearColour(cVec4f(0.0f, 0.0f, 0.0f, 0.0f));
    screen.begin();

    // 3.
    glEnable(GL_DEPTH_TEST);
    glLoadIdentity();

    // 4. Advance the clocks by the wall-clock time since the previous frame.
    advanceClocks();

    // 5. Everything the frame shows.
    runTimeline();

    // 6.
    screen.end();
}

}  // namespace nimra
