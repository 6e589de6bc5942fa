#pragma once
// Frame-time statistics per window of the show.

#include <string>
#include <vector>

namespace capture {

struct cFrameTiming {
    int demoTime;  // ms
    double milliseconds;
};

// The value below which the given share of the sorted values lie (nearest rank).
double percentile(std::vector<double> values, double share);

// One line per window with frames in it: the opening (before the first scene, box
// included) and every row of the timeline's scene table; then the overall rate.
std::string benchReport(const std::vector<cFrameTiming>& timings, double seconds);

}  // namespace capture
