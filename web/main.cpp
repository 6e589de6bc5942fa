// nimra in a browser: the show's own scenes, kit and audio layer, with the page's parameters
// instead of a command line and the main loop handed to the browser. The page
// (web/page/page.js) makes the WebGL context on its canvas, loads the packed files, waits for
// a gesture and then calls the functions below, one step at a time, from the browser's
// frames, so that nothing long ever holds the tab: start-up one scene initialiser a call, a
// start moment reached a slice of frames a call, then one frame of the show a call.

#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "audio/audio.h"
#include "demo/demo.h"
#include "demo/show.h"
#include "demo/timeline.h"
#include "render/gl.h"
#include "render/picture_target.h"
#include "runtime/state.h"
#include "shell/frame.h"
#include "shell/reach.h"
#include "web/audio_output.h"

namespace nimra::web {

namespace {

struct {
    size_t nextInitialiser = 0;
    int round = 1;
    bool loop = false;
    bool cueing = false;      // the first frame is shown; waiting for the music to be heard
    long nextReachFrame = 0;  // the next frame of the 60 fps step a reach plays
    cPictureTarget target;    // a picture that is not the whole canvas (?at with bars)
    cPixelRect picture;
    int canvasWidth = 0;
    int canvasHeight = 0;
    audio::cSystem* spectrumSystem = nullptr;  // ?spectrum: the track read at any moment
    audio::cChannel* spectrumTrack = nullptr;
} state;

// The show's clock reads the page's clock, as the native program reads SDL's tick counter.
uint32_t pageTicks() { return static_cast<uint32_t>(emscripten_get_now()); }

EM_JS(void, reportFailure, (const char* what), { Module.nimraFail(UTF8ToString(what)); });

// Where the show draws: the canvas itself, or a target that stands for it when the picture
// is only part of the canvas.
bool placePicture() {
    const bool whole =
        state.picture.width == state.canvasWidth && state.picture.height == state.canvasHeight;
    if (!whole && !state.target.create(state.picture.width, state.picture.height)) return false;
    setWindowFramebuffer(whole ? 0 : state.target.framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, windowFramebuffer());
    resize(state.picture.width, state.picture.height);
    return true;
}

// The music from ms, and the frame clock going on from now with it, as the native program
// starts it once its first frame shows.
void startMusic(int ms) {
    if (!musicChannel && music) {
        fmodSystem->playSound(audio::channelFree, music, false, &musicChannel);
    }
    if (musicChannel) musicChannel->setPosition(static_cast<uint32_t>(ms));
    audio::flushAudio();
    audio::pumpAudio();
    syncFrameClock();
}

}  // namespace

}  // namespace nimra::web

using namespace nimra;
using nimra::web::state;

extern "C" {

// Start-up up to the scenes: the audio system and the music (muted: no sound at all, the
// music decoded on the clock; frames: the music only read at each frame's time, as the
// capture tool does), the canvas's size and the picture's place in it. The page has made
// the GL context current. False, with the page told why, when the show cannot go on.
EMSCRIPTEN_KEEPALIVE int nimra_open(int canvasWidth, int canvasHeight, int mute, int frames) {
    audio::setNonRealTime(frames != 0);
    setTickSource(frames ? nullptr : web::pageTicks);
    fmodResult = audio::systemCreate(&fmodSystem);
    if (fmodResult == audio::resultOk && (mute || frames)) fmodSystem->setSilentOutput();
    if (fmodResult == audio::resultOk) fmodResult = fmodSystem->init(100, 0, nullptr);
    if (fmodResult != audio::resultOk) {
        web::reportFailure(audio::errorString(fmodResult));
        return 0;
    }
    fmodSystem->createStream(musicFile, audio::modeSoftware | audio::modeAccurateTime, nullptr,
                             &music);
    if (music) openMomentTrack(musicFile);

    state.canvasWidth = canvasWidth;
    state.canvasHeight = canvasHeight;
    state.picture = frames ? fitPicture(canvasWidth, canvasHeight)
                           : cPixelRect{0, 0, canvasWidth, canvasHeight};
    windowWidth = canvasWidth;
    windowHeight = canvasHeight;
    if (!web::placePicture()) {
        web::reportFailure("the picture cannot be drawn offscreen at this size");
        return 0;
    }
    state.nextInitialiser = 0;
    return 1;
}

// The next scene initialiser, in start-up's order; how many are left. After the last, the
// spectrum and the clock are as the native start-up leaves them.
EMSCRIPTEN_KEEPALIVE int nimra_init_step() {
    const std::vector<SceneInitialiser>& initialisers = sceneInitialisers();
    if (state.nextInitialiser < initialisers.size()) initialisers[state.nextInitialiser++]();
    const int left = static_cast<int>(initialisers.size() - state.nextInitialiser);
    if (left == 0) {
        spectrum.resize(audio::spectrumBins, 0.0f);
        demoTime = 0;
    }
    return left;
}

EMSCRIPTEN_KEEPALIVE int nimra_init_count() { return static_cast<int>(sceneInitialisers().size()); }

// The canvas has a new size: the picture is drawn at its resolution from the next frame on,
// and the pictures the show keeps at the window's size follow it.
EMSCRIPTEN_KEEPALIVE void nimra_resize(int width, int height) {
    if (width < 4 || height < 3) return;
    if (width == state.canvasWidth && height == state.canvasHeight) return;
    state.canvasWidth = width;
    state.canvasHeight = height;
    state.picture = cPixelRect{0, 0, width, height};
    windowWidth = width;
    windowHeight = height;
    resize(width, height);
    resizeShowPictures();
}

// Plays the rules on the 60 fps step towards ms, undrawn, for about budgetMs of the page's
// time; 1 once every frame of the step before ms is played (then nimra_reach or a drawn
// playFrameAt finishes the moment at once). The show must be at its start, or where the
// previous call left it.
EMSCRIPTEN_KEEPALIVE int nimra_reach_step(int ms, double budgetMs) {
    const double until = emscripten_get_now() + budgetMs;
    const long last = gridFrameBefore(ms);
    while (state.nextReachFrame <= last) {
        const int t = gridTime(state.nextReachFrame);
        if (t >= ms) break;
        playFrameAt(t, false);
        ++state.nextReachFrame;
        if (emscripten_get_now() >= until) break;
    }
    return state.nextReachFrame > last || gridTime(state.nextReachFrame) >= ms ? 1 : 0;
}

// The show starts (after the gesture, when there is sound): at ms, reached as every moment
// is, its first frame drawn as reached; the music from the same moment.
EMSCRIPTEN_KEEPALIVE void nimra_play(int ms, int loop) {
    state.loop = loop != 0;
    if (ms > 0) {
        reachMoment(ms);
        redrawFrame();
    } else {
        renderFrame();
    }
    web::startMusic(demoTime);
    state.cueing = true;
}

// One frame of the show, from the browser's frame. 0 while it plays, 1 when the show has
// ended (the page stops calling), 2 when a new round has begun.
EMSCRIPTEN_KEEPALIVE int nimra_frame() {
    audio::pumpAudio();
    if (state.cueing) {
        // The picture waits for the music's first sample to be heard (the output's latency
        // included), and the show's clock starts from that moment.
        const double heardAt = audio::firstHeardAt();
        const double now = emscripten_get_now();
        if (heardAt == 0.0 || now < heardAt) return 0;
        syncFrameClock();
        jumpClock(static_cast<int>(now - heardAt));
        state.cueing = false;
        return 0;
    }
    if (demoTime >= showLength) {
        if (!state.loop) return 1;
        ++state.round;
        startShowOver();
        renderFrame();
        web::startMusic(0);
        state.cueing = true;
        return 2;
    }
    renderFrame();
    return 0;
}

EMSCRIPTEN_KEEPALIVE int nimra_demo_time() { return demoTime; }
EMSCRIPTEN_KEEPALIVE int nimra_round() { return state.round; }

// Key k (an SDL 1.2 key symbol: ASCII for letters, 27 for Escape) down or up, for the
// show's debug keys.
EMSCRIPTEN_KEEPALIVE void nimra_key(int k, int down) {
    if (k < 0 || k > 255) return;
    if (keys.size() < 256) keys.resize(256, 0);
    keys[k] = down ? 1 : 0;
}

// Last frame's keys become the previous ones, as the native loop does before each frame.
EMSCRIPTEN_KEEPALIVE void nimra_keys_seen() {
    if (keys.size() < 256) keys.resize(256, 0);
    previousKeys.assign(keys.begin(), keys.end());
}

// ?at: the frame at ms drawn on the 60 fps step exactly as the capture tool draws it, the
// frames before it played undrawn (nimra_reach_step), then the picture placed on the canvas
// between its bars.
EMSCRIPTEN_KEEPALIVE void nimra_draw_at(int ms) {
    playFrameAt(ms, true);
    if (state.target.exists()) {
        state.target.present(state.picture, state.canvasWidth, state.canvasHeight);
    }
    glFinish();
}

// ?bench: the frame at the grid time t, drawn and finished (a one-pixel read) on the same
// fixed step; how long it took, in ms.
EMSCRIPTEN_KEEPALIVE double nimra_bench_frame(int t, int drawn) {
    const double start = emscripten_get_now();
    playFrameAt(t, drawn != 0);
    if (drawn) {
        uint8_t pixel[4];
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    }
    return emscripten_get_now() - start;
}

// ?spectrum: the 512 bins at ms, read the way the capture tool reads them: a non-real-time
// channel set to the moment, then the spectrum taken.
EMSCRIPTEN_KEEPALIVE int nimra_spectrum_at(int ms, float* bins) {
    if (!state.spectrumTrack) {
        audio::cSound* sound = nullptr;
        if (audio::systemCreate(&state.spectrumSystem, true) != audio::resultOk ||
            state.spectrumSystem->init(1, 0, nullptr) != audio::resultOk ||
            state.spectrumSystem->createStream(musicFile, audio::modeSoftware, nullptr, &sound) !=
                audio::resultOk ||
            state.spectrumSystem->playSound(audio::channelFree, sound, false,
                                            &state.spectrumTrack) != audio::resultOk) {
            return 0;
        }
    }
    state.spectrumTrack->setPosition(static_cast<uint32_t>(ms));
    return state.spectrumTrack->getSpectrum(bins, audio::spectrumBins, 0, audio::fftWindowRect) ==
           audio::resultOk;
}

// ?state: every number the show carries from frame to frame, in the order the show visits
// them (the timeline's phases, then every layer's and scene's), after the frame at ms is
// played undrawn on the 60 fps step (nimra_reach_step first): to compare with the native
// program's, where the browser's maths functions round differently in the last bits. The
// count; no more than capacity are written.
EMSCRIPTEN_KEEPALIVE int nimra_show_state(int ms, double* values, int capacity) {
    playFrameAt(ms, false);
    if (gridFrameAt(ms) >= 0) state.nextReachFrame = gridFrameAt(ms) + 1;
    struct cCollect : cStateVisitor {
        double* values;
        int capacity;
        int count = 0;
        void number(double value) override {
            if (count < capacity) values[count] = value;
            ++count;
        }
    } collect;
    collect.values = values;
    collect.capacity = capacity;
    visitShowState(collect);
    return collect.count;
}

// ?rand: the C library's rand() and srand() as the show draws them.
EMSCRIPTEN_KEEPALIVE int nimra_rand() { return std::rand(); }
EMSCRIPTEN_KEEPALIVE void nimra_srand(unsigned seed) { std::srand(seed); }

}  // extern "C"

int main() { return 0; }
