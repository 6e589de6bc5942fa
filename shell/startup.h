#pragma once
// Start-up and the main loop: the whole life of the demo process.

#include <cstdint>

namespace nimra {

// SDL_SetVideoMode flags: OpenGL, hardware surface with async blits, hardware palette,
// resizable, always full screen, plus the hardware bits the display reports.
uint32_t videoModeFlags(bool hardwareSurfacesAvailable, bool blitsAccelerated);

// Greeting, SDL, audio system and stream, window and GL context, GLEW, joystick, every
// scene initialiser in order, spectrum and clock reset, music started. Exits the process
// when a start-up step it cannot go on without fails.
void startUp();

// The end conditions the main loop tests before each frame: the demo clock has passed
// 206999 ms, or Escape is held.
bool demoShouldEnd();

// Events, keyboard, end conditions, one frame, buffer swap; returns 0 when the demo ends.
int mainLoop();

}  // namespace nimra
