#include "shell/frame.h"

#include "demo/timeline.h"
#include "render/gl.h"
#include "runtime/state.h"

namespace nimra {

static uint32_t sdlTicks() { return SDL_GetTicks(); }

static TickSource tickSource = sdlTicks;
static bool clockStarted = false;
static uint32_t lastTicks = 0;
static int pendingJump = 0;
static uint64_t played = 0;

void setTickSource(TickSource source) { tickSource = source ? source : sdlTicks; }
TickSource currentTickSource() { return tickSource; }
uint64_t framesPlayed() { return played; }

void resetFrameClock() {
    clockStarted = false;
    pendingJump = 0;
}

void jumpClock(int ms) { pendingJump += ms; }

void syncFrameClock() {
    lastTicks = tickSource();
    clockStarted = true;
}

void advanceClocks() {
    if (!clockStarted) {
        lastTicks = tickSource();
        clockStarted = true;
    }
    const uint32_t now = tickSource();
    frameTime = static_cast<int>(now - lastTicks) + pendingJump;
    pendingJump = 0;
    lastTicks = now;
    demoTime += frameTime;
    ++played;
}

// This frame's spectrum: every layer of the frame sees the same one.
static void readSpectrum() {
    if (musicChannel && !spectrum.empty()) {
        musicChannel->getSpectrum(spectrum.data(), static_cast<int>(spectrum.size()), 0,
                                  audio::fftWindowRect);
    }
}

// The window framebuffer, cleared to transparent black, with the depth test on and the
// identity loaded, as every frame starts.
static void beginScreen() {
    screen.setClearColour(cVec4f(0.0f, 0.0f, 0.0f, 0.0f));
    screen.begin();
    glEnable(GL_DEPTH_TEST);
    glLoadIdentity();
}

void renderFrame() {
    readSpectrum();
    beginScreen();
    advanceClocks();
    runTimeline();
    screen.end();
}

void advanceFrame() {
    readSpectrum();
    advanceClocks();
    advanceShow();
}

void redrawFrame() {
    beginScreen();
    drawShow();
    screen.end();
}

}  // namespace nimra
