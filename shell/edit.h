#pragma once
// The makers' loop (nimra --edit): the show paused, stepped and looped with the music
// following, its shaders and pictures reloaded as they are saved, a readout of the show's
// time, window, frame rate and spectrum, and screenshots. Nothing of it exists without
// --edit: no key of it does anything and no folder is watched.

#include <string>

namespace nimra {

// Watches the data folder (the working directory) and loads the readout's font. Screenshots
// go to shotFolder. Unless the show loops, it pauses at its end. After start-up, before the
// first frame.
void startEditing(const std::string& shotFolder, bool loops);

// Whether the edit mode holds the show paused.
bool editPaused();

// This frame's keys, before the frame: pause, steps, jumps, the window loop, the readout.
void editKeys();

// The mouse is at (x, y) in the window; where it moved, its pointer shows, also in full screen,
// until it has been still for a while.
void editPointerMoved(int x, int y);

// Whether this frame is drawn again as the show stands (redrawFrame) instead of played on:
// the show is paused, or has just been moved to a moment, which is then drawn as reached.
bool editRedraws();

// After the frame is drawn, before it is shown: the files saved since the last frame are
// reloaded, the window loop wraps, a screenshot is written and the readout drawn over the
// picture.
void editFrameDrawn();

// Moves the show to target ms as every program reaches a moment (reachMoment): the state
// reached is the one the capture tool draws for that moment, and the music is moved there
// too, paused or not as it was. The next frame draws the moment as reached.
void seekShow(int target);

// The scene window the show is in at t, by the timeline's rows ("opening" before the first),
// with its first and last moment.
struct cShowWindow {
    const char* name;
    int first;
    int last;
};
cShowWindow showWindowAt(int t);
// The first moment of the window before the one t is in (or of t's own, more than a second
// into it), and of the next one; -1 when there is none.
int previousWindowStart(int t);
int nextWindowStart(int t);

// "m:ss.mmm".
std::string showClock(int ms);

}  // namespace nimra
