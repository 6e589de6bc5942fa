#pragma once
// The music report: the spectrum bins the scenes read, measured through the engine's own
// audio layer over the baked track, window by window of the timeline.

#include <iosfwd>
#include <string>

namespace nimra::bake {

int printMusicReport(const std::string& mp3Path, std::ostream& out);

}  // namespace nimra::bake
