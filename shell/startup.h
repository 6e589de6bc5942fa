#pragma once
// Start-up and the main loop: the whole life of the demo process.

#include <cstdint>

#include "shell/options.h"
#include "shell/screen.h"

namespace nimra {

// SDL_SetVideoMode flags: OpenGL, hardware surface with async blits, hardware palette,
// resizable, always full screen, plus the hardware bits the display reports.
// Windowed when asked (not full screen).
uint32_t videoModeFlags(bool hardwareSurfacesAvailable, bool blitsAccelerated,
                        bool fullScreen = true);

// Greeting, SDL, audio system and stream (and the stream's copy that moments are reached
// with), window and GL context, GLEW, joystick, every scene initialiser in order, spectrum
// and clock reset. The music waits for startMusic. Exits the process when a start-up step it
// cannot go on without fails.
// Muted, no sound device is opened; the music is still decoded on the clock, so the
// pictures follow it.
void startUp(const cShowScreen& asked = cShowScreen(), bool mute = false);

// The music played from ms (paused there, when asked), and the frame clock going on from
// now with it: as the first frame shows, so that nothing done before it puts the music ahead
// of the picture.
void startMusic(int ms, bool paused = false);

// The end conditions the main loop tests before each frame: the demo clock has passed
// 206999 ms, or Escape is held.
bool demoShouldEnd();

// Events, keyboard, end conditions, one frame, buffer swap; returns 0 when the demo ends.
// The options add a start moment (--start), rounds (--loop) and the full-screen key.
int mainLoop(const cPlayerOptions& options = cPlayerOptions());

}  // namespace nimra
