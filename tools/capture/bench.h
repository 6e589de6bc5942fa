#pragma once
// Frame-time statistics per window of the show.

#include <string>
#include <vector>

namespace capture {

struct cFrameTiming {
    int demoTime;  // ms
    double milliseconds;
};

// The clock the benchmark reads, in milliseconds: wall-clock time, or (--cpu) the CPU time
// of the whole process, every renderer thread included, which other work on a busy
// machine disturbs far less. CPU time compares layers and changes; it is not frame time.
void useProcessCpuTime(bool cpu);
double benchNowMs();

// The value below which the given share of the sorted values lie (nearest rank).
double percentile(std::vector<double> values, double share);

// One line per window with frames in it: the opening (before the first scene, box
// included) and every row of the timeline's scene table; then the overall rate. With the
// cost of one full-screen textured pass of the picture's size (passWidth x passHeight)
// measured on the same machine (passMs > 0), every median is also given as a multiple of
// it, so that figures compare across machines.
std::string benchReport(const std::vector<cFrameTiming>& timings, double seconds, double passMs,
                        int passWidth, int passHeight);

// The parts of a frame that --layers times apart: the frame driver's clear, each layer
// the timeline reports, and the buffer swap.
constexpr int layerCount = 11;
extern const char* const layerNames[layerCount];
// The column of a layer name, or -1.
int layerIndex(const char* name);

struct cLayerFrame {
    int demoTime;  // ms
    double milliseconds[layerCount] = {};
};

// Per window, the median milliseconds of every part of the frame.
std::string layerReport(const std::vector<cLayerFrame>& frames);

}  // namespace capture
