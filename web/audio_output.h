#pragma once
// The browser's audio output (web/audio_output.cpp): the audio layer's cOutput without a
// thread, fed from the page's frames. The page's Web Audio side is Module.nimraAudio
// (web/page/page.js).

namespace nimra::audio {

// Keeps the running output fed: blocks queued in Web Audio a little ahead of the moment they
// are heard, or, for the silent output, mixed as the wall clock reaches them. Call it every
// frame, and whenever the page wants the queue topped up.
void pumpAudio();

// Drops every block queued but not yet heard: the stream moved, and what was queued from its
// old place must not be heard now.
void flushAudio();

// When the first block queued since the last flush (or ever) is heard, in the page's
// performance.now() milliseconds; 0 while none has been queued.
double firstHeardAt();

}  // namespace nimra::audio
