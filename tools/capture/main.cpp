// capture: renders any moment of the show offline, on a fixed step, through the demo's own
// start-up and frame code. Frames become PNG files or a video with the music; --bench
// times every frame instead.

#include <SDL/SDL.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "bench.h"
#include "demo/timeline.h"
#include "options.h"
#include "output.h"
#include "reference.h"
#include "render/gl.h"
#include "runtime/state.h"
#include "shell/frame.h"
#include "shell/startup.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace capture {

static const char* const musicFile = "tromblo-slow_harbour.mp3";

// The frame clock reads this instead of SDL's ticks: every frame lands exactly where the
// schedule puts it.
static uint32_t scheduledTicks = 0;
static uint32_t readScheduledTicks() { return scheduledTicks; }

static double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// --layers: each part of the frame is finished and timed as the timeline reports it.
static cLayerFrame layerFrame;
static double layerStart = 0.0;
static void timeLayer(const char* layer) {
    glFinish();
    const double now = benchNowMs();
    const int index = layerIndex(layer);
    if (index >= 0) layerFrame.milliseconds[index] += now - layerStart;
    layerStart = now;
}

static int fail(const std::string& message) {
    std::fprintf(stderr, "capture: %s\n", message.c_str());
    return 1;
}

// Frame k of the fixed step lies at k * 1000 / fps ms, rounded: at 60 fps the steps
// alternate between 16 and 17 ms and never drift.
static int gridTime(long k, int fps) { return static_cast<int>((k * 1000 + fps / 2) / fps); }

// A progress line for runs longer than a few seconds, with the time left estimated from
// the share of the show's time rendered so far.
class cProgress {
public:
    cProgress(int first, int last) : first(first), last(last), start(Clock::now()) {
        terminal = isatty(fileno(stderr));
    }

    void update(int t, long frames) {
        const double elapsed = secondsSince(start);
        if (elapsed < 3.0 || elapsed - lastShown < (terminal ? 0.5 : 10.0)) return;
        lastShown = elapsed;
        const double done = last > first ? double(t - first) / (last - first) : 1.0;
        const int left = done > 0.0 ? static_cast<int>(elapsed * (1.0 - done) / done + 0.5) : 0;
        std::fprintf(stderr, "%scapture: %.1f s of %.1f s, %ld frames, about %d:%02d left%s",
                     terminal ? "\r" : "", t / 1000.0, last / 1000.0, frames, left / 60, left % 60,
                     terminal ? "   " : "\n");
        shown = true;
    }

    void finish() {
        if (shown && terminal) std::fputc('\n', stderr);
    }

private:
    int first;
    int last;
    Clock::time_point start;
    bool terminal = false;
    bool shown = false;
    double lastShown = 0.0;
};

// A directory of show files holds shader sources; any of them will do, so that a copy with
// one file taken away still counts.
static bool holdsShowFiles(const fs::path& dir) {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".vert" || extension == ".frag") return true;
    }
    return false;
}

// Whether a grid frame at t is drawn: always, unless visits are given and t is in none.
static bool visiting(const std::vector<std::pair<int, int>>& visits, int t) {
    if (visits.empty()) return true;
    for (const auto& [first, last] : visits) {
        if (first <= t && t <= last) return true;
    }
    return false;
}

static int run(const cOptions& options, Clock::time_point launched) {
    const fs::path here = fs::current_path();
    const fs::path dataDir = options.dataDir.empty() ? here : fs::absolute(options.dataDir);
    const fs::path outDir = fs::absolute(options.outDir);
    const std::string videoPath = options.video.empty() ? "" : fs::absolute(options.video).string();
    std::error_code ec;

    if (!fs::is_directory(dataDir, ec)) return fail("no data directory " + dataDir.string());
    if (!holdsShowFiles(dataDir)) {
        return fail("no show files in " + dataDir.string() +
                    "; run from the data directory or pass --data DIR");
    }
    if (!std::getenv("DISPLAY")) {
        return fail("no DISPLAY; run it under tests/with-xvfb.sh, like the demo");
    }
    const bool writesPngs = !options.at.empty() || options.frames;
    if (writesPngs) {
        fs::create_directories(outDir, ec);
        if (!fs::is_directory(outDir, ec)) return fail("cannot create " + outDir.string());
    }
    fs::current_path(dataDir, ec);
    if (ec) return fail("cannot enter " + dataDir.string());

    // Nothing is played: the music is only read, at each frame's own time.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    nimra::audio::setNonRealTime(true);
    nimra::setTickSource(readScheduledTicks);
    nimra::startUp();
    nimra::resetFrameClock();

    const bool stretch = options.from >= 0;
    std::vector<int> at = options.at;
    std::sort(at.begin(), at.end());
    at.erase(std::unique(at.begin(), at.end()), at.end());
    int last = at.empty() ? 0 : at.back();
    if (stretch) last = std::max(last, options.to);
    for (const auto& visit : options.visits)
        last = std::max(last, visit.second);
    if (options.bench && !stretch && options.visits.empty()) last = showEnd;
    const int measuredFirst = stretch ? options.from : 0;

    cVideoEncoder video;
    std::string error;
    std::vector<cFrameTiming> timings;
    std::vector<cLayerFrame> layerFrames;
    if (options.layers) nimra::setLayerProbe(timeLayer);
    useProcessCpuTime(options.cpu);
    nimra::skipHiddenWork = !options.drawHidden;
    std::vector<uint8_t> rgb;
    const int width = nimra::windowWidth;
    const int height = nimra::windowHeight;
    long frames = 0;
    long sequenceNumber = 0;
    int written = 0;
    bool videoOpen = false;
    double benchSeconds = 0.0;
    cProgress progress(0, last);

    size_t nextAt = 0;
    long k = 0;
    for (;;) {
        // The next frame is the next step of the grid or the next single frame asked for,
        // whichever comes first; a single frame off the grid is one more short step.
        const int g = gridTime(k, options.fps);
        const bool atDue = nextAt < at.size() && at[nextAt] <= g;
        const int t = atDue ? at[nextAt] : g;
        if (t > last) break;
        if (atDue) ++nextAt;
        if (t == g) ++k;
        const bool onGrid = t == g;
        const bool inStretch = stretch && onGrid && options.from <= t && t <= options.to;
        // The show's first frame starts its clock at 0 (the demo reads the tick counter
        // once before its first frame), so it is drawn even when no visit holds it: the
        // first visit is then one long frame after it, and every frame keeps its own time.
        const bool wanted = atDue || visiting(options.visits, t);
        if (!wanted && frames > 0) continue;

        scheduledTicks = static_cast<uint32_t>(t);
        if (nimra::musicChannel) nimra::musicChannel->setPosition(static_cast<uint32_t>(t));

        // Frames that are neither kept, timed nor visited are only played: the state they
        // reach is the same, drawn or not.
        const bool draws =
            atDue || inStretch || (options.bench && !stretch) || !options.visits.empty();
        const double frameStart = benchNowMs();
        layerFrame = cLayerFrame{t};
        layerStart = frameStart;
        if (draws) {
            nimra::renderFrame();
            glFinish();
        } else {
            nimra::advanceFrame();
        }
        double frameMs = benchNowMs() - frameStart;
        if (frames == 0) {
            std::printf("start-up: %.0f ms to the first frame\n", secondsSince(launched) * 1000.0);
            std::fflush(stdout);
        }
        ++frames;
        // A phase or particle that is no longer a number would reach the picture from here on.
        if (!nimra::showStateIsFinite()) {
            return fail("the show's state is not finite after the frame at " + std::to_string(t) +
                        " ms (" + std::to_string(nimra::frameTime) + " ms long)");
        }

        if (atDue || (inStretch && (options.frames || !videoPath.empty()))) {
            readFrame(width, height, rgb);
        }
        if (atDue) {
            const fs::path file = outDir / ("at_" + std::to_string(t) + ".png");
            if (!writePng(file.string(), width, height, rgb, false, error)) return fail(error);
            ++written;
        }
        if (inStretch && options.frames) {
            char name[32];
            std::snprintf(name, sizeof name, "frame_%06ld.png", sequenceNumber);
            if (!writePng((outDir / name).string(), width, height, rgb, true, error)) {
                return fail(error);
            }
            ++written;
        }
        if (inStretch && !videoPath.empty()) {
            if (!videoOpen) {
                const fs::path music = dataDir / musicFile;
                std::string musicPath = music.string();
                if (!fs::exists(music, ec)) {
                    std::fprintf(stderr, "capture: no %s; the video has no sound\n", musicFile);
                    musicPath.clear();
                }
                if (!video.open(videoPath, width, height, options.fps, musicPath, t,
                                options.to - t + 1000 / options.fps, error)) {
                    return fail(error);
                }
                videoOpen = true;
            }
            if (!video.write(rgb)) {
                std::string reason;
                video.close(reason);
                return fail("writing " + videoPath + ": " + reason);
            }
        }
        if (inStretch) ++sequenceNumber;

        if (options.bench && draws) {
            // The demo swaps after every frame; that belongs in its frame time.
            const double swapStart = benchNowMs();
            SDL_GL_SwapBuffers();
            glFinish();
            const double swapMs = benchNowMs() - swapStart;
            frameMs += swapMs;
            if (wanted && t >= measuredFirst && (!stretch || t <= options.to) && onGrid) {
                timings.push_back(cFrameTiming{t, frameMs});
                benchSeconds += frameMs / 1000.0;
                if (options.layers) {
                    layerFrame.milliseconds[layerIndex("swap")] = swapMs;
                    layerFrames.push_back(layerFrame);
                }
            }
        }
        progress.update(t, frames);
    }
    progress.finish();

    if (stretch && sequenceNumber == 0) {
        return fail("no frame at " + std::to_string(options.fps) + " fps falls between " +
                    std::to_string(options.from) + " and " + std::to_string(options.to) + " ms");
    }

    if (videoOpen) {
        if (!video.close(error)) return fail(error);
        std::printf("video: %ld frames at %d fps from %d ms to %s\n", sequenceNumber, options.fps,
                    options.from, videoPath.c_str());
    }
    if (written > 0) std::printf("wrote %d PNG files to %s\n", written, outDir.string().c_str());
    if (options.bench) {
        nimra::setLayerProbe(nullptr);
        const double passMs = measureTexturedPass();
        if (options.cpu) std::puts("times below are CPU time of the whole process (--cpu)");
        std::fputs(benchReport(timings, benchSeconds, passMs).c_str(), stdout);
        if (options.layers) std::fputs(layerReport(layerFrames).c_str(), stdout);
    }
    return 0;
}

}  // namespace capture

int main(int argc, char** argv) {
    const auto launched = Clock::now();
    capture::cOptions options;
    std::string error;
    if (!capture::parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "capture: %s\n(capture --help lists the options)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(capture::usage(), stdout);
        return 0;
    }
    return capture::run(options, launched);
}
