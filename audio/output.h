#pragma once
// Where a system's mixed frames go: the SDL audio device, or, where none can be opened, a
// thread that takes them at the device's pace on the wall clock and drops them, so that
// everything that follows the output's progress keeps moving.

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "audio/audio.h"

namespace nimra::audio {

class cOutput {
public:
    // Fills `count` interleaved 16-bit stereo frames at 44.1 kHz. Called on the output's
    // own thread.
    using MixFunction = void (*)(void* context, int16_t* frames, int count);

    cOutput() = default;
    ~cOutput() { stop(); }
    cOutput(const cOutput&) = delete;
    cOutput& operator=(const cOutput&) = delete;

    // resultOk once either output runs; resultOutputInit when not even the silent one can.
    // Without `device` no device is tried and SDL audio is left alone: the silent output runs
    // at once, and says nothing.
    Result start(MixFunction mix, void* context, bool device = true);
    void stop();
    bool silent() const { return kind == eKind::clock; }
    // How long after the block being mixed now it will be heard: nothing, where the device
    // takes each block as it starts playing it (SDL's callback, the silent clock); the
    // browser's output queues blocks ahead of the moment they sound (web/audio_output.cpp).
    std::chrono::steady_clock::duration untilHeard() const { return ahead; }

private:
    // The browser's output is fed from the page's frames (web/audio_output.cpp).
    friend void pumpAudio();

    enum class eKind { none, device, clock };

    bool openDevice();
    Result startClock();
    static void deviceCallback(void* self, uint8_t* stream, int length);
    static void* clockThread(void* self);

    MixFunction mix = nullptr;
    void* context = nullptr;
    eKind kind = eKind::none;
    bool ownsAudioSubsystem = false;

    pthread_t thread{};
    std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    std::chrono::steady_clock::duration ahead{};
};

}  // namespace nimra::audio
