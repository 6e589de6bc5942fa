#pragma once
// nimra's audio layer: the small part of a sound system the shell needs. A system is
// created and initialised (with result codes and their messages), an MP3 stream is opened
// and played on a channel, and each frame the channel yields a 512-bin spectrum of what
// it has most recently played.
//
// Playback decodes the stream as it goes (libmpg123) and feeds SDL audio. Where no audio
// device can be opened, a silent output advances the stream on the wall clock instead, so
// the spectrum keeps following the music; a caller can also ask for that silent output from
// the start. In non-real-time mode nothing is played at all: the caller sets the stream
// position and the spectrum is read at that position. One process may hold systems of both
// kinds at once.

#include <cstdint>

namespace nimra::audio {

using Result = int;

// Result codes. 0 is success; the rest have a message each (errorString).
constexpr Result resultOk = 0;
constexpr Result resultFileNotFound = 23;
constexpr Result resultFileBad = 19;
constexpr Result resultFormat = 25;
constexpr Result resultInvalidParam = 37;
constexpr Result resultInvalidHandle = 36;
constexpr Result resultInitialised = 33;
constexpr Result resultUninitialised = 78;
constexpr Result resultMemory = 43;
constexpr Result resultOutputInit = 60;

// Stream mode bits, as the shell passes them (0x4040).
constexpr unsigned modeSoftware = 0x00000040;
constexpr unsigned modeAccurateTime = 0x00004000;

constexpr int channelFree = -1;
constexpr int fftWindowRect = 0;

// Samples in one spectrum: the FFT size is twice the bin count.
constexpr int spectrumBins = 512;
constexpr int fftSize = 2 * spectrumBins;
constexpr int sampleRate = 44100;

// The published message for a code: "No errors." for 0, "Unknown error." for any code
// this layer does not know.
const char* errorString(Result code);

// Process-wide switch, read by the one-argument systemCreate: the caller drives stream
// positions and no sound is output. The capture tool uses it to render frames at exact music
// times.
void setNonRealTime(bool enabled);
bool isNonRealTime();

// Where no sound card exists, ALSA (under SDL audio) writes a screenful of its own errors to
// stderr the first time anything probes for a device, though this layer's one line already
// says what happened. This keeps the sound libraries quiet for the rest of the process; call
// it before anything starts SDL audio (SDL_Init with SDL_INIT_AUDIO). init calls it too.
void quietSoundLibraries();

class cSound;
class cChannel;

class cSystem {
public:
    // Before init: open no audio device and leave SDL audio alone; streams play on the
    // silent clock-driven output, without a word. resultInitialised once init has run.
    Result setSilentOutput();
    // Opens the output. A missing audio device is not an error: playback falls back to the
    // silent clock-driven output.
    Result init(int maxChannels, unsigned flags, void* extraDriverData);
    // Opens the file for streaming; nothing is decoded until it plays. A missing or
    // unreadable file stores a null sound and reports the failure.
    Result createStream(const char* path, unsigned mode, void* extendedInfo, cSound** sound);
    // Starts the sound at once from its beginning. A null sound stores a null channel. A
    // stream has one channel: playing it again restarts it there. Starting paused is not
    // offered: to start elsewhere, call setPosition straight after, as the output waits for
    // the caller's next call on the channel (10 ms at most) before it takes the first block.
    Result playSound(int channelIndex, cSound* sound, bool paused, cChannel** channel);

    // Stops the output and frees the system with every sound and channel it made.
    Result release();

    struct cState;  // the layer's own

private:
    friend Result systemCreate(cSystem** system, bool nonRealTime);
    explicit cSystem(cState* state) : state(state) {}
    ~cSystem() = default;
    cState* state;
};

// A system in the mode of the process-wide switch, or in the mode asked for: a second,
// non-real-time system can read the spectrum of a file at any position beside one that plays.
Result systemCreate(cSystem** system);
Result systemCreate(cSystem** system, bool nonRealTime);

class cChannel {
public:
    // Fills count (<= 512) magnitudes from a 1024-point rectangular-window FFT over the
    // channel's most recently output samples of one channel (0 = left). A full-scale sine
    // centred on a bin reads 1.0 in that bin. Always non-negative.
    Result getSpectrum(float* values, int count, int channelOffset, int windowType);

    // Non-real-time mode: the stream position, in milliseconds, whose preceding 1024 samples
    // the next spectrum is taken from. Moving forward decodes on; moving back seeks. In real
    // time it moves playback there: the next sample output is the stream's sample at exactly
    // that time, also straight after playSound. While paused it moves the position and the
    // spectrum (taken as above), and playback stays paused.
    Result setPosition(uint32_t milliseconds);
    // Milliseconds played so far (or set, in non-real-time mode).
    Result getPosition(uint32_t* milliseconds);
    // Whether the stream is still playing (false once the end has been output; a paused
    // stream before its end is still playing).
    Result isPlaying(bool* playing);

    // Real time: while paused the channel outputs silence, its position stays put and its
    // spectrum stays that of the paused position. The pause holds the position as getPosition
    // reports it, and resuming plays on from exactly the sample at that millisecond; what the
    // output had already been given beyond it (up to a block) is heard again then. Playing
    // the sound again unpauses it. Non-real-time channels only keep the flag.
    Result setPaused(bool paused);
    Result getPaused(bool* paused);

    struct cState;  // the layer's own

private:
    friend class cSystem;
    explicit cChannel(cState* state) : state(state) {}
    ~cChannel();
    cState* state;
};

}  // namespace nimra::audio
