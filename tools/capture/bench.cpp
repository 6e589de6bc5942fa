#include "bench.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "demo/timeline.h"

namespace capture {

double percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(share * values.size());
    const size_t index = rank < 1.0 ? 0 : static_cast<size_t>(rank) - 1;
    return values[std::min(index, values.size() - 1)];
}

static void reportWindow(std::string& out, const char* name, int first, int last,
                         const std::vector<cFrameTiming>& timings) {
    std::vector<double> times;
    for (const cFrameTiming& timing : timings) {
        if (first <= timing.demoTime && timing.demoTime <= last) {
            times.push_back(timing.milliseconds);
        }
    }
    if (times.empty()) return;
    char span[32];
    if (last == INT_MAX) {
        std::snprintf(span, sizeof span, "%d-end", first);
    } else {
        std::snprintf(span, sizeof span, "%d-%d", first, last);
    }
    char line[160];
    std::snprintf(line, sizeof line, "%-16s %-14s %7zu %9.2f %9.2f %9.2f\n", name, span,
                  times.size(), percentile(times, 0.5), percentile(times, 0.95),
                  *std::max_element(times.begin(), times.end()));
    out += line;
}

std::string benchReport(const std::vector<cFrameTiming>& timings, double seconds) {
    std::string out = "window           ms             frames  median ms    p95 ms  worst ms\n";
    reportWindow(out, "opening", 0, nimra::boxLast, timings);
    for (const nimra::cSceneWindow& window : nimra::sceneWindows) {
        reportWindow(out, window.name, window.first, window.last, timings);
    }
    std::vector<double> all;
    for (const cFrameTiming& timing : timings)
        all.push_back(timing.milliseconds);
    char line[160];
    std::snprintf(line, sizeof line, "%-31s %7zu %9.2f %9.2f %9.2f\n", "all", all.size(),
                  percentile(all, 0.5), percentile(all, 0.95),
                  all.empty() ? 0.0 : *std::max_element(all.begin(), all.end()));
    out += line;
    std::snprintf(line, sizeof line, "%.1f frames per second (%zu frames in %.2f s)\n",
                  seconds > 0 ? all.size() / seconds : 0.0, all.size(), seconds);
    out += line;
    return out;
}

}  // namespace capture
