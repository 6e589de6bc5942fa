#pragma once
// The capture tool's command line.

#include <string>
#include <utility>
#include <vector>

#include "demo/show.h"

namespace capture {

// ms; the demo's last frame is the first at or past this, and the last the tool draws.
constexpr int showEnd = nimra::showLength;

// The window the demo opens, and the frame size unless another is asked for.
constexpr int defaultWidth = nimra::showWidth;
constexpr int defaultHeight = nimra::showHeight;
// Output frames keep to the size rule of both programs' command lines
// (nimra::parseFrameSize); a supersampled picture drawn for one may be up to this.
constexpr int largestPictureSide = 16384;
constexpr int largestSupersampling = 4;
constexpr int largestJobs = 16;

struct cOptions {
    std::string dataDir;  // empty: the current directory
    std::string outDir = "captures";
    std::vector<int> at;  // single frames, ms
    int from = -1;        // a stretch at the frame rate, ms; -1 when none
    int to = -1;
    bool frames = false;  // the stretch as a numbered PNG sequence
    std::string video;    // the stretch as a video with the music
    std::string wav;      // the stretch's music (or the whole track) as a WAV file
    bool bench = false;
    bool layers = false;      // the benchmark also times every part of the frame apart
    bool drawHidden = false;  // the show draws what it knows will be covered, too
    bool cpu = false;         // the benchmark reads the process's CPU time, not the wall clock
    // Stretches played at the frame rate with the clock jumping between them, as after a
    // stall: the frames in between are never drawn.
    std::vector<std::pair<int, int>> visits;
    int fps = 60;
    // Every output frame's size; the show's picture is its largest centred 4:3 rectangle,
    // drawn ssaa times larger on both axes and filtered down.
    int width = defaultWidth;
    int height = defaultHeight;
    int ssaa = 1;
    int crf = 18;  // x264's constant quality: 18 is visually lossless
    bool lossless = false;
    int jobs = 1;  // processes drawing the stretch, each its share of it
    bool help = false;
};

// False with a one-line reason when the arguments make no sense.
bool parseOptions(int argc, char** argv, cOptions& options, std::string& error);

// "WxH" or a preset name (1080p, 1440p, 4k) as a frame size; false when it is neither.
bool parseSize(const std::string& text, int& width, int& height);

const char* usage();

}  // namespace capture
