#pragma once
// The one way any program reaches a moment of the show: its rules played from 0 (or from
// where an earlier reach left them) on the show's own fixed step, with the music's spectrum
// taken at each step's own time from a second, non-real-time copy of the track, so that the
// state reached is the same whoever asks and however they got there: the player's start
// moment, every jump of the edit mode, the capture tool's single frames and each of its
// jobs' pieces. Only the frame driver, its tick source, the audio layer and the timeline are
// used, so any program that draws the show can call it.

#include <cstdint>

#include "demo/show.h"

namespace nimra {

// Frame k of a fixed step at fps frames a second lies at k * 1000 / fps ms, rounded.
int gridTime(long k, int fps = showFrameRate);
// The frame of that step lying exactly at t, or -1 when t falls between two.
long gridFrameAt(int t, int fps = showFrameRate);
// The last frame of that step at or before t (t >= 0).
long gridFrameBefore(int t, int fps = showFrameRate);

// Opens the music at path a second time, in a non-real-time audio system of its own, for the
// spectrum of any moment. After start-up has made the show's own audio system; quiet when
// the file cannot be read (the show's own stream has said so): moments are then reached with
// the silent spectrum the show plays with.
bool openMomentTrack(const char* path);

// The show at ms (clamped to 0 to showLength, the moment of its last frame), its rules
// played there on the fixed step of fps frames a second: from where an earlier reach or
// playFrameAt left them when that was a frame of the same step at or before ms and nothing
// has moved the show since, else from the show's start over again, its first frame at 0
// (which starts the clock). A moment off the step is one short step after the step's last
// frame before it. Nothing is drawn (redrawFrame then draws the moment as reached) and the
// lines the frames on the way print are kept quiet. Then the live clock goes on from now,
// and the music, if it plays, is moved to the same moment, paused or not as it was.
void reachMoment(int ms, int fps = showFrameRate);

// One frame at show time t (not before the show's moment), drawn (renderFrame) or only
// played (advanceFrame), on the fixed tick t with the spectrum of the copy of the track at
// t: frameTime is t less the show's moment, as after a stall when t is far ahead. From the
// show's start the first frame is at 0. A frame that is the next of a fixed step of fps
// frames a second keeps the show on that step for reachMoment.
void playFrameAt(int t, bool drawn, int fps = showFrameRate);

// Every rule back at the show's start, the clocks at 0 and the frame clock waiting for the
// first frame, as start-up leaves them.
void startShowOver();

}  // namespace nimra
