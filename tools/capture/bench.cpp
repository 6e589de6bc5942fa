#include "bench.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "demo/timeline.h"

namespace capture {

static bool cpuClock = false;

void useProcessCpuTime(bool cpu) { cpuClock = cpu; }

double benchNowMs() {
    timespec now;
    clock_gettime(cpuClock ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1.0e6;
}

double percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(share * values.size());
    const size_t index = rank < 1.0 ? 0 : static_cast<size_t>(rank) - 1;
    return values[std::min(index, values.size() - 1)];
}

static std::string windowSpan(int first, int last) {
    char span[32];
    if (last == INT_MAX) {
        std::snprintf(span, sizeof span, "%d-end", first);
    } else {
        std::snprintf(span, sizeof span, "%d-%d", first, last);
    }
    return span;
}

static void reportWindow(std::string& out, const char* name, int first, int last,
                         const std::vector<cFrameTiming>& timings, double passMs) {
    std::vector<double> times;
    for (const cFrameTiming& timing : timings) {
        if (first <= timing.demoTime && timing.demoTime <= last) {
            times.push_back(timing.milliseconds);
        }
    }
    if (times.empty()) return;
    const double median = percentile(times, 0.5);
    char line[160];
    std::snprintf(line, sizeof line, "%-16s %-14s %7zu %9.2f %9.2f %9.2f", name,
                  windowSpan(first, last).c_str(), times.size(), median, percentile(times, 0.95),
                  *std::max_element(times.begin(), times.end()));
    out += line;
    if (passMs > 0) {
        std::snprintf(line, sizeof line, " %8.1fx", median / passMs);
        out += line;
    }
    out += "\n";
}

std::string benchReport(const std::vector<cFrameTiming>& timings, double seconds, double passMs,
                        int passWidth, int passHeight) {
    std::string out;
    char line[160];
    if (passMs > 0) {
        std::snprintf(line, sizeof line,
                      "one full-screen textured pass (%d x %d) on this machine: %.2f ms (the "
                      "'passes' column is the median in those)\n",
                      passWidth, passHeight, passMs);
        out += line;
    }
    out += "window           ms             frames  median ms    p95 ms  worst ms";
    out += passMs > 0 ? "    passes\n" : "\n";
    reportWindow(out, "opening", 0, nimra::boxLast, timings, passMs);
    for (const nimra::cSceneWindow& window : nimra::sceneWindows) {
        reportWindow(out, window.name, window.first, window.last, timings, passMs);
    }
    std::vector<double> all;
    for (const cFrameTiming& timing : timings)
        all.push_back(timing.milliseconds);
    std::snprintf(line, sizeof line, "%-31s %7zu %9.2f %9.2f %9.2f\n", "all", all.size(),
                  percentile(all, 0.5), percentile(all, 0.95),
                  all.empty() ? 0.0 : *std::max_element(all.begin(), all.end()));
    out += line;
    std::snprintf(line, sizeof line, "%.1f frames per second (%zu frames in %.2f s)\n",
                  seconds > 0 ? all.size() / seconds : 0.0, all.size(), seconds);
    out += line;
    return out;
}

const char* const layerNames[layerCount] = {
    "clear",       "metaballs",   "backdrop", "scenes",     "box",  "fountain",
    "slide cards", "top overlay", "sparks",   "word cards", "swap",
};

int layerIndex(const char* name) {
    for (int i = 0; i < layerCount; ++i) {
        if (std::strcmp(layerNames[i], name) == 0) return i;
    }
    return -1;
}

static void reportLayers(std::string& out, const char* name, int first, int last,
                         const std::vector<cLayerFrame>& frames) {
    std::vector<double> columns[layerCount];
    for (const cLayerFrame& frame : frames) {
        if (frame.demoTime < first || frame.demoTime > last) continue;
        for (int i = 0; i < layerCount; ++i)
            columns[i].push_back(frame.milliseconds[i]);
    }
    if (columns[0].empty()) return;
    char cell[32];
    std::snprintf(cell, sizeof cell, "%-16s", name);
    out += cell;
    double total = 0;
    for (int i = 0; i < layerCount; ++i) {
        const double median = percentile(columns[i], 0.5);
        total += median;
        std::snprintf(cell, sizeof cell, " %*.2f", std::max<int>(5, std::strlen(layerNames[i])),
                      median);
        out += cell;
    }
    std::snprintf(cell, sizeof cell, " %6.2f\n", total);
    out += cell;
}

std::string layerReport(const std::vector<cLayerFrame>& frames) {
    std::string out = "median ms per part of the frame (the GL work finished after each part)\n";
    out += "window          ";
    for (const char* layer : layerNames) {
        out += ' ';
        const int width = std::max<int>(5, std::strlen(layer));
        out += std::string(width - std::strlen(layer), ' ') + layer;
    }
    out += "    sum\n";
    reportLayers(out, "opening", 0, nimra::boxLast, frames);
    for (const nimra::cSceneWindow& window : nimra::sceneWindows) {
        reportLayers(out, window.name, window.first, window.last, frames);
    }
    return out;
}

}  // namespace capture
