#pragma once
// Program-wide state: the window, the keyboard, the music and its spectrum, the clocks,
// the shared projection and the window framebuffer. One instance of each, alive for the
// whole process. It sits below the shell and the demo alike: the shell (start-up, main
// loop, frame driver) writes it, the timeline and every scene read it, and neither has to
// reach up into the other for it.

#include <SDL/SDL.h>

#include <cstdint>
#include <iostream>
#include <vector>

#include "audio/audio.h"
#include "math/matrix.h"
#include "render/framebuffer.h"

namespace nimra {

extern audio::cSystem* fmodSystem;
extern audio::cSound* music;
extern audio::cChannel* musicChannel;
extern int fmodResult;
extern SDL_Joystick* joystick;

extern int windowWidth;
extern int windowHeight;

// Indexed by SDL 1.2 key symbol: 1 = down. previousKeys is last frame's copy.
extern std::vector<unsigned char> keys;
extern std::vector<unsigned char> previousKeys;

// This frame's music spectrum, 512 bins after start-up.
extern std::vector<float> spectrum;

// S[k]: bin k of this frame's spectrum, 0 before start-up has sized it.
inline float spectrumBin(size_t k) { return k < spectrum.size() ? spectrum[k] : 0.0f; }

// Whole milliseconds: since the previous frame, and since the music started.
extern int frameTime;
extern int demoTime;

// 90 degrees, aspect 1, near 0.01, far 20000, whatever the window's shape.
extern cMatrix4f projection;

// The window's back buffer: 800 x 600, cleared with colour and depth.
extern cDirectFrameBuffer screen;

// Writing text to the console writes it to standard output and yields that stream, so
// numbers and std::endl can follow.
struct cConsole {};
extern cConsole console;
template <typename T>
std::ostream& operator<<(cConsole&, const T& value) {
    return std::cout << value;
}

// Key queries reduce the symbol to its low 8 bits. A key missing from previousKeys (the
// very first frame) counts as not down before.
bool isKeyDown(int key);
bool wasKeyPressed(int key);

// Adopts a new window size: projection rebuilt, window framebuffer resized.
void resize(int width, int height);

}  // namespace nimra
