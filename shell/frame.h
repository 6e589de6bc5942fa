#pragma once
// The per-frame driver: spectrum, window framebuffer, clocks, timeline.

#include <cstdint>

namespace nimra {

// Where renderFrame reads the time, in milliseconds. SDL_GetTicks unless replaced, so
// that tests and the capture tool can drive the same frame code on a fixed step.
using TickSource = uint32_t (*)();
void setTickSource(TickSource source);

// Forget the previous tick reading: the next renderFrame starts with frameTime 0 again.
void resetFrameClock();

// Steps frameTime and demoTime by the ticks since the previous call (0 on the first).
void advanceClocks();

void renderFrame();

}  // namespace nimra
