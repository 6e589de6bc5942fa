#include "shell/startup.h"

#include <cstdio>
#include <cstdlib>

#include "demo/demo.h"
#include "demo/show.h"
#include "render/gl.h"
#include "runtime/state.h"
#include "shell/edit.h"
#include "shell/frame.h"
#include "shell/reach.h"
#include "shell/screen.h"

namespace nimra {

static const int escapeKey = 27;
static const int fullScreenKey = 'f';

uint32_t videoModeFlags(bool hardwareSurfacesAvailable, bool blitsAccelerated, bool fullScreen) {
    uint32_t flags = SDL_OPENGL;
    flags |= SDL_HWSURFACE | SDL_ASYNCBLIT;
    flags |= SDL_HWPALETTE;
    flags |= SDL_RESIZABLE;
    if (fullScreen) flags |= SDL_FULLSCREEN;
    if (hardwareSurfacesAvailable) flags |= SDL_HWSURFACE;
    if (blitsAccelerated) flags |= SDL_HWACCEL;
    return flags;
}

// The audio system is the one start-up failure the demo cannot play without.
static void checkAudio(int result) {
    if (result == audio::resultOk) return;
    std::printf("FMOD error! (%d) %s\n", result, audio::errorString(result));
    std::fflush(stdout);
    std::exit(-1);
}

static void startSdl(bool mute) {
    // SDL 1.2's only GL-capable video driver here is x11; left to itself, without a display
    // it would fall back to drawing text art on the terminal before failing the GL mode.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    // SDL_Init probes for a sound device; without one ALSA would fill stderr.
    audio::quietSoundLibraries();
    // Muted, no sound device is looked for at all.
    const uint32_t audio = mute ? 0 : SDL_INIT_AUDIO;
    if (SDL_Init(SDL_INIT_VIDEO | audio | SDL_INIT_JOYSTICK) < 0) {
        console << "EROREROC OCK" << std::endl;
        // SDL 1.2 gives up at the first subsystem that fails (often audio, on a machine
        // without a sound device), leaving the rest unstarted. Start what we need one by
        // one; the audio layer falls back to its silent output by itself.
        if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) < 0) {
            failVideo("cannot start SDL video");
        }
        if (!SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    }
}

static void openWindow(const cShowScreen& asked) {
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (!info) console << "EROREROC OCK 55" << std::endl;
    const uint32_t flags =
        videoModeFlags(info && info->hw_available, info && info->blit_hw, asked.fullScreen);

    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // 800 x 600 unless asked otherwise; the window's size, then resize to the picture's.
    openShowWindow(asked, flags);
    placePointer();
}

static void startGlew() {
    const GLenum status = glewInit();
    // The kit calls shader, buffer and framebuffer-object entry points unconditionally;
    // refuse to start rather than jump through a null pointer later.
    if (status != GLEW_OK || !glCreateProgram || !glGenBuffers || !glGenFramebuffersEXT) {
        console << "nimra: OpenGL 2.1 with EXT_framebuffer_object is needed (GLEW: "
                << glewGetErrorString(status) << ")" << std::endl;
        std::exit(1);
    }
}

static void openJoystick() {
    joystick = SDL_JoystickOpen(0);
    if (joystick) {
        console << "joystick opened hurray" << std::endl;
        console << "num axes:" << SDL_JoystickNumAxes(joystick) << std::endl;
    }
}

void startUp(const cShowScreen& asked, bool mute) {
    console << "hello world!" << std::endl;
    console << "hahah HAI" << std::endl;
    console << "ait:" << 10 << std::endl;

    startSdl(mute);

    fmodResult = audio::systemCreate(&fmodSystem);
    checkAudio(fmodResult);
    if (mute) fmodSystem->setSilentOutput();
    fmodResult = fmodSystem->init(100, 0, nullptr);
    checkAudio(fmodResult);
    fmodSystem->createStream(musicFile, audio::modeSoftware | audio::modeAccurateTime, nullptr,
                             &music);
    if (music) openMomentTrack(musicFile);

    openWindow(asked);
    startGlew();
    placeShowPicture();
    openJoystick();

    for (SceneInitialiser init : sceneInitialisers())
        init();

    spectrum.resize(audio::spectrumBins, 0.0f);
    demoTime = 0;
}

void startMusic(int ms, bool paused) {
    if (!musicChannel && music) {
        fmodSystem->playSound(audio::channelFree, music, false, &musicChannel);
    }
    if (musicChannel) {
        // Straight after playSound, so that the first sample heard is the one at ms.
        musicChannel->setPosition(static_cast<uint32_t>(ms));
        if (paused) musicChannel->setPaused(true);
    }
    syncFrameClock();
}

bool demoShouldEnd() { return demoTime >= showLength || isKeyDown(escapeKey); }

// The show from the beginning again, as start-up left it, and the music with it.
static void playAgain() {
    static int round = 1;
    console << "nimra: round " << ++round << std::endl;
    startShowOver();
    if (musicChannel) musicChannel->setPosition(0);
}

int mainLoop(const cPlayerOptions& options) {
    // A later start is reached as every moment is, and its first frame drawn as reached.
    const bool reached = options.startMs > 0;
    if (reached && options.edit) {
        seekShow(options.startMs);
    } else if (reached) {
        reachMoment(options.startMs);
    }
    bool firstReached = reached;
    bool first = true;
    bool quit = false;
    for (;;) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) {
                quit = true;
            } else if (event.type == SDL_VIDEORESIZE) {
                windowResized(event.resize.w, event.resize.h);
            } else if (event.type == SDL_MOUSEMOTION) {
                editPointerMoved(event.motion.x, event.motion.y);
            }
        }

        SDL_PumpEvents();
        int count = 0;
        const Uint8* state = SDL_GetKeyState(&count);
        previousKeys.assign(keys.begin(), keys.end());
        keys.assign(state, state + count);

        // The clock is as the previous frame left it, and the frame that sees a quit
        // condition is still rendered and shown.
        // Looping, the end of the show is not the end of the program, only of the round.
        const bool roundOver = options.loop && demoTime >= showLength;
        // Editing, the show pauses at its end instead: only Escape ends a maker's session.
        if (options.loop || options.edit ? isKeyDown(escapeKey) : demoShouldEnd()) quit = true;

        if (options.shapesWindow() && wasKeyPressed(fullScreenKey)) {
            if (toggleFullScreen()) {
                placePointer();
            } else {
                console << "nimra: this display cannot switch between window and full screen"
                        << std::endl;
            }
        }

        editKeys();
        if (editRedraws() || firstReached) {
            redrawFrame();
        } else {
            renderFrame();
        }
        firstReached = false;
        editFrameDrawn();
        presentPicture();
        SDL_GL_SwapBuffers();
        // The music starts as the first frame shows, from that frame's moment, and the clock
        // goes on with it.
        if (first) startMusic(demoTime, editPaused());
        first = false;

        if (quit) return 0;
        if (roundOver) playAgain();
    }
}

}  // namespace nimra
