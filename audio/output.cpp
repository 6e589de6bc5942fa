#include "audio/output.h"

#include <SDL/SDL.h>
#include <alsa/asoundlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace nimra::audio {

// 1024 frames (about 23 ms) per block: short enough for the spectrum to follow the beat,
// long enough that the device is woken only some 43 times a second.
static constexpr int blockFrames = 1024;

static void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void quietSoundLibraries() {
    // SDL reaches ALSA through dlopen by the same soname, so this is the copy it will use.
    snd_lib_error_set_handler(dropAlsaMessage);
}

Result cOutput::start(MixFunction mixFunction, void* mixContext, bool device) {
    stop();
    mix = mixFunction;
    context = mixContext;
    if (device) {
        if (openDevice()) return resultOk;
        std::printf("audio: no audio device (%s); playing silently on the clock\n", SDL_GetError());
        std::fflush(stdout);
    }
    return startClock();
}

bool cOutput::openDevice() {
    quietSoundLibraries();
    // The shell's SDL_Init stops at the first subsystem that fails, so audio may not be up
    // even where a device exists.
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) return false;
        ownsAudioSubsystem = true;
    }
    SDL_AudioSpec wanted;
    std::memset(&wanted, 0, sizeof(wanted));
    wanted.freq = sampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = blockFrames;
    wanted.callback = deviceCallback;
    wanted.userdata = this;
    // No `obtained` format asked for: SDL converts to whatever the device really takes.
    if (SDL_OpenAudio(&wanted, nullptr) < 0) {
        if (ownsAudioSubsystem) {
            // Keep the reason: quitting the subsystem may overwrite it.
            const std::string reason = SDL_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            ownsAudioSubsystem = false;
            SDL_SetError("%s", reason.c_str());
        }
        return false;
    }
    kind = eKind::device;
    SDL_PauseAudio(0);
    return true;
}

Result cOutput::startClock() {
    stopping = false;
    if (pthread_create(&thread, nullptr, clockThread, this) != 0) return resultOutputInit;
    kind = eKind::clock;
    return resultOk;
}

void cOutput::deviceCallback(void* self, uint8_t* stream, int length) {
    auto& output = *static_cast<cOutput*>(self);
    output.mix(output.context, reinterpret_cast<int16_t*>(stream),
               length / static_cast<int>(2 * sizeof(int16_t)));
}

void* cOutput::clockThread(void* self) {
    auto& output = *static_cast<cOutput*>(self);
    std::vector<int16_t> block(2 * blockFrames);
    // Deadlines come from the frame count, not from sleeping a block at a time, so the
    // output neither drifts nor falls behind when a wake-up is late.
    const auto started = std::chrono::steady_clock::now();
    int64_t framesOut = 0;
    std::unique_lock<std::mutex> guard(output.lock);
    while (!output.stopping) {
        guard.unlock();
        output.mix(output.context, block.data(), blockFrames);
        guard.lock();
        framesOut += blockFrames;
        const auto due = started + std::chrono::nanoseconds(framesOut * 1000000000 / sampleRate);
        output.wake.wait_until(guard, due, [&] { return output.stopping; });
    }
    return nullptr;
}

void cOutput::stop() {
    if (kind == eKind::device) {
        SDL_CloseAudio();
        if (ownsAudioSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        ownsAudioSubsystem = false;
    } else if (kind == eKind::clock) {
        {
            std::lock_guard<std::mutex> guard(lock);
            stopping = true;
        }
        wake.notify_all();
        pthread_join(thread, nullptr);
    }
    kind = eKind::none;
}

}  // namespace nimra::audio
