#pragma once
// The per-frame driver: spectrum, window framebuffer, clocks, timeline.

#include <cstdint>

namespace nimra {

// Where renderFrame reads the time, in milliseconds. SDL_GetTicks unless replaced, so
// that tests and the capture tool can drive the same frame code on a fixed step.
using TickSource = uint32_t (*)();
void setTickSource(TickSource source);
TickSource currentTickSource();

// How many frames have moved the show on (rendered or advanced) since the program started:
// whoever left the show at a known state can tell whether anyone has moved it since.
uint64_t framesPlayed();

// Forget the previous tick reading: the next renderFrame starts with frameTime 0 again.
void resetFrameClock();

// The clock goes on from now: the next frame's frameTime is the ticks from this moment on,
// as if a frame had just been drawn.
void syncFrameClock();

// Steps frameTime and demoTime by the ticks since the previous call (0 on the first), and
// by any jump asked for since.
void advanceClocks();

// The next frame comes ms later in the show than the clock says, as after a stall of that
// long: how a moment is reached at once.
void jumpClock(int ms);

// One frame as watched: this frame's spectrum, the window framebuffer begun, the clocks
// advanced, the show's rules and its picture, the framebuffer ended.
void renderFrame();

// One frame played without being drawn: the spectrum and the clocks as renderFrame takes
// them and every rule of the show, but no GL call. The state the show reaches is the state
// renderFrame would have reached, so a moment can be reached quickly from 0.
void advanceFrame();

// The picture of the frame as it stands, drawn again with nothing advanced: no spectrum
// read, the clocks and every phase and particle as they are. A paused show keeps showing
// (and picking up reloaded shaders and pictures) this way.
void redrawFrame();

}  // namespace nimra
