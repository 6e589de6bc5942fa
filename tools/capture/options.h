#pragma once
// The capture tool's command line.

#include <string>
#include <utility>
#include <vector>

namespace capture {

constexpr int showEnd = 207000;  // ms; the demo's last frame is the first at or past this

struct cOptions {
    std::string dataDir;  // empty: the current directory
    std::string outDir = "captures";
    std::vector<int> at;  // single frames, ms
    int from = -1;        // a stretch at the frame rate, ms; -1 when none
    int to = -1;
    bool frames = false;  // the stretch as a numbered PNG sequence
    std::string video;    // the stretch as a video with the music
    bool bench = false;
    bool layers = false;      // the benchmark also times every part of the frame apart
    bool drawHidden = false;  // the show draws what it knows will be covered, too
    bool cpu = false;         // the benchmark reads the process's CPU time, not the wall clock
    // Stretches played at the frame rate with the clock jumping between them, as after a
    // stall: the frames in between are never drawn.
    std::vector<std::pair<int, int>> visits;
    int fps = 60;
    bool help = false;
};

// False with a one-line reason when the arguments make no sense.
bool parseOptions(int argc, char** argv, cOptions& options, std::string& error);

const char* usage();

}  // namespace capture
